#include "device/ui/SettingsSender.h"
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

bool SettingsSender::changesPending() const
{
    return tool_.session.isOpen() && tool_.session.settingsPayloadFor(shownSettings()) != deviceHolds_;
}

void SettingsSender::deviceHoldsShownSettings() { deviceHolds_ = tool_.session.settingsPayloadFor(shownSettings()); }

void SettingsSender::sendPendingNow()
{
    if (tool_.frm.timTXSettings.isActive())
        send();
}

void SettingsSender::timTXSettings_Timer()
{
    tool_.requests().run(QStringLiteral("settings"), [this] { send(); });
}

void SettingsSender::send()
{
    auto& f = tool_.frm;
    device::Session& session = tool_.session;
    if (!session.isOpen()) {
        f.timTXSettings.stop();
        return;
    }

    const SettingsRecord shown = shownSettings();
    switch (session.sendSettings(shown).outcome) {
    case comlink::Outcome::Acknowledged:
        deviceHolds_ = session.settingsPayloadFor(shown);
        break;
    case comlink::Outcome::Refused:
        // The device keeps its old settings when it answers a settings record with anything but
        // the acknowledgement; the user must know the change did not take.
        tool_.svc.dialogs.message(QStringLiteral("Settings error"));
        break;
    default:
        break; // silence, or a line that went away (told on the status line)
    }
    f.timTXSettings.stop();
}

} // namespace device
