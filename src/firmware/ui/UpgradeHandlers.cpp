#include "firmware/ui/UpgradeHandlers.h"
#include "device/ui/ConnectHandler.h"
#include "firmware/Qmr51Upgrade.h"
#include "firmware/TikaFlash.h"
#include "firmware/ui/FrmForceUpgrade.h"
#include "firmware/ui/WidgetDisabler.h"
#include "link/ui/PortList.h"
#include "device/Captions.h"
#include "device/ui/SettingsSender.h"
#include "shell/ui/Tool.h"
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace firmware {

namespace {
constexpr int kDialogOffsetTwips = 1000;
} // namespace

UpgradeHandlers::UpgradeHandlers(shell::Tool& tool)
    : tool_(tool),
      progress_(&tool.frm, tool.svc.dialogs),
      qmr51_(std::make_unique<Qmr51Upgrade>(tool.session, tool.svc.transfer, tool.svc.servers.firmwareServer,
                                            tool.svc.programFolder, progress_)),
      tika_(std::make_unique<TikaFlash>(tool.session, tool.svc.programs, tool.svc.programFolder, progress_))
{
    auto& f = tool_.frm;
    QObject::connect(f.cmdUpgrade, &QPushButton::clicked, &connections_, [this] { cmdUpgrade_Click(); });
    QObject::connect(f.cmdForceUpgrade, &QPushButton::clicked, &connections_, [this] { cmdForceUpgrade_Click(); });
}

UpgradeHandlers::~UpgradeHandlers()
{
    delete forceDialog_.data();
}

void UpgradeHandlers::setStartControlsEnabled(bool enabled)
{
    tool_.frm.cmdUpgrade->setEnabled(enabled);
    if (forceDialog_)
        forceDialog_->cmdStartUpgrade->setEnabled(enabled);
}

void UpgradeHandlers::cmdUpgrade_Click() { runUpgrade(); }

void UpgradeHandlers::runUpgrade()
{
    if (running_)
        return;
    // Started by a click while a request holds the line, it starts right after that request.
    tool_.requests().run(QStringLiteral("upgrade"), [this] { upgradeInTurn(); });
}

void UpgradeHandlers::upgradeInTurn()
{
    auto& f = tool_.frm;
    running_ = true;
    setStartControlsEnabled(false);
    {
        WidgetDisabler windowOff(f.centralWidget());
        // A settings change made just before belongs to the firmware running now: it goes out
        // before the transfer, not in the middle of it, and is never lost.
        tool_.sender().sendPendingNow();
        f.timTXSettings.stop();
        // The refresh stops while the upgrade has the device, and runs again once it is connected
        // (or given back untouched). After a transfer that failed it stays off: the QMR51 waits in
        // its boot loader for a retry, and a poll would only disturb it.
        if (device::isTika(tool_.session.kind()))
            flashTika();
        else
            upgradeQmr51();
    }
    running_ = false;
    setStartControlsEnabled(true);
}

void UpgradeHandlers::upgradeQmr51()
{
    if (qmr51_->run().outcome == Qmr51Upgrade::Outcome::Restarted)
        tool_.connection().connectSelectedPort();
}

void UpgradeHandlers::flashTika()
{
    auto& f = tool_.frm;
    const QString missing = tika_->missingImage();
    if (!missing.isEmpty()) {
        f.statusLine->setText(missing);
        return;
    }
    const device::DeviceKind kind = tool_.session.kind().value_or(device::DeviceKind::TikaV1);
    const QString caption = f.windowTitle();
    f.setWindowTitle(QStringLiteral("%1 V%2.%3 ----").arg(device::displayName(kind)).arg(device::kVersionMajor).arg(device::kVersionRevision));
    const TikaFlash::Outcome outcome = tika_->run().outcome;
    if (outcome == TikaFlash::Outcome::Refused) {
        // Nothing ran and the connection is as it was; the message box said why.
        f.setWindowTitle(caption);
        return;
    }
    if (outcome == TikaFlash::Outcome::Flashed)
        f.statusLine->setText(QStringLiteral("The TIKA module was flashed and verified; connecting again."));
    tool_.connection().connectSelectedPort();
}

void UpgradeHandlers::cmdForceUpgrade_Click()
{
    auto& f = tool_.frm;
    if (!forceDialog_) {
        forceDialog_ = new FrmForceUpgrade(&f);
        // Closed with its own close control without starting, it is simply gone.
        forceDialog_->setAttribute(Qt::WA_DeleteOnClose);
        forceDialog_->cmdStartUpgrade->setEnabled(!running_);
        QObject::connect(forceDialog_->cmdStartUpgrade, &QPushButton::clicked, &connections_,
                         [this] { cmdStartUpgrade_Click(); });
    }
    const QPoint offset(f.twips(kDialogOffsetTwips), f.twips(kDialogOffsetTwips));
    forceDialog_->move(f.pos() + offset);
    forceDialog_->show();
    forceDialog_->raise();
    forceDialog_->activateWindow();
}

void UpgradeHandlers::cmdStartUpgrade_Click()
{
    if (running_ || !forceDialog_)
        return;
    const int chosen = comlink::selectedPortNumber(*tool_.frm.cmbComPort);
    tool_.session.assume(chosen > 0 ? std::optional<std::uint8_t>(static_cast<std::uint8_t>(chosen)) : std::nullopt,
                         forceDialog_->chosenDeviceType());
    // The upgrade runs inside this click of the dialog's button: closed meanwhile, the dialog only
    // hides, so the button is still there when the click returns.
    forceDialog_->setAttribute(Qt::WA_DeleteOnClose, false);
    runUpgrade();
    // Unloaded once the upgrade has returned; the click that started it is still on the stack, so
    // the dialog goes when control is back in the event loop.
    if (forceDialog_) {
        forceDialog_->hide();
        forceDialog_->deleteLater();
        forceDialog_ = nullptr;
    }
}

} // namespace firmware
