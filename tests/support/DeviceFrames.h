#pragma once
// Device answers as the devices send them, for tests at every level.
#include "Bytes.h"
#include <QByteArray>
#include <initializer_list>

namespace fakes {

// A standard reply frame: "*", command + 1, N, data, "#".
inline QByteArray replyFrame(int command, const QByteArray& data)
{
    return QByteArray(1, '*') + char(command + 1) + char(data.size()) + data + '#';
}

// Identification data of a QMR51: version, interval, country, protocol, divider, serial.
inline QByteArray qmr51Identity(std::initializer_list<int> version, int interval, int country, int protocol,
                                int divider, const QByteArray& serial)
{
    return bytes(version) + bytes({interval, country, protocol, divider}) + serial;
}

// Identification data of a TIKA: version, protocol, modbus, dividers, functions, levels and
// differences, serial, then the delays when given.
inline QByteArray tikaIdentity(std::initializer_list<int> version, const QByteArray& serial, int protocol = 2,
                               int modbus = 1, QByteArray outputs = {}, const QByteArray& delays = {})
{
    if (outputs.isEmpty())
        outputs = bytes({10, 10, 0, 1, 0x03, 0xE8, 0x01, 0x2C, 0x07, 0xD0, 0x00, 0x64});
    QByteArray serial8 = serial.left(8);
    while (serial8.size() < 8)
        serial8.append('0');
    return bytes(version) + bytes({protocol, modbus}) + outputs + serial8 + delays;
}

} // namespace fakes
