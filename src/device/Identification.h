#pragma once
#include "device/DeviceKind.h"
#include "link/Commands.h"
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace device {

// What the answer to the identification command 86 says about the attached device.
//
// The reply bytes (as the exchange hands them back) are the data bytes, the frame's closing '#', and
// whatever arrived behind the frame. The data start with the firmware version a.b.c.d; the rest
// (settings and serial number) is laid out per device kind, and the kind itself is told apart by
// the answer's length.
struct Identification {
    // False when nothing usable came back: a non-zero status (time-out, wrong end character, ...)
    // or an answer too short for the settings that the connect reads from it. The other fields
    // are then empty and AppState keeps its earlier firmware version.
    bool deviceFound = false;
    // Meaningful only when a device was found.
    DeviceKind kind = DeviceKind::Qmr51;
    // Firmware version bytes a, b, c, d (reply bytes 0 ... 3).
    std::array<std::uint8_t, 4> fwVersion{};
    // Up to 8 serial-number bytes exactly as the device sent them (any byte values); shorter
    // when the answer ends early, empty for a short QMR51 answer.
    QByteArray serial;
};

// Reply lengths (the closing '#' and what followed included) that decide the device kind.
// A TIKA module answers with at least 25 bytes; anything from 25 reply bytes on is a TIKA.
inline constexpr int kTikaMinReplyLength = 25;
// A QMR51 reply needs 8 data bytes (version, interval, country, protocol, divider) and its '#'
// before its settings can be read; shorter answers are treated as no device.
inline constexpr int kQmrMinReplyLength = 9;
// Up to here a QMR51 answer is taken to carry no serial number.
inline constexpr int kQmrNoSerialMaxLength = 11;
// A TIKA V2 (ESP32-S3 board) is recognised by serial numbers beginning with these characters.
inline constexpr char kTikaV2SerialPrefix[] = "22M";

// Decides the device kind, firmware version and serial number from the reply to command 86.
// Never reads beyond the reply.
Identification identifyDevice(const comlink::Reply& reply);

} // namespace device
