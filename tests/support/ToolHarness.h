#pragma once
// The whole tool on a fake platform, window built offscreen. For the tests of window handlers.
#include "Bytes.h"
#include "FakePlatform.h"
#include "device/ui/ConnectHandler.h"
#include "link/ui/PortHandlers.h"
#include "link/ui/PortList.h"
#include "shell/ui/Tool.h"
#include <QComboBox>
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

struct ToolHarness {
    FakePlatform p;
    shell::Tool tool{p.services};
    ToolHarness() { tool.Form_Load(); }

    // Puts "COM<n>:" in the port list and selects it, as the search would.
    void selectPort(int n)
    {
        tool.frm.cmbComPort->clear();
        comlink::addPortEntry(*tool.frm.cmbComPort, n, p.ports.devicePath(n));
        tool.frm.cmbComPort->setCurrentIndex(0);
    }
    // The device answers the next identification with these data bytes.
    void answerIdentify(const QByteArray& data) { p.port.replyToNextWrite({{replyFrame(86, data), 0.02}}); }
    void connect(int port, const QByteArray& identity)
    {
        selectPort(port);
        answerIdentify(identity);
        tool.connection().cmdOpenCom_Click();
    }
};

} // namespace fakes
