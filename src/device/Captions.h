#pragma once
#include "device/DeviceKind.h"
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace device {

// The tool's own version comes from the build (project version 4.0.0.4); captions show
// major "." revision, i.e. "4.4".
inline constexpr int kVersionMajor = QMR_VERSION_MAJOR;
inline constexpr int kVersionRevision = QMR_VERSION_REVISION;
inline constexpr char kApplicationTitle[] = "QMR51 Visualisation";

// "QMR51-TIKA V4.4": the caption of a freshly started window.
QString startCaption();
// "QMR51-TIKA V4.4 ----": no device connected (after a close or a failed connect).
QString closedCaption();
// "Visualizer V4.4 s/n:<serial> Listening to COM<port> <kind> FW V<a>.<b>.<c>.<d>". The serial
// is shown byte for byte as the device sent it.
QString connectedCaption(const QByteArray& serial, int port, device::DeviceKind kind,
                         const std::array<std::uint8_t, 4>& firmware);
// "a.b.c.d", each byte as a plain decimal number.
QString versionText(const std::array<std::uint8_t, 4>& version);

} // namespace device
