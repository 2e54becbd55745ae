#include "firmware/ui/UpgradeHandlers.h"
#include "device/ui/ConnectHandler.h"
#include "firmware/Qmr51Upgrade.h"
#include "firmware/TikaFlash.h"
#include "firmware/UnitJobs.h"
#include "firmware/UnitRecord.h"
#include "firmware/UnitRecordFile.h"
#include "firmware/ui/FrmForceUpgrade.h"
#include "firmware/ui/WidgetDisabler.h"
#include "link/ui/PortList.h"
#include "device/Captions.h"
#include "device/ui/SettingsSender.h"
#include "shell/ui/Tool.h"
#include <QComboBox>
#include <QCoreApplication>
#include <QSysInfo>
#include <cmath>
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
        const device::Session& session = tool_.session;
        device::UnitAttempt attempt;
        attempt.startUtc = tool_.svc.clock.now().toUTC();
        attempt.portNumber = session.portNumber().value_or(0);
        attempt.devicePath = tool_.session.devicePath(attempt.portNumber);
        attempt.kind = session.kind();
        attempt.serial = session.serial();
        if (!session.serial().isEmpty()) // a forced upgrade's device did not say what it runs
            attempt.firmwareBefore = session.firmware();
        const double started = tool_.svc.clock.elapsedSeconds();
        attempt.result = device::isTika(session.kind()) ? flashTika(attempt) : upgradeQmr51(attempt);
        attempt.durationMs = std::llround((tool_.svc.clock.elapsedSeconds() - started) * 1000.0);
        keepRecord(attempt);
    }
    running_ = false;
    setStartControlsEnabled(true);
}

// Every upgrade and flash from the window is one record, as qmr51ctl keeps one of every unit.
void UpgradeHandlers::keepRecord(const device::UnitAttempt& attempt)
{
    QJsonValue adapter;
    for (const platform::NumberedPort& port : tool_.session.portListing().ports())
        if (port.portNumber == attempt.portNumber)
            adapter = platform::usbJson(port.identity);
    const QString failed = appendUnitRecord(
        defaultRecordFile(tool_.svc.programFolder, attempt.startUtc),
        recordOfAttempt(attempt, QSysInfo::machineHostName(), QCoreApplication::applicationVersion(),
                        device::isTika(attempt.kind) ? QStringLiteral("flash") : QStringLiteral("upgrade"), adapter));
    if (!failed.isEmpty())
        tool_.frm.statusLine->setText(failed);
}

// The device as it answers after the restart: what it runs now.
device::UnitClass UpgradeHandlers::connectedAgain(device::UnitAttempt& attempt)
{
    tool_.connection().connectSelectedPort();
    if (tool_.session.state() != device::Session::State::Connected)
        return device::UnitClass::NoDevice;
    attempt.firmwareAfter = tool_.session.firmware();
    return device::UnitClass::Passed;
}

device::UnitClass UpgradeHandlers::upgradeQmr51(device::UnitAttempt& attempt)
{
    const Qmr51Upgrade::Result result = qmr51_->run();
    attempt.message = result.message;
    attempt.imageName = QStringLiteral("QMR51v2.hex");
    switch (result.outcome) {
    case Qmr51Upgrade::Outcome::NotStarted:
        return unitClassOf(result.because);
    case Qmr51Upgrade::Outcome::TransferFailed:
        return device::UnitClass::Transfer;
    case Qmr51Upgrade::Outcome::Restarted:
        break;
    }
    const device::UnitClass back = connectedAgain(attempt);
    return back == device::UnitClass::Passed && attempt.firmwareAfter != qmr51_->versionSent() ? device::UnitClass::Version : back;
}

device::UnitClass UpgradeHandlers::flashTika(device::UnitAttempt& attempt)
{
    auto& f = tool_.frm;
    const QString missing = tika_->missingImage();
    if (!missing.isEmpty()) {
        f.statusLine->setText(missing);
        attempt.message = missing;
        return device::UnitClass::Download;
    }
    describeImageFile(attempt, tika_->imageFile());
    const device::DeviceKind kind = tool_.session.kind().value_or(device::DeviceKind::TikaV1);
    const QString caption = f.windowTitle();
    f.setWindowTitle(QStringLiteral("%1 V%2.%3 ----").arg(device::displayName(kind)).arg(device::kVersionMajor).arg(device::kVersionRevision));
    const TikaFlash::Result flashed = tika_->run();
    attempt.message = flashed.message;
    if (flashed.reconnectMs >= 0)
        attempt.reconnectMs = flashed.reconnectMs;
    if (flashed.outcome == TikaFlash::Outcome::Refused) {
        // Nothing ran and the connection is as it was; the message box said why.
        f.setWindowTitle(caption);
        return device::UnitClass::RefusedInput;
    }
    if (flashed.outcome == TikaFlash::Outcome::Flashed)
        f.statusLine->setText(QStringLiteral("The TIKA module was flashed and verified; connecting again."));
    const device::UnitClass back = connectedAgain(attempt);
    return flashed.outcome == TikaFlash::Outcome::Flashed ? back : unitClassOf(flashed.outcome);
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
