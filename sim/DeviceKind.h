#pragma once
#include "device/DeviceKind.h"
#include <QString>
#include <optional>

namespace sim {

// The three devices the simulator can play, the kinds the tool knows. They share the serial
// protocol but differ in the layout of their identification and readings answers and in the
// length of their settings.
using DeviceKind = device::DeviceKind;
using device::isTika;

// "qmr51", "tika1" or "tika2" (the program's --kind values); nothing for any other text.
std::optional<DeviceKind> parseDeviceKind(const QString& name);

// "QMR51", "TIKA V1" or "TIKA V2", as the tool names the kinds.
inline QString deviceKindName(DeviceKind kind) { return device::displayName(kind); }

} // namespace sim
