// What only the window adds to an upgrade: the buttons, the window off during the run, the
// reconnect, the refresh timer and the forced-upgrade dialog.
// The flows themselves are tested on a session in tests/firmware.
#include "../UpgradeFakes.h"
#include "EspImages.h"
#include "ToolHarness.h"
#include "firmware/ModuleImages.h"
#include "firmware/ui/FrmForceUpgrade.h"
#include "firmware/ui/UpgradeHandlers.h"
#include <QCoreApplication>
#include <QFile>
#include "firmware/UnitRecord.h"
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace upgradefakes;

namespace {

struct Window : fakes::ToolHarness {
    FakeQmr51 device;
    firmware::UpgradeHandlers& upgrade = tool.upgrade();
    Window()
    {
        // The start-up image refresh has its own thread; let it end before a test makes DATA/.
        tool.moduleImages().waitForFinished(std::chrono::seconds(10));
        device.attach(p.port);
        p.transfer.files = {{kList, upgradeList({2, 2, 0, 0})}, {kHex, testData("four_blocks.hex")}};
        p.dialogs.answers = {true};
    }
};

TEST(UpgradeWindow, TheQmr51BranchRunsWithTheWindowOffThenConnectsAgainUnlessTheTransferFailed)
{
    for (const bool fails : {false, true}) {
        Window h;
        h.selectPort(7);
        h.tool.connection().cmdOpenCom_Click();
        bool windowOn = true;
        h.device.acknowledge = [&](int command, int number, int) {
            if (command == 208 && number == 0 && windowOn) {
                windowOn = h.tool.frm.cmdUpgrade->isEnabled() || h.tool.frm.centralWidget()->isEnabled();
                h.upgrade.cmdUpgrade_Click(); // a second start while one runs
            }
            return !fails;
        };
        h.tool.frm.cmdUpgrade->click();
        QCoreApplication::processEvents();
        EXPECT_FALSE(windowOn);
        EXPECT_EQ(h.p.transfer.requests, QStringList({kList, kHex})) << "the second start did nothing";
        EXPECT_EQ(h.tool.frm.windowTitle(), QString("Visualizer V4.4 s/n:Q5100042 Listening to COM7 QMR51 FW V") + (fails ? "2.1.0.5" : "2.2.0.0"));
        EXPECT_EQ(h.p.port.opened, fails ? QList<int>({7}) : QList<int>({7, 7})) << "after a failure the device waits for a retry";
        EXPECT_EQ(h.tool.frm.timScan.isActive(), !fails);
        EXPECT_TRUE(h.tool.frm.cmdUpgrade->isEnabled() && h.tool.frm.centralWidget()->isEnabled());
        // The window keeps a record of the attempt as qmr51ctl does.
        QFile records(firmware::defaultRecordFile(h.p.folder.path(), h.p.clock.now()));
        ASSERT_TRUE(records.open(QIODevice::ReadOnly));
        const QList<firmware::UnitRecord> kept = firmware::readRecordLines(records.readAll()).records;
        ASSERT_EQ(kept.size(), 1);
        EXPECT_TRUE(kept[0].command == "upgrade" && kept[0].serial == "Q5100042" && kept[0].firmwareBefore == "2.1.0.5");
        EXPECT_EQ(kept[0].firmwareAfter, fails ? "" : "2.2.0.0");
        EXPECT_EQ(kept[0].resultClass, fails ? device::UnitClass::Transfer : device::UnitClass::Passed);
    }
}

// The forced upgrade of a TIKA V2 on COM12: the TIKA branch of the Upgrade button, with the kind
// from the dialog and the port from the port list. It ends when the module answers after its boot
// (3 s here), not after a fixed 20 s.
TEST(UpgradeWindow, TheForcedUpgradeDialogIsNonModalAndRunsTheBranchOfItsKindOnTheListedPort)
{
    Window h;
    auto& f = h.tool.frm;
    const QString folder = h.p.folder.path();
    ASSERT_TRUE(QDir(folder).mkpath("DATA") && writeFile(folder + "/esptools3", {}, true)
                && writeFile(folder + "/DATA/TIKAv2.bin", espimages::good(espimages::esp32)));
    h.p.ports.paths.insert(12, "/dev/ttyACM0");
    h.selectPort(12);
    // First an ESP32 image for the TIKA V2: a message box says why, nothing runs, the caption stays.
    const QString before = f.windowTitle();
    h.upgrade.cmdForceUpgrade_Click();
    h.upgrade.frmForceUpgrade()->optModuleType[2]->setChecked(true);
    h.upgrade.frmForceUpgrade()->cmdStartUpgrade->click();
    EXPECT_TRUE(h.p.dialogs.messages.value(0).contains("built for an ESP32, this module is an ESP32-S3") && f.windowTitle() == before
                && h.p.programs.started.isEmpty() && h.p.port.opened.isEmpty());
    ASSERT_TRUE(writeFile(folder + "/DATA/TIKAv2.bin", espimages::good(espimages::esp32s3)));

    h.upgrade.cmdForceUpgrade_Click();
    firmware::FrmForceUpgrade* dialog = h.upgrade.frmForceUpgrade();
    ASSERT_TRUE(dialog && dialog->isVisible() && !dialog->isModal());
    QString caption;
    bool startOn = true, survived = false;
    h.p.pump.onEvents = [&] {
        if (h.p.programs.started.isEmpty() || !caption.isEmpty())
            return;
        caption = f.windowTitle();
        startOn = dialog->cmdStartUpgrade->isEnabled();
        dialog->close(); // closed while its own Start click still runs the upgrade
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        survived = h.upgrade.frmForceUpgrade() == dialog;
    };
    double esptoolEnd = 1e12; // esptool ends as it starts
    h.p.programs.onStart = [&] { esptoolEnd = h.p.clock.exact(); };
    h.p.port.responder = [&, device = h.p.port.responder](const QByteArray& w) {
        return h.p.clock.exact() < esptoolEnd + 3 ? QList<fakes::FakeSerialPort::Arrival>() : device(w);
    };
    dialog->optModuleType[2]->setChecked(true); // TIKA V2
    dialog->cmdStartUpgrade->click();
    EXPECT_TRUE(h.p.clock.exact() - esptoolEnd < 4 && !h.upgrade.progress().exists()
                && h.tool.session.state() == device::Session::State::Connected);
    EXPECT_EQ(caption, "TIKA V2 V4.4 ----");
    EXPECT_TRUE(!startOn && survived) << "no second start, and the dialog lives until its click ends";
    EXPECT_TRUE(readFile(folder + "/PCOM12.sh").contains("'--chip' 'esp32s3' '--port' '/dev/ttyACM0'"));
    EXPECT_EQ(h.p.port.opened, QList<int>({12, 12})) << "asking the module after the flash, then the connect";
    EXPECT_EQ(h.upgrade.frmForceUpgrade(), nullptr) << "unloaded after the upgrade";
}

} // namespace
