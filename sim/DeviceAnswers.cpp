#include "sim/DeviceAnswers.h"
#include <QtEndian>
#include <algorithm>
#include <bit>
#include <cmath>

namespace sim {

namespace {

constexpr int kFirstDelayByte = 14;   // TIKA settings: the delays follow the fourteen output bytes
constexpr int kTikaOutputBytes = 14;

void appendBigEndian(QByteArray& out, quint32 value)
{
    const quint32 wire = qToBigEndian(value);
    out.append(reinterpret_cast<const char*>(&wire), 4);
}

quint32 wholeNumber(double value)
{
    if (!(value > 0))
        return 0;
    return static_cast<quint32>(std::min(std::round(value), 4294967295.0));
}

QByteArray padded(const QByteArray& bytes, int length)
{
    QByteArray out = bytes.left(length);
    out.append(QByteArray(length - out.size(), '\0'));
    return out;
}

} // namespace

QByteArray identificationData(const DeviceProfile& p)
{
    QByteArray data;
    for (std::uint8_t b : p.firmware)
        data.append(static_cast<char>(b));
    const QByteArray serial = p.serial.left(8);
    if (!isTika(p.kind)) {
        data.append(padded(p.settings, 4));
        data.append(serial);
        return data;
    }
    const QByteArray settings = padded(p.settings, 18);
    data.append(settings.left(kTikaOutputBytes));
    data.append(serial);
    if (p.reportDelays.value_or(firmwareTakesDelays(p.firmware))) {
        data.append(settings.mid(kFirstDelayByte, 4));
        data.append(QByteArray(2, '\0'));
    }
    return data;
}

QByteArray readingsData(const DeviceProfile& p)
{
    QByteArray data;
    if (isTika(p.kind))
        data.append(static_cast<char>(p.readingsStatus));
    for (double value : p.readings) {
        if (p.kind == DeviceKind::TikaV2)
            appendBigEndian(data, wholeNumber(value));
        else
            appendBigEndian(data, std::bit_cast<quint32>(static_cast<float>(value)));
    }
    return data;
}

QByteArray standardReply(std::uint8_t marker, const QByteArray& data, char endByte)
{
    const QByteArray body = data.left(255);
    QByteArray frame;
    frame.append('*');
    frame.append(static_cast<char>(marker));
    frame.append(static_cast<char>(body.size()));
    frame.append(body);
    frame.append(endByte);
    return frame;
}

QByteArray longReply(const QByteArray& data, char endByte)
{
    const QByteArray body = data.left(0xFFFF);
    QByteArray frame("*E");
    frame.append(static_cast<char>(body.size() / 256));
    frame.append(static_cast<char>(body.size() % 256));
    frame.append(body);
    frame.append(endByte);
    return frame;
}

QByteArray acknowledgement(bool taken) { return taken ? QByteArrayLiteral("*U#") : QByteArrayLiteral("*X#"); }

} // namespace sim
