#pragma once
#include "device/SettingsRecord.h"
#include <QObject>

namespace shell {
class Tool;
}

namespace device {

// Sends the settings shown in the window to the device, a second after the last change: the
// handler of the settings timer timTXSettings, which every settings control restarts. The record
// always carries the state of all controls at the moment it goes out, so changes made while a
// send is running go out with the next one.
class SettingsSender {
public:
    explicit SettingsSender(shell::Tool& tool);

    // In its turn (after a request under way), sends the settings record (command 66: 4 bytes for
    // a QMR51, 14 or 18 for a TIKA module depending on its firmware) and disarms the settings
    // timer; the refresh stops meanwhile and starts again with the interval now shown. The device
    // acknowledges with "*U#"; the exchange always waits its full 0.8 s, and an answer without the
    // acknowledgement is told to the user ("Settings error") once the wait is over. Nothing is
    // retried.
    //
    // With no device connected or the port not open, nothing is sent: the timer is only disarmed
    // (a change made just before a close, or the lists filled at start-up).
    void timTXSettings_Timer();

    // The settings record as the controls show it now.
    SettingsRecord shownSettings() const;

    // True when the controls show settings other than those the device holds as far as the tool
    // knows (read at the connect, or acknowledged since). Only such a change is sent: the device's
    // settings memory wears with every write.
    bool changesPending() const;
    // The controls show what the device holds (called when the connect has loaded them).
    void deviceHoldsShownSettings();
    // A change still waiting for its second goes out now (an upgrade is about to start, and the
    // settings belong to the firmware running now).
    void sendPendingNow();

private:
    void send();

    shell::Tool& tool_;
    QByteArray deviceHolds_; // settings payload the device holds
    // Context of the control connections: they end with this handler.
    QObject connections_;
};

} // namespace device
