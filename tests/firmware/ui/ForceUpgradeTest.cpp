// The forced-upgrade dialog: an upgrade for a device kind chosen by hand.
#include "UpgradeFakes.h"
#include "firmware/ui/FrmForceUpgrade.h"
#include "firmware/ui/UpgradeHandlers.h"
#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

using upgradefakes::UpgradeHarness;

namespace {

void runDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

TEST(ForceUpgrade, OpensNonModalBesideTheMainWindowOnceWithQmr51Chosen)
{
    UpgradeHarness h;
    auto& f = h.tool.frm;
    f.move(200, 150);
    f.show();
    h.tool.upgrade().cmdForceUpgrade_Click();
    firmware::FrmForceUpgrade* dialog = h.tool.upgrade().frmForceUpgrade();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Force firmware to TIKA");
    EXPECT_EQ(dialog->optModuleType[0]->text(), "QMR51");
    EXPECT_EQ(dialog->optModuleType[1]->text(), "TIKA V1");
    EXPECT_EQ(dialog->optModuleType[2]->text(), "TIKA V2");
    EXPECT_TRUE(dialog->optModuleType[0]->isChecked());
    EXPECT_EQ(dialog->cmdStartUpgrade->text(), "Start upgrade");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    const QPoint offset(f.twips(1000), f.twips(1000));
    EXPECT_EQ(dialog->pos(), f.pos() + offset);

    dialog->optModuleType[2]->setChecked(true);
    h.tool.upgrade().cmdForceUpgrade_Click();
    EXPECT_EQ(h.tool.upgrade().frmForceUpgrade(), dialog) << "one instance";
    EXPECT_TRUE(dialog->optModuleType[2]->isChecked());
    EXPECT_EQ(dialog->pos(), f.pos() + offset);

    dialog->close();
    runDeferredDeletes();
    EXPECT_EQ(h.tool.upgrade().frmForceUpgrade(), nullptr) << "closed without starting, it is gone";
    h.tool.upgrade().cmdForceUpgrade_Click();
    ASSERT_NE(h.tool.upgrade().frmForceUpgrade(), nullptr);
    EXPECT_TRUE(h.tool.upgrade().frmForceUpgrade()->optModuleType[0]->isChecked()) << "a fresh dialog";
}

TEST(ForceUpgrade, TikaV2OnCom12RunsTheTikaBranchOnPort12)
{
    UpgradeHarness h;
    QDir folder(h.p.folder.path());
    folder.mkpath("DATA");
    QFile image(folder.filePath("DATA/TIKAv2.bin"));
    ASSERT_TRUE(image.open(QIODevice::WriteOnly));
    image.write(QByteArray(64, '\xe9'));
    image.close();
    QFile esptool(folder.filePath("esptools3"));
    ASSERT_TRUE(esptool.open(QIODevice::WriteOnly));
    esptool.close();
    esptool.setPermissions(esptool.permissions() | QFileDevice::ExeOwner);
    h.p.ports.paths.insert(12, "/dev/ttyACM0");
    h.selectPort(12);

    h.tool.upgrade().cmdForceUpgrade_Click();
    auto* dialog = h.tool.upgrade().frmForceUpgrade();
    ASSERT_NE(dialog, nullptr);
    dialog->optModuleType[2]->setChecked(true);
    std::optional<device::DeviceKind> kindDuringFlash;
    std::optional<std::uint8_t> portDuringFlash;
    bool startEnabledDuringFlash = true;
    bool dialogSurvivedItsClose = false;
    QPointer<firmware::FrmForceUpgrade> watch(dialog);
    h.programs.onStart = [&](const upgradefakes::ProgramRecord&) {
        kindDuringFlash = h.tool.session.kind();
        portDuringFlash = h.tool.session.portNumber();
        startEnabledDuringFlash = dialog->cmdStartUpgrade->isEnabled();
        // Closed by the user while its Start click is still running the upgrade.
        dialog->close();
        runDeferredDeletes();
        dialogSurvivedItsClose = !watch.isNull();
    };
    dialog->cmdStartUpgrade->click();

    EXPECT_EQ(kindDuringFlash, device::DeviceKind::TikaV2);
    EXPECT_EQ(portDuringFlash, 12);
    EXPECT_FALSE(startEnabledDuringFlash);
    EXPECT_TRUE(dialogSurvivedItsClose);
    ASSERT_EQ(h.programs.started.size(), 1);
    EXPECT_EQ(h.programs.started[0]->arguments, QStringList({folder.filePath("PCOM12.sh")}));
    EXPECT_TRUE(upgradefakes::readFile(folder.filePath("PCOM12.sh")).contains("'--chip' 'esp32s3' '--port' '/dev/ttyACM0'"));
    EXPECT_EQ(h.tool.upgrade().frmForceUpgrade(), nullptr) << "unloaded after the upgrade";
    EXPECT_EQ(h.p.port.opened, QList<int>({12})) << "the connect after the flash";
}

TEST(ForceUpgrade, AQmr51OnAClosedPortGetsThePortOpenedFirst)
{
    UpgradeHarness h;
    h.serve({2, 2, 0, 0}, "four_blocks.hex");
    h.p.dialogs.answers = {true};
    h.selectPort(7);
    ASSERT_FALSE(h.p.port.isOpen());
    h.tool.upgrade().cmdForceUpgrade_Click();
    h.tool.upgrade().frmForceUpgrade()->cmdStartUpgrade->click();

    EXPECT_EQ(h.tool.session.portNumber(), 7);
    EXPECT_EQ(h.device.framesOf(208), 4);
    EXPECT_EQ(h.device.framesOf(210), 1);
    EXPECT_EQ(h.p.port.opened, QList<int>({7, 7}));
    EXPECT_TRUE(h.p.dialogs.messages.isEmpty()) << h.p.dialogs.messages.join('|').toStdString();
    EXPECT_EQ(h.tool.frm.windowTitle(), "Visualizer V4.4 s/n:Q5100042 Listening to COM7 QMR51 FW V2.2.0.0");
}

TEST(ForceUpgrade, AQmr51PortThatCannotBeOpenedIsReportedAndNothingIsFetched)
{
    UpgradeHarness h;
    h.serve({2, 2, 0, 0}, "four_blocks.hex");
    h.p.port.existingPorts = {1};
    h.selectPort(7);
    h.tool.upgrade().cmdForceUpgrade_Click();
    h.tool.upgrade().frmForceUpgrade()->cmdStartUpgrade->click();

    ASSERT_EQ(h.p.dialogs.messages.size(), 1);
    EXPECT_TRUE(h.p.dialogs.messages[0].startsWith("The QMR51 upgrade needs COM7, but that port cannot be opened (COM7 cannot be opened)."))
        << h.p.dialogs.messages[0].toStdString();
    EXPECT_TRUE(h.transfer.requests.isEmpty());
    EXPECT_TRUE(h.device.commands.isEmpty());
    EXPECT_FALSE(h.tool.upgrade().progress().exists());
    EXPECT_EQ(h.tool.upgrade().frmForceUpgrade(), nullptr);
}

} // namespace
