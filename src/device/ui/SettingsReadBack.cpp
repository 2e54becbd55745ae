#include "device/ui/SettingsReadBack.h"
#include "device/SettingsRecord.h"
#include "shell/ui/Tool.h"
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

namespace device {

SettingsReadBack::SettingsReadBack(shell::Tool& tool) : tool_(tool) {}

void SettingsReadBack::load(const QByteArray& result, device::DeviceKind kind)
{
    if (device::isTika(kind))
        loadTika(result, kind);
    else
        loadQmr51(result);
}

void SettingsReadBack::loadQmr51(const QByteArray& result)
{
    auto& f = tool_.frm;
    const QmrReadBack fields = qmrReadBack(result);
    shell::SpinButton& interval = *f.interval->spin();
    interval.setMinimum(0);
    interval.setMaximum(255);
    interval.setValue(fields.intervalSeconds);
    interval.setMinimum(5);
    interval.setMaximum(60);
    f.cmbProtocol->setCurrentIndex(fields.protocolPosition);
    shell::SpinButton& divider = *f.divider[0]->spin();
    divider.setMinimum(0);
    divider.setValue(fields.divider);
    divider.setMinimum(1);
}

void SettingsReadBack::loadTika(const QByteArray& result, device::DeviceKind kind)
{
    auto& f = tool_.frm;
    f.cmbProtocol->setCurrentIndex(tikaProtocolPositionOf(result));
    f.modbusAddress->spin()->setValue(tikaModbusAddress(result));
    for (int i = 0; i < 2; ++i) {
        shell::SpinButton& divider = *f.divider[i]->spin();
        divider.setMinimum(0);
        divider.setValue(dividerShown(tikaOutputBytes(result, i).divider, divider.maximum()));
        divider.setMinimum(1);
    }
    loadOutput(result, 0, kind);
    loadOutput(result, 1, kind);
}

void SettingsReadBack::loadOutput(const QByteArray& result, int i, device::DeviceKind kind)
{
    auto& f = tool_.frm;
    const TikaOutputBytes out = tikaOutputBytes(result, i);
    if (out.function >= f.cmbOutSelector[i]->count()) {
        // A function this tool does not know: show the first one and leave the rest of the output
        // as it was.
        f.cmbOutSelector[i]->setCurrentIndex(0);
        return;
    }
    shell::SpinButton& level = *f.powerLevel[i]->spin();
    level.setValue(powerLevelShown(out.powerLevelW, level.maximum()));
    shell::SpinButton& diff = *f.powerDiff[i]->spin();
    diff.setMaximum(powerDiffUpperBound(out.function, level.value()));
    diff.setMinimum(0);
    diff.setValue(powerDiffShown(out.powerDiffW, diff.maximum()));

    const int on = 2 * i;
    const int off = 2 * i + 1;
    const bool delays = out.hasDelays;
    if (!delays && i == 1)
        f.fraInputs->hide();
    if (delays) {
        f.delay[on]->spin()->setValue(delayShown(out.delayOnMinutes, f.delay[on]->spin()->maximum()));
        f.delay[off]->spin()->setValue(delayShown(out.delayOffMinutes, f.delay[off]->spin()->maximum()));
    }
    for (int j : {on, off}) {
        f.LabDelay[j]->setVisible(delays);
        f.LabMin[j]->setVisible(delays);
        f.delay[j]->setVisible(delays);
    }
    if (delays && i == 1)
        f.fraInputs->setVisible(kind == device::DeviceKind::TikaV2);
    f.cmbOutSelector[i]->setCurrentIndex(out.function);
}

} // namespace device
