#pragma once
#include "device/DeviceKind.h"
#include <QByteArray>
#include <QString>

namespace shell {
class Tool;
}

namespace device {

// Puts the settings found in the identification answer into the settings controls. The order of
// the steps matters: each control's bounds are widened before its value is set and narrowed after,
// a power level is set before the difference's bounds (which follow the level), and an output's
// function comes last because choosing it re-applies the difference rule. Every set raises the
// controls' change rules, which arm the settings timer; the connect disarms it afterwards.
class SettingsReadBack {
public:
    explicit SettingsReadBack(shell::Tool& tool);

    // result: the SendCommand result of command 86, already accepted as a device of this kind.
    void load(const QByteArray& result, device::DeviceKind kind);

private:
    void loadQmr51(const QByteArray& result);
    void loadTika(const QByteArray& result, device::DeviceKind kind);
    void loadOutput(const QByteArray& result, int output, device::DeviceKind kind);

    shell::Tool& tool_;
};

} // namespace device
