#pragma once
#include "device/UnitAttempt.h"
#include "firmware/ui/FrmForceUpgrade.h"
#include "firmware/ui/ProgressHost.h"
#include <QObject>
#include <QPointer>
#include <memory>

namespace shell {
class Tool;
}

namespace firmware {

class Qmr51Upgrade;
class TikaFlash;

// The main window's Upgrade and Force upgrade buttons and the forced-upgrade dialog.
//
// One upgrade at a time: while one runs, cmdUpgrade_Click does nothing, the Upgrade button and
// the dialog's Start button are disabled, and so is the rest of the main window (a readings poll,
// a settings send, a port search or a close on the line in the middle of a firmware transfer
// would break it). The progress window stays usable: its Cancel stops a QMR51 block transfer and
// closing it stops a TIKA flash. The periodic refresh is off for the run.
class UpgradeHandlers {
public:
    explicit UpgradeHandlers(shell::Tool& tool);
    ~UpgradeHandlers();
    UpgradeHandlers(const UpgradeHandlers&) = delete;
    UpgradeHandlers& operator=(const UpgradeHandlers&) = delete;

    void cmdUpgrade_Click();
    // The one entry point of every upgrade: a TIKA module (the session's kind "TIKA V1"/"TIKA V2")
    // is flashed with esptool, any other device is taken as a QMR51 and upgraded over its line;
    // the window connects again afterwards. The refresh is on again afterwards, except after a
    // failed QMR51 transfer.
    void runUpgrade();
    // Shows the forced-upgrade dialog, 1000 twips right of and below the main window, non-modal;
    // a second click shows the same dialog again.
    void cmdForceUpgrade_Click();
    // The dialog's Start upgrade: the kind from the chosen option, the port from the port list's
    // entry, then the upgrade; the dialog is unloaded when it has returned.
    void cmdStartUpgrade_Click();

    bool running() const { return running_; }
    ProgressHost& progress() { return progress_; }
    // The forced-upgrade dialog while it is loaded, else nullptr.
    FrmForceUpgrade* frmForceUpgrade() const { return forceDialog_.data(); }
    Qmr51Upgrade& qmr51() { return *qmr51_; }
    TikaFlash& tika() { return *tika_; }

private:
    void setStartControlsEnabled(bool enabled);
    void upgradeInTurn();
    // Each runs its branch and says how the attempt ended, filling in what it learnt.
    device::UnitClass upgradeQmr51(device::UnitAttempt& attempt);
    device::UnitClass flashTika(device::UnitAttempt& attempt);
    device::UnitClass connectedAgain(device::UnitAttempt& attempt);
    void keepRecord(const device::UnitAttempt& attempt);

    shell::Tool& tool_;
    ProgressHost progress_;
    std::unique_ptr<Qmr51Upgrade> qmr51_;
    std::unique_ptr<TikaFlash> tika_;
    QPointer<FrmForceUpgrade> forceDialog_;
    bool running_ = false;
    QObject connections_; // the button connections end with this object
};

} // namespace firmware
