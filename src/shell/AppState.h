#pragma once
#include <QByteArray>
#include "device/DeviceKind.h"
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace shell {

// The state shared by every part of the tool for the whole run. Nothing of it is stored between
// runs: the device keeps its own settings.
struct AppState {
    // n of the port COMn in use: the connected device's, or the one an upgrade is forced onto.
    // Empty while there is none. Every number 1..255 is a port, COM99 too.
    std::optional<std::uint8_t> ComPort;
    // True after a connect that found no port or no device there (the port search then tries the
    // next port); a close or the next connect clears it.
    bool ConnectFailed = false;
    // The kind of the connected device (or the one an upgrade is forced for); empty while a
    // connection is being made.
    std::optional<device::DeviceKind> DeviceType;
    // Firmware version a.b.c.d of the connected device.
    std::array<std::uint8_t, 4> FwVersion{};
    // -1 when the user pressed Cancel in the progress window; polled before each firmware block.
    std::int16_t UpgradeCancelled = 0;
};

} // namespace shell
