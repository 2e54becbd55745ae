// The QMR51 upgrade end to end, twice at once in one program folder: qmr51ctl as a program of its
// own on COM8 and the window beside it on COM7 (on its real line, see RealLineHarness.h), each with
// the real FTP client, from one pyftpdlib server on 127.0.0.1 that sends slowly, so that one run's
// download is still arriving while the other fetches its list and its HEX file. The upgrade's rules
// are pinned on the fake line in Qmr51UpgradeTest; here whole upgrades.
#include "LocalServers.h"
#include "RealLineHarness.h"
#include "TestFiles.h"
#include "firmware/ui/UpgradeHandlers.h"
#include "link/ui/PortList.h"
#include "platform/CurlTransfer.h"
#include <QComboBox>
#include <QProcess>
#include <QThread>
#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

TEST(UpgradeQmr51, TheWindowAndQmr51ctlAtOnceEachInstallTheImageAndVersionOfTheirOwnDownloads)
{
    // The upgrade list (the latest version, 2.2.0.0, in bytes 41..44 of 92) and a HEX image of four
    // blocks: 1183 bytes of HEX text at 400 bytes a second, about three seconds in flight.
    QTemporaryDir root;
    ASSERT_TRUE(fakes::writeFile(root.filePath("DENA_UPGlist.bin"), QByteArray(40, 'Z') + QByteArray::fromHex("02020000") + QByteArray(48, 'Z'))
                && fakes::writeFile(root.filePath("QMR51v2.hex"), fakes::readFile(QMR_TEST_DATA "/upgrade/four_blocks.hex")));
    const QString user = QStringLiteral("qmrtest"), password = QStringLiteral("Tq4wZn7KbP");
    testsupport::LocalServer server(QStringLiteral("ftp_server.py"),
                                    {"--root", root.path(), "--user", user, "--password", password, "--throttle", "400"});
    ASSERT_NE(server.port, 0) << server.problem.toStdString();

    fakes::RealLineHarness h;
    sim::Simulator* device = h.addDevice(7, sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51));
    sim::Simulator* other = h.addDevice(8, sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51));
    ASSERT_TRUE(device && other);
    other->setRestartDuration(std::chrono::milliseconds(0));
    platform::CurlTransfer ftp;
    platform::Services services{h.port, h.ports, h.clock, h.pump, h.dialogs, ftp, h.programs, h.folder.path(),
                                {{server.address(), user, password}, {}}};
    shell::Tool tool{services};
    tool.Form_Load();
    comlink::addPortEntry(*tool.frm.cmbComPort, 7, {});
    tool.frm.cmbComPort->setCurrentIndex(0);
    tool.connection().cmdOpenCom_Click();
    ASSERT_EQ(tool.frm.windowTitle(), "Visualizer V4.4 s/n:51000042 Listening to COM7 QMR51 FW V2.1.0.5");
    device->clearReceivedFrames();

    QProcess ctl;
    ctl.start(QStringLiteral(QMR_CTL), {"upgrade", "--yes", "--port", "COM8", "--program-folder", h.folder.path(),
                                        "--ftp-host", server.address(), "--ftp-user", user});
    ASSERT_TRUE(ctl.waitForStarted(30000));
    QThread::msleep(1500); // the window starts while qmr51ctl is downloading
    h.dialogs.answers = {true};
    tool.upgrade().cmdUpgrade_Click();

    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    QList<int> commands;
    for (const sim::RequestFrame& frame : device->receivedFrames())
        if (frame.command == 208 || frame.command == 210)
            commands.append(frame.command);
    EXPECT_EQ(commands, QList<int>({208, 208, 208, 208, 210})) << "four blocks, each once, then the closing frame";
    // The device checked every CRC before it installed the image.
    const QByteArray image = fakes::readFile(QMR_TEST_DATA "/upgrade/four_blocks.bin") + QByteArray(112, '\0');
    EXPECT_EQ(device->installedImage(), image);
    EXPECT_EQ(tool.frm.windowTitle(), "Visualizer V4.4 s/n:51000042 Listening to COM7 QMR51 FW V2.2.0.0");
    QCoreApplication::processEvents();
    EXPECT_TRUE(tool.frm.timScan.isActive());

    ASSERT_TRUE(ctl.state() == QProcess::NotRunning || ctl.waitForFinished(120000)); // the window's upgrade ran the event loop
    EXPECT_EQ(ctl.exitCode(), 0) << ctl.readAllStandardError().toStdString();
    EXPECT_EQ(ctl.readAllStandardOutput(), "COM8\tQMR51\t2.2.0.0\n");
    EXPECT_EQ(other->installedImage(), image);
    // Each run removed the downloads it made; nothing of a run is left for another to read.
    EXPECT_EQ(QDir(h.folder.path()).entryList(QDir::Files), QStringList());
}

} // namespace
