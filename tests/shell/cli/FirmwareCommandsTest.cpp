#include "CtlHarness.h"
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using ctl::Ctl;
using sim::DeviceKind;

namespace {

QString upgradeData(const char* name) { return QStringLiteral(QMR_TEST_DATA "/upgrade/") + QLatin1String(name); }

QByteArray upgradeList(const char* versionHex)
{
    QByteArray list(92, '\0');
    return list.replace(40, 4, QByteArray::fromHex(versionHex));
}

void writeFile(const QString& path, const QByteArray& content, bool executable = false)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
    if (executable)
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
}

TEST(Qmr51ctl, UpgradeRefusesUnfitInputBeforeSendingABlock)
{
    const std::tuple<QStringList, int, const char*> cases[] = {
        {{"--hex", upgradeData("four_blocks_cut.hex"), "--fw-version", "2.1.0.6", "--yes"}, 4, "too short to hold them"},
        {{"--hex", upgradeData("too_big.hex"), "--fw-version", "2.1.0.6", "--yes"}, 4, "needs 256 blocks"},
        {{"--hex", upgradeData("one_block.hex"), "--fw-version", "2.1.0.6"}, 4, "Give --yes"},
        {{"--hex", upgradeData("one_block.hex")}, 2, "--hex needs --fw-version"},
    };
    for (const auto& [args, exit, says] : cases) {
        Ctl h;
        sim::Simulator* qmr = h.add(1, DeviceKind::Qmr51);
        ASSERT_TRUE(qmr);
        EXPECT_EQ(h.run(QStringList{"upgrade"} + args), exit) << args.join(' ').toStdString();
        EXPECT_TRUE(h.err().contains(QString::fromUtf8(says))) << h.err().toStdString();
        EXPECT_FALSE(ctl::commandsTo(*qmr).contains(208));
    }
    Ctl h;
    ASSERT_TRUE(h.add(1, DeviceKind::TikaV1));
    EXPECT_EQ(h.run({"upgrade"}), 4);
    EXPECT_TRUE(h.err().contains("a TIKA module is flashed with qmr51ctl flash"));
}

TEST(Qmr51ctl, UpgradeFromTheServerOrAHexFileReportsTheVersionTheQmr51RestartedWith)
{
    Ctl h;
    sim::Simulator* qmr = h.add(1, DeviceKind::Qmr51);
    ASSERT_TRUE(qmr);
    qmr->setRestartDuration(std::chrono::milliseconds(0));
    EXPECT_EQ(h.run({"upgrade", "--yes"}), 1) << "no upgrade list on the server";
    EXPECT_TRUE(h.err().contains("QMR51 firmware could not be downloaded. Please retry"));
    h.transfer.files["/DENA_UPGlist.bin"] = upgradeList("02010005");
    EXPECT_EQ(h.run({"upgrade", "--yes"}), 0);
    EXPECT_EQ(h.out(), "The QMR51 runs the latest firmware 2.1.0.5 already.\n");

    h.transfer.files["/DENA_UPGlist.bin"] = upgradeList("02010007");
    QFile hex(upgradeData("one_block.hex"));
    ASSERT_TRUE(hex.open(QIODevice::ReadOnly));
    h.transfer.files["/QMR51v2.hex"] = hex.readAll();
    ASSERT_EQ(h.run({"upgrade", "--yes"}), 0) << h.err().toStdString();
    EXPECT_EQ(h.out(), "COM1\tQMR51\t2.1.0.7\n");
    ASSERT_EQ(h.run({"upgrade", "--hex", upgradeData("one_block.hex"), "--fw-version", "2.1.0.9", "--yes"}), 0);
    EXPECT_EQ(h.out(), "COM1\tQMR51\t2.1.0.9\n");

    sim::Misbehaviour refusing;
    refusing.refuseAcknowledgement = true;
    qmr->setMisbehaviour(refusing);
    EXPECT_EQ(h.run({"upgrade", "--yes"}), 1);
    EXPECT_TRUE(h.err().contains("Upload failed. Please retry"));
}

TEST(Qmr51ctl, FlashRunsEsptoolHonoursItsExitStatusAndReadsTheVersionBack)
{
    Ctl h;
    ASSERT_TRUE(h.add(2, DeviceKind::TikaV2));
    EXPECT_EQ(h.run({"flash"}), 4);
    EXPECT_TRUE(h.err().contains("No module image")) << h.err().toStdString();

    QDir(h.folder.path()).mkpath("DATA");
    writeFile(h.folder.filePath("DATA/TIKAv2.bin"), "\xE9 image");
    writeFile(h.folder.filePath("esptools3"), {}, true);
    h.programs.nextRun.code = 2;
    h.programs.nextRun.output = "A fatal error occurred: Failed to connect to ESP32-S3\n";
    EXPECT_EQ(h.run({"flash"}), 1);
    EXPECT_TRUE(h.err().contains("esptool ended with exit status 2")) << h.err().toStdString();

    h.programs.nextRun = {};
    ASSERT_EQ(h.run({"flash"}), 0) << h.err().toStdString();
    EXPECT_EQ(h.out(), "COM2\tTIKA V2\t25.0.1.2\n");
    ASSERT_EQ(h.programs.started.size(), 2);
    EXPECT_TRUE(h.programs.started.last().arguments.join(' ').contains("PCOM2.sh"));
    EXPECT_EQ(h.transfer.requests.size(), 4) << "both module images are fetched afresh for a flash, once DATA/ exists";
}

} // namespace
