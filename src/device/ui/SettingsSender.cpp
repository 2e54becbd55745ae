#include "device/ui/SettingsSender.h"
#include "link/Commands.h"
#include "shell/ui/Tool.h"
#include <QComboBox>
#include <QGroupBox>

namespace device {

SettingsSender::SettingsSender(shell::Tool& tool) : tool_(tool)
{
    QObject::connect(&tool_.frm.timTXSettings, &QTimer::timeout, &connections_, [this] { timTXSettings_Timer(); });
}

SettingsRecord SettingsSender::shownSettings() const
{
    const auto& f = tool_.frm;
    SettingsRecord s;
    s.protocolPosition = f.cmbProtocol->currentIndex();
    s.intervalSeconds = f.interval->spin()->value();
    s.modbusAddress = f.modbusAddress->spin()->value();
    for (int i = 0; i < 2; ++i) {
        const auto k = static_cast<std::size_t>(i);
        s.divider[k] = f.divider[k]->spin()->value();
        s.outputFunction[k] = f.cmbOutSelector[k]->currentIndex();
        s.powerLevelW[k] = f.powerLevel[k]->spin()->value();
        s.powerDiffW[k] = f.powerDiff[k]->spin()->value();
    }
    for (std::size_t j = 0; j < 4; ++j)
        s.delayMinutes[j] = f.delay[j]->spin()->value();
    return s;
}

void SettingsSender::timTXSettings_Timer()
{
    auto& f = tool_.frm;
    auto& state = tool_.state;
    // The device serves one request at a time: try again on the next tick.
    if (tool_.exchange.busy())
        return;
    f.timScan.stop();
    const bool connected = state.ComPort.has_value();
    if (!connected || !tool_.svc.port.isOpen()) {
        f.timTXSettings.stop();
        return;
    }

    const QByteArray payload = settingsPayload(shownSettings(), state.DeviceType.value_or(device::DeviceKind::Qmr51), state.FwVersion);
    tool_.exchange.SendCommand(comlink::kWriteSettings, payload);

    const int scanMs = f.interval->spin()->value() * 1000;
    if (f.fraDebug->isHidden())
        f.timScan.start(scanMs);
    else
        f.timScan.setInterval(scanMs); // the debug view keeps the refresh off until Exit
    f.timTXSettings.stop();
}

} // namespace device
