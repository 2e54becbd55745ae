// Two qmr51ctl upgrades at once, as two programs sharing one program folder (a second technician's
// script beside the first, or the window beside qmr51ctl): each on its own QMR51 over a
// pseudo-terminal, both from one FTP server on 127.0.0.1 that sends slowly, so that one run's
// download is still arriving while the other fetches its list and its HEX file.
#include "CtlHarness.h"
#include "LocalServers.h"
#include <QDir>
#include <QProcess>
#include <QThread>

namespace {

TEST(Qmr51ctl, TwoUpgradesAtOnceEachInstallTheImageAndVersionOfTheirOwnDownloads)
{
    QTemporaryDir root;
    QFile hex(QStringLiteral(QMR_TEST_DATA "/upgrade/four_blocks.hex"));
    ASSERT_TRUE(hex.open(QIODevice::ReadOnly));
    const QByteArray hexText = hex.readAll();
    for (const auto& [name, content] : {std::pair{"DENA_UPGlist.bin", QByteArray(40, 'Z') + QByteArray::fromHex("02020000") + QByteArray(48, 'Z')},
                                        {"QMR51v2.hex", hexText}}) {
        QFile file(root.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    // 1183 bytes of HEX text at 400 bytes a second: about three seconds in flight.
    testsupport::LocalServer server(QStringLiteral("ftp_server.py"), {"--root", root.path(), "--user", "qmrtest",
                                                                      "--password", "Tq4wZn7KbP", "--throttle", "400"});
    ASSERT_NE(server.port(), 0) << server.problem().toStdString();

    ctl::Ctl h;
    QProcess runs[2];
    for (int i = 0; i < 2; ++i) {
        sim::Simulator* qmr = h.add(7 + i, sim::DeviceKind::Qmr51);
        ASSERT_TRUE(qmr);
        qmr->setRestartDuration(std::chrono::milliseconds(0));
        if (i == 1)
            QThread::msleep(1500); // the second starts while the first is downloading
        runs[i].start(QStringLiteral(QMR_CTL), {"upgrade", "--yes", "--port", QStringLiteral("COM%1").arg(7 + i),
                                                "--program-folder", h.folder.path(), "--ftp-host", server.address(),
                                                "--ftp-user", "qmrtest"});
        ASSERT_TRUE(runs[i].waitForStarted(30000));
    }
    const QByteArray image = [] {
        QFile bin(QStringLiteral(QMR_TEST_DATA "/upgrade/four_blocks.bin"));
        return bin.open(QIODevice::ReadOnly) ? bin.readAll() + QByteArray(112, '\0') : QByteArray();
    }();
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(runs[i].waitForFinished(120000));
        const QString com = QStringLiteral("COM%1").arg(7 + i);
        EXPECT_EQ(runs[i].exitCode(), 0) << com.toStdString() << ": " << runs[i].readAllStandardError().toStdString();
        EXPECT_EQ(runs[i].readAllStandardOutput(), (com + QStringLiteral("\tQMR51\t2.2.0.0\n")).toLatin1());
        EXPECT_EQ(h.byPort.at(7 + i)->installedImage(), image) << com.toStdString();
    }
    // Each run removed the downloads it made; nothing of a run is left for another to read.
    EXPECT_EQ(QDir(h.folder.path()).entryList(QDir::Files), QStringList());
}

} // namespace
