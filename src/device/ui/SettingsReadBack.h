#pragma once
#include "device/DeviceKind.h"
#include "device/SettingsRecord.h"
#include <QByteArray>
#include <QString>

namespace shell {
class Tool;
}

namespace device {

// Puts the settings found in the identification answer into the settings controls: the values
// of readBackRecord, which qmr51ctl shows too, so both faces read a device alike. The order of the
// steps matters: a power level is set before the difference's bounds (which follow the level), and
// an output's function comes last because choosing it re-applies the difference rule. Every set
// raises the controls' change rules, which arm the settings timer; the connect disarms it
// afterwards.
class SettingsReadBack {
public:
    explicit SettingsReadBack(shell::Tool& tool);

    // reply: the identification reply, already accepted as a device of this kind.
    void load(const QByteArray& reply, device::DeviceKind kind);

private:
    void loadOutput(const SettingsRecord& settings, int output, bool hasDelays, bool knownFunction,
                    device::DeviceKind kind);

    shell::Tool& tool_;
};

} // namespace device
