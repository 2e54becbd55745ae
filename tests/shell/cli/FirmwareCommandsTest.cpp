#include "CtlHarness.h"
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using ctl::Ctl;
using sim::DeviceKind;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString upgradeData(const char* name) { return QStringLiteral(QMR_TEST_DATA "/upgrade/") + QLatin1String(name); }

// A QMR51 that restarts at once into an accepted image.
sim::Simulator* quickQmr51(Ctl& h)
{
    sim::Simulator* qmr = h.add(1, DeviceKind::Qmr51);
    if (qmr)
        qmr->setRestartDuration(std::chrono::milliseconds(0));
    return qmr;
}

TEST(Qmr51ctl, UpgradeSendsALocalHexFileAndReportsTheVersionTheQmr51RestartedWith)
{
    Ctl h;
    sim::Simulator* qmr = quickQmr51(h);
    ASSERT_TRUE(qmr);
    ASSERT_EQ(h.run({"upgrade", "--hex", upgradeData("one_block.hex"), "--fw-version", "2.1.0.6", "--yes"}), 0)
        << h.err().toStdString();
    EXPECT_EQ(h.out(), "COM1\tQMR51\t2.1.0.6\n");
    // The boot loader area is left out and the image padded to a whole block.
    QByteArray expected(128, '\0');
    expected.replace(0, 16, QByteArray::fromHex("101112131415161718191A1B1C1D1E1F"));
    EXPECT_EQ(qmr->installedImage(), expected);
}

TEST(Qmr51ctl, UpgradeRefusesUnfitFilesAndDevicesBeforeSendingABlock)
{
    struct Case {
        QStringList args;
        int exit;
        const char* says;
    };
    const Case cases[] = {
        {{"--hex", upgradeData("four_blocks_cut.hex"), "--fw-version", "2.1.0.6", "--yes"}, 4, "Nothing was sent"},
        {{"--hex", upgradeData("too_big.hex"), "--fw-version", "2.1.0.6", "--yes"}, 4, "Nothing was sent"},
        {{"--hex", upgradeData("one_block.hex"), "--fw-version", "2.1.0.6"}, 4, "Give --yes"},
        {{"--hex", upgradeData("one_block.hex")}, 2, "--hex needs --fw-version"},
    };
    for (const Case& c : cases) {
        Ctl h;
        sim::Simulator* qmr = quickQmr51(h);
        ASSERT_TRUE(qmr);
        EXPECT_EQ(h.run(QStringList{"upgrade"} + c.args), c.exit) << c.args.join(' ').toStdString();
        EXPECT_TRUE(h.err().contains(QString::fromUtf8(c.says))) << h.err().toStdString();
        EXPECT_FALSE(ctl::commandsTo(*qmr).contains(208));
    }
    Ctl h;
    ASSERT_TRUE(h.add(1, DeviceKind::TikaV1));
    EXPECT_EQ(h.run({"upgrade"}), 4);
    EXPECT_TRUE(h.err().contains("a TIKA module is flashed with qmr51ctl flash"));
}

TEST(Qmr51ctl, UpgradeFromTheServerAndItsFailures)
{
    Ctl h;
    sim::Simulator* qmr = quickQmr51(h);
    ASSERT_TRUE(qmr);
    EXPECT_EQ(h.run({"upgrade", "--yes"}), 1) << "no upgrade list on the server";
    EXPECT_TRUE(h.err().contains("QMR51 firmware could not be downloaded. Please retry"));

    QByteArray list(92, '\0');
    list.replace(40, 4, QByteArray::fromHex("02010005"));
    h.transfer.files["/DENA_UPGlist.bin"] = list;
    EXPECT_EQ(h.run({"upgrade", "--yes"}), 0);
    EXPECT_EQ(h.out(), "The QMR51 runs the latest firmware 2.1.0.5 already.\n");

    list.replace(40, 4, QByteArray::fromHex("02010007"));
    h.transfer.files["/DENA_UPGlist.bin"] = list;
    h.transfer.files["/QMR51v2.hex"] = fileBytes(upgradeData("one_block.hex"));
    ASSERT_EQ(h.run({"upgrade", "--yes"}), 0) << h.err().toStdString();
    EXPECT_EQ(h.out(), "COM1\tQMR51\t2.1.0.7\n");

    sim::Misbehaviour refusing;
    refusing.refuseAcknowledgement = true;
    qmr->setMisbehaviour(refusing);
    list.replace(40, 4, QByteArray::fromHex("02010008"));
    h.transfer.files["/DENA_UPGlist.bin"] = list;
    EXPECT_EQ(h.run({"upgrade", "--yes"}), 1);
    EXPECT_TRUE(h.err().contains("Upload failed. Please retry"));
}

TEST(Qmr51ctl, FlashRunsEsptoolHonoursItsExitStatusAndReadsTheVersionBack)
{
    Ctl h;
    sim::Simulator* tika = h.add(2, DeviceKind::TikaV2);
    ASSERT_TRUE(tika);
    EXPECT_EQ(h.run({"flash"}), 4);
    EXPECT_TRUE(h.err().contains("No module image")) << h.err().toStdString();

    QDir(h.folder.path()).mkpath("DATA");
    QFile image(h.folder.filePath("DATA/TIKAv2.bin"));
    ASSERT_TRUE(image.open(QIODevice::WriteOnly) && image.write("\xE9 image") > 0);
    image.close();
    QFile esptool(h.folder.filePath("esptools3"));
    ASSERT_TRUE(esptool.open(QIODevice::WriteOnly));
    esptool.setPermissions(esptool.permissions() | QFileDevice::ExeOwner);
    esptool.close();

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
