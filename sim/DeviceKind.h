#pragma once
#include <QString>
#include <optional>

namespace sim {

// The three devices the simulator can play. They share the serial protocol but differ in the
// layout of their identification and readings answers and in the length of their settings.
enum class DeviceKind { Qmr51, TikaV1, TikaV2 };

// The two ESP32 modules answer alike in most things.
inline bool isTika(DeviceKind kind) { return kind != DeviceKind::Qmr51; }

// "qmr51", "tika1" or "tika2" (the program's --kind values); nothing for any other text.
std::optional<DeviceKind> parseDeviceKind(const QString& name);

// "QMR51", "TIKA V1" or "TIKA V2", as the devices' own documentation names them.
QString deviceKindName(DeviceKind kind);

} // namespace sim
