#include "device/Identification.h"

namespace device {

namespace {

constexpr int kSerialLength = 8;
// Reply byte index of the first serial byte.
constexpr int kQmrSerialIndex = 8;
constexpr int kTikaSerialIndex = 18;

std::uint8_t byteAt(const QByteArray& bytes, int index) { return static_cast<std::uint8_t>(bytes.at(index)); }

} // namespace

Identification identifyDevice(const comlink::Reply& reply)
{
    Identification id;
    const QByteArray& result = reply.data;
    const int length = static_cast<int>(result.size());
    // Any status but 0 means the device did not answer properly.
    if (length < kQmrMinReplyLength || !reply.ok())
        return id;

    id.deviceFound = true;
    for (int i = 0; i < 4; ++i)
        id.fwVersion[static_cast<std::size_t>(i)] = byteAt(result, i);

    if (length >= kTikaMinReplyLength) {
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
