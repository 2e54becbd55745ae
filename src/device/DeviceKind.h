#pragma once
#include <QString>
#include <optional>

namespace device {

// The kinds of device the tool serves. A TIKA module (V1 on an ESP32 board, V2 on an ESP32-S3)
// answers some commands differently from a QMR51: its readings carry their own status byte, its
// settings record is longer, its firmware goes in through esptool.
enum class DeviceKind { Qmr51, TikaV1, TikaV2 };

// "QMR51", "TIKA V1" or "TIKA V2": what the caption and the forced-upgrade dialog show.
QString displayName(DeviceKind kind);
// The kind with that display name; nothing for any other text.
std::optional<DeviceKind> kindNamed(const QString& name);

inline bool isTika(DeviceKind kind) { return kind != DeviceKind::Qmr51; }
// An unknown kind (nothing connected yet) counts as a QMR51, the tool's first device.
inline bool isTika(std::optional<DeviceKind> kind) { return kind && isTika(*kind); }
inline bool isTikaV2(std::optional<DeviceKind> kind) { return kind == DeviceKind::TikaV2; }

} // namespace device
