// The QMR51 upgrade end to end: the tool on its real line (see RealLineHarness.h) with its real FTP
// client, a pyftpdlib firmware server on 127.0.0.1 and the simulated QMR51 on a pseudo-terminal as
// COM7. The upgrade's rules are pinned on the fake line in Qmr51UpgradeTest; here one whole upgrade.
#include "LocalServers.h"
#include "RealLineHarness.h"
#include "firmware/ui/UpgradeHandlers.h"
#include "link/ui/PortList.h"
#include "platform/CurlTransfer.h"
#include <QComboBox>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QByteArray testData(const char* name)
{
    QFile file(QStringLiteral(QMR_TEST_DATA "/upgrade/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(UpgradeQmr51, ASmallImageArrivesByteExactAndTheReconnectShowsTheNewVersion)
{
    // The server offers the upgrade list (the latest version, 2.2.0.0, in bytes 41..44 of 92) and
    // a HEX image of four blocks.
    QTemporaryDir root;
    for (const auto& [name, content] : {std::pair{"DENA_UPGlist.bin", QByteArray(40, 'Z') + QByteArray::fromHex("02020000") + QByteArray(48, 'Z')},
                                        {"QMR51v2.hex", testData("four_blocks.hex")}}) {
        QFile file(root.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    const QString user = QStringLiteral("qmrtest"), password = QStringLiteral("Tq4wZn7KbP");
    testsupport::LocalServer server(QStringLiteral("ftp_server.py"), {"--root", root.path(), "--user", user, "--password", password});
    ASSERT_NE(server.port(), 0) << server.problem().toStdString();

    fakes::RealLineHarness h;
    sim::Simulator* device = h.addDevice(7, sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51));
    ASSERT_TRUE(device);
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

    h.dialogs.answers = {true};
    tool.upgrade().cmdUpgrade_Click();

    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    QList<int> commands;
    for (const sim::RequestFrame& frame : device->receivedFrames())
        if (frame.command == 208 || frame.command == 210)
            commands.append(frame.command);
    EXPECT_EQ(commands, QList<int>({208, 208, 208, 208, 210})) << "four blocks, each once, then the closing frame";
    // The device checked every CRC before it installed the image.
    EXPECT_EQ(device->installedImage(), testData("four_blocks.bin") + QByteArray(112, '\0'));
    EXPECT_EQ(tool.frm.windowTitle(), "Visualizer V4.4 s/n:51000042 Listening to COM7 QMR51 FW V2.2.0.0");
    EXPECT_TRUE(tool.frm.timScan.isActive());
}

} // namespace
