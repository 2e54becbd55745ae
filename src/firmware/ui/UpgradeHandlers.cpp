#include "firmware/ui/UpgradeHandlers.h"
#include "firmware/ui/FrmForceUpgrade.h"
#include "firmware/ui/Qmr51Upgrade.h"
#include "firmware/ui/TikaFlash.h"
#include "firmware/ui/WidgetDisabler.h"
#include "link/PortSearch.h"
#include "shell/ui/Tool.h"
#include <QComboBox>
#include <QPushButton>

namespace firmware {

namespace {
constexpr int kDialogOffsetTwips = 1000;
} // namespace

UpgradeHandlers::UpgradeHandlers(shell::Tool& tool)
    : tool_(tool),
      progress_(tool.state, &tool.frm),
      qmr51_(std::make_unique<Qmr51Upgrade>(tool, progress_)),
      tika_(std::make_unique<TikaFlash>(tool, progress_))
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

void UpgradeHandlers::cmdUpgrade_Click()
{
    if (running_)
        return;
    auto& f = tool_.frm;
    running_ = true;
    setStartControlsEnabled(false);
    bool refreshAfterwards = true;
    {
        WidgetDisabler windowOff(f.centralWidget());
        f.timScan.stop();
        // A settings change still waiting to go out would reach the device in the middle of the
        // transfer; the connect afterwards shows the settings the device really holds.
        f.timTXSettings.stop();
        if (device::isTika(tool_.state.DeviceType))
            tika_->run();
        else
            refreshAfterwards = qmr51_->run();
    }
    if (refreshAfterwards)
        f.timScan.start();
    running_ = false;
    setStartControlsEnabled(true);
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
    auto& state = tool_.state;
    if (const std::optional<device::DeviceKind> kind = forceDialog_->chosenDeviceType())
        state.DeviceType = kind;
    // "COM7:" gives 7; a number past 255 names no port this tool can address.
    const std::optional<int> chosen = comlink::portNumberOfEntry(tool_.frm.cmbComPort->currentText());
    if (chosen && *chosen > 0)
        state.ComPort = static_cast<std::uint8_t>(*chosen);
    else
        state.ComPort.reset();
    // The upgrade runs inside this click of the dialog's button: closed meanwhile, the dialog only
    // hides, so the button is still there when the click returns.
    forceDialog_->setAttribute(Qt::WA_DeleteOnClose, false);
    cmdUpgrade_Click();
    // Unloaded once the upgrade has returned; the click that started it is still on the stack, so
    // the dialog goes when control is back in the event loop.
    if (forceDialog_) {
        forceDialog_->hide();
        forceDialog_->deleteLater();
        forceDialog_ = nullptr;
    }
}

} // namespace firmware
