// The QMR51 upgrade end to end: the tool with its real line, clock, event pump and FTP client,
// a pyftpdlib firmware server on 127.0.0.1 and the simulated QMR51 on a pseudo-terminal as COM7.
#include "link/ui/PortList.h"
#include "FakeDialogs.h"
#include "FakePlatform.h"
#include "LocalServers.h"
#include "device/ui/ConnectHandler.h"
#include "firmware/ui/ProgressHost.h"
#include "firmware/ui/UpgradeHandlers.h"
#include "platform/CurlTransfer.h"
#include "platform/QtClock.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "shell/ui/Tool.h"
#include "sim/Simulator.h"
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString kUser = QStringLiteral("qmrtest");
const QString kPassword = QStringLiteral("Tq4wZn7KbP");

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

QByteArray testData(const char* name) { return readFile(QStringLiteral(QMR_TEST_DATA "/upgrade/") + QLatin1String(name)); }

QByteArray upgradeList(std::array<int, 4> version)
{
    QByteArray list(92, '\x11');
    for (int i = 0; i < 4; ++i)
        list[40 + i] = static_cast<char>(version[static_cast<std::size_t>(i)]);
    return list;
}

QList<sim::RequestFrame> framesOf(const sim::Simulator& device, int command)
{
    QList<sim::RequestFrame> frames;
    for (const sim::RequestFrame& frame : device.receivedFrames())
        if (frame.command == command)
            frames.append(frame);
    return frames;
}

class UpgradeQmr51 : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!testsupport::pythonHasModule(QStringLiteral("pyftpdlib")))
            return;
        root = new QTemporaryDir;
        server = new testsupport::LocalServer(QStringLiteral("ftp_server.py"),
                                              {QStringLiteral("--root"), root->path(), QStringLiteral("--user"), kUser,
                                               QStringLiteral("--password"), kPassword});
    }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
        delete root;
        root = nullptr;
    }

    void SetUp() override
    {
        if (!server)
            GTEST_SKIP() << "python3-pyftpdlib is not installed";
        ASSERT_NE(server->port(), 0) << server->problem().toStdString();
        ASSERT_TRUE(device.start()) << device.error().toStdString();
        listing.paths.insert(7, device.devicePath());
        for (const QString& name : QDir(root->path()).entryList(QDir::Files))
            QFile::remove(root->filePath(name));
        tool.Form_Load();
        comlink::addPortEntry(*tool.frm.cmbComPort, 7, {});
        tool.frm.cmbComPort->setCurrentIndex(0);
    }

    // The server offers the list (version a.b.c.d) and a HEX file; the tool connects to COM7.
    void serve(const QByteArray& list, const QByteArray& hex)
    {
        ASSERT_TRUE(writeFile(root->filePath(QStringLiteral("DENA_UPGlist.bin")), list));
        ASSERT_TRUE(writeFile(root->filePath(QStringLiteral("QMR51v2.hex")), hex));
    }
    void connect()
    {
        tool.connection().cmdOpenCom_Click();
        ASSERT_EQ(tool.session.portNumber(), 7) << tool.frm.windowTitle().toStdString();
        device.clearReceivedFrames();
    }
    void upgrade()
    {
        dialogs.answers = {true};
        tool.upgrade().cmdUpgrade_Click();
    }

    static QTemporaryDir* root;
    static testsupport::LocalServer* server;

    QTemporaryDir folder;
    sim::Simulator device{sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51)};
    fakes::FakePortListing listing;
    platform::QtSerialPort port{listing};
    platform::QtClock clock;
    platform::QtEventPump pump;
    fakes::FakeDialogs dialogs;
    platform::CurlTransfer transfer;
    fakes::FakePrograms programs;
    platform::Services services{port, listing, clock, pump, dialogs, transfer, programs, folder.path(),
                                {{server ? QStringLiteral("127.0.0.1:%1").arg(server->port()) : QString(), kUser, kPassword},
                                 QStringLiteral("http://127.0.0.1:1")}};
    shell::Tool tool{services};
};

QTemporaryDir* UpgradeQmr51::root = nullptr;
testsupport::LocalServer* UpgradeQmr51::server = nullptr;

TEST_F(UpgradeQmr51, ASmallImageArrivesByteExactAndTheReconnectShowsTheNewVersion)
{
    serve(upgradeList({2, 2, 0, 0}), testData("four_blocks.hex"));
    connect();
    EXPECT_TRUE(tool.frm.windowTitle().endsWith(" QMR51 FW V2.1.0.5"));
    upgrade();

    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
    EXPECT_EQ(framesOf(device, 208).size(), 4);
    EXPECT_EQ(device.installedImage(), testData("four_blocks.bin") + QByteArray(112, '\0'))
        << "the device checked every CRC and installed the image";
    EXPECT_EQ(framesOf(device, 210).size(), 1);
    EXPECT_EQ(tool.frm.windowTitle(), "Visualizer V4.4 s/n:51000042 Listening to COM7 QMR51 FW V2.2.0.0");
    EXPECT_TRUE(tool.frm.timScan.isActive());
}


} // namespace
