#pragma once
#include "sim/DeviceKind.h"
#include <QByteArray>
#include <array>
#include <cstdint>
#include <optional>

namespace sim {

using FirmwareVersion = std::array<std::uint8_t, 4>; // a.b.c.d

// Everything a simulated device says about itself. A test or the program changes it freely;
// the device also changes it itself when it takes new settings or a new firmware version.
struct DeviceProfile {
    DeviceKind kind = DeviceKind::Qmr51;
    FirmwareVersion firmware{};
    // Up to 8 characters; the identification carries exactly these bytes, so a shorter serial
    // makes a shorter answer (as a module with a damaged serial would send).
    QByteArray serial;
    // The settings in the order of the settings command's payload: QMR51 4 bytes (interval,
    // country, protocol, divider); TIKA 18 bytes (protocol, Modbus address, two dividers, two
    // output functions, four 16-bit power values, four delays in minutes).
    QByteArray settings;
    // TIKA: whether the identification carries the delays (32 data bytes instead of 26). Unset:
    // when the firmware takes delays, like a real module.
    std::optional<bool> reportDelays;
    // TIKA readings status: 0 valid, 1 meter port busy, 2 overflow, 3 meter port error.
    std::uint8_t readingsStatus = 0;
    // The thirteen readings fields as the device holds them: watts, watt-hours, litres of gas and
    // water, pulse counts. A TIKA V2 sends them as whole numbers, the others as floats.
    std::array<double, 13> readings{};
    QByteArray debugLog;                       // the text the debug-log command returns
    std::optional<std::uint8_t> debugStatus;   // when set, the log answer is this one byte (1, 2, 3)

    // A plausible device of the kind: QMR51 2.1.0.5, TIKA V1 24.1.0.3 (no delays), TIKA V2
    // 25.0.1.2 (with delays, serial beginning "22M").
    static DeviceProfile defaults(DeviceKind kind);
};

// TIKA firmware from 24.2 on (and 25 and later) takes the four delays in its settings.
bool firmwareTakesDelays(const FirmwareVersion& firmware);

// Length of the settings command's payload this device expects: 4 for a QMR51; 18 for a TIKA
// whose firmware takes delays, 14 otherwise.
int settingsPayloadLength(const DeviceProfile& profile);

// Parses "a.b.c.d", each 0..255.
std::optional<FirmwareVersion> parseFirmwareVersion(const QString& text);

} // namespace sim
