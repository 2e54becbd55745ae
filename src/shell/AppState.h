#pragma once
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace shell {

// ComPort values that are not port numbers.
inline constexpr std::uint8_t kNoConnection = 0;
inline constexpr std::uint8_t kConnectFailed = 99;

// The state shared by every part of the tool for the whole run. Nothing of it is stored between
// runs: the device keeps its own settings.
struct AppState {
    // 0 = no connection, 99 = the last connect failed, otherwise n of the port COMn in use.
    std::uint8_t ComPort = kNoConnection;
    // "QMR51", "TIKA V1" or "TIKA V2"; empty while a connection is being made.
    QString DeviceType;
    // Firmware version a.b.c.d of the connected device.
    std::array<std::uint8_t, 4> FwVersion{};
    // Receive buffer of the command exchange; nobody else touches it.
    QByteArray RxBuffer;
    // -1 when the user pressed Cancel in the progress window; polled before each firmware block.
    std::int16_t UpgradeCancelled = 0;
};

// A TIKA module (V1 or V2) answers some commands differently from a QMR51.
inline bool isTika(const QString& deviceType) { return deviceType.left(4) == QLatin1String("TIKA"); }
inline bool isTikaV2(const QString& deviceType) { return deviceType == QLatin1String("TIKA V2"); }

} // namespace shell
