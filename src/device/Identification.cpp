#include "device/Identification.h"

namespace device {

namespace {

constexpr int kSerialLength = 8;
// Result byte index of the first serial byte (data offset 8 for a QMR51, 18 for a TIKA).
constexpr int kQmrSerialIndex = 9;
constexpr int kTikaSerialIndex = 19;

std::uint8_t byteAt(const QByteArray& result, int index) { return static_cast<std::uint8_t>(result.at(index)); }

} // namespace

Identification identifyDevice(const QByteArray& result)
{
    Identification id;
    const int length = static_cast<int>(result.size());
    // The status byte comes first; anything but 0 means the device did not answer properly.
    if (length < kQmrMinResultLength || byteAt(result, 0) != 0)
        return id;

    id.deviceFound = true;
    for (int i = 0; i < 4; ++i)
        id.fwVersion[static_cast<std::size_t>(i)] = byteAt(result, 1 + i);

    if (length >= kTikaMinResultLength) {
        // The TIKA V1 (ESP32) and V2 (ESP32-S3) answer alike; only the serial tells them apart,
        // compared exactly (a "22m" or "21M" module is a V1).
        id.serial = result.mid(kTikaSerialIndex, kSerialLength);
        id.kind = id.serial.startsWith(kTikaV2SerialPrefix) ? DeviceKind::TikaV2 : DeviceKind::TikaV1;
        return id;
    }
    if (length > kQmrNoSerialMaxLength)
        id.serial = result.mid(kQmrSerialIndex, kSerialLength);
    id.kind = DeviceKind::Qmr51;
    return id;
}

} // namespace device
