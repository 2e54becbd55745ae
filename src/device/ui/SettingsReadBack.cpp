#include "device/ui/SettingsReadBack.h"
#include "device/ReadBackRecord.h"
#include "device/SettingsLimits.h"
#include "shell/ui/Tool.h"
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

namespace device {

SettingsReadBack::SettingsReadBack(shell::Tool& tool) : tool_(tool) {}

void SettingsReadBack::load(const QByteArray& reply, device::DeviceKind kind)
{
    auto& f = tool_.frm;
    const SettingsRecord settings = readBackRecord(reply, kind);
    if (!device::isTika(kind)) {
        f.interval->spin()->setValue(settings.intervalSeconds);
        f.cmbProtocol->setCurrentIndex(settings.protocolPosition);
        f.divider[0]->spin()->setValue(settings.divider[0]);
        return;
    }
    f.cmbProtocol->setCurrentIndex(settings.protocolPosition);
    f.modbusAddress->spin()->setValue(settings.modbusAddress);
    for (std::size_t k = 0; k < 2; ++k)
        f.divider[k]->spin()->setValue(settings.divider[k]);
    for (int i = 0; i < 2; ++i) {
        const TikaOutputBytes out = tikaOutputBytes(reply, i);
        loadOutput(settings, i, out.hasDelays, out.function < kOutputFunctionCount, kind);
    }
}

void SettingsReadBack::loadOutput(const SettingsRecord& settings, int i, bool hasDelays, bool knownFunction,
                                  device::DeviceKind kind)
{
    auto& f = tool_.frm;
    const auto k = static_cast<std::size_t>(i);
    if (!knownFunction) {
        // A function this tool does not know: show the first one and leave the rest of the output
        // as it was.
        f.cmbOutSelector[k]->setCurrentIndex(0);
        return;
    }
    shell::SpinButton& level = *f.powerLevel[k]->spin();
    level.setValue(settings.powerLevelW[k]);
    shell::SpinButton& diff = *f.powerDiff[k]->spin();
    diff.setMaximum(powerDiffUpperBound(settings.outputFunction[k], level.value()));
    diff.setMinimum(0);
    diff.setValue(settings.powerDiffW[k]);

    const int on = 2 * i;
    const int off = 2 * i + 1;
    if (!hasDelays && i == 1)
        f.fraInputs->hide();
    if (hasDelays) {
        f.delay[on]->spin()->setValue(settings.delayMinutes[static_cast<std::size_t>(on)]);
        f.delay[off]->spin()->setValue(settings.delayMinutes[static_cast<std::size_t>(off)]);
    }
    for (int j : {on, off}) {
        f.LabDelay[j]->setVisible(hasDelays);
        f.LabMin[j]->setVisible(hasDelays);
        f.delay[j]->setVisible(hasDelays);
    }
    if (hasDelays && i == 1)
        f.fraInputs->setVisible(kind == device::DeviceKind::TikaV2);
    f.cmbOutSelector[k]->setCurrentIndex(settings.outputFunction[k]);
}

} // namespace device
