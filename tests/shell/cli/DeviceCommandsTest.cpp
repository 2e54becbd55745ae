#include "CtlHarness.h"
#include "Bytes.h"
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using ctl::Ctl;
using fakes::bytes;
using sim::DeviceKind;

namespace {

QJsonObject json(const Ctl& h) { return QJsonDocument::fromJson(h.console.stdOut).object(); }

TEST(Qmr51ctl, CommandLinesItCannotUnderstandAreUsageErrorsAndHelpExplainsEverySubcommand)
{
    const std::tuple<QStringList, int, const char*> cases[] = {
        {{"--help"}, 0, "4  refused input"},
        {{"flash", "--help"}, 0, "qmr51ctl flash --port /dev/ttyUSB0"},
        {{"frobnicate"}, 2, "unknown subcommand frobnicate"},
        {{"scan", "--port", "COM1"}, 2, "scan takes no option --port"},
        {{"info", "--port", "LPT1"}, 2, "--port takes COM1 ... COM255"},
    };
    Ctl h;
    for (const auto& [args, exit, says] : cases) {
        EXPECT_EQ(h.run(args), exit) << says;
        EXPECT_TRUE((h.out() + h.err()).contains(QString::fromUtf8(says))) << says;
    }
}

TEST(Qmr51ctl, ScanAsksEveryPortOnceAndListsEachDeviceThatAnswers)
{
    Ctl h;
    sim::Simulator* qmr = h.add(1, DeviceKind::Qmr51);
    sim::Simulator* tika = h.add(3, DeviceKind::TikaV2);
    sim::Simulator* mute = h.add(5, DeviceKind::TikaV1, true);
    ASSERT_TRUE(qmr && tika && mute);
    ASSERT_EQ(h.run({"scan"}), 0) << h.err().toStdString();
    EXPECT_EQ(h.out(), QStringLiteral("COM1\t%1\tQMR51\t51000042\t2.1.0.5\nCOM3\t%2\tTIKA V2\t22M01234\t25.0.1.2\n")
                           .arg(qmr->devicePath(), tika->devicePath()));
    for (sim::Simulator* d : {qmr, tika, mute})
        EXPECT_EQ(ctl::commandsTo(*d), QList<int>{86});
    ASSERT_EQ(h.run({"scan", "--json"}), 0);
    EXPECT_EQ(json(h)["devices"][1]["serial"].toString(), "22M01234");
}

TEST(Qmr51ctl, APortWithoutADeviceIsNoDeviceAndAutoNeedsExactlyOne)
{
    Ctl h;
    EXPECT_EQ(h.run({"scan"}), 3);
    EXPECT_TRUE(h.err().contains("No COM interfaces found"));
    ASSERT_TRUE(h.add(5, DeviceKind::Qmr51, true));
    EXPECT_EQ(h.run({"scan"}), 3);
    EXPECT_TRUE(h.err().contains("No QMR51 or TIKA found"));
    EXPECT_EQ(h.run({"info", "--port", "COM5", "--json"}), 3);
    EXPECT_TRUE(h.err().contains("No QMR51 or TIKA answers on COM5"));
    EXPECT_EQ(json(h)["exitCode"].toInt(), 3);
    EXPECT_EQ(h.run({"info", "--port", "COM9"}), 3);
    EXPECT_TRUE(h.err().contains("COM9 is no serial port of this computer."));

    ASSERT_TRUE(h.add(1, DeviceKind::Qmr51) && h.add(2, DeviceKind::TikaV1));
    EXPECT_EQ(h.run({"info"}), 2);
    EXPECT_TRUE(h.err().contains("Several devices answer: COM1 (QMR51 51000042), COM2 (TIKA V1 21T00042)"));
}

TEST(Qmr51ctl, InfoShowsIdentityAndSettingsInWordsOnAPortGivenByItsPath)
{
    Ctl h;
    sim::Simulator* tika = h.add(4, DeviceKind::TikaV2);
    ASSERT_TRUE(tika);
    ASSERT_EQ(h.run({"info", "--port", tika->devicePath()}), 0) << h.err().toStdString();
    for (const char* line : {"kind            TIKA V2\n", "serial          22M01234\n", "firmware        25.0.1.2\n",
                             "protocol        5.0 (NL)\n", "out2.function   Export Power >\n", "out2.diff       500 W\n",
                             "out2.delay-off  10 min\n"})
        EXPECT_TRUE(h.out().contains(line)) << line;
    ASSERT_EQ(h.run({"info", "--json"}), 0);
    EXPECT_EQ(json(h)["settings"].toObject()["out1.level"].toInt(), 1500);
}

TEST(Qmr51ctl, ReadPrintsTheGridTextsTheExportColumnsOrJsonAndStopsWhenAsked)
{
    Ctl h;
    sim::Simulator* tika = h.add(1, DeviceKind::TikaV1);
    ASSERT_TRUE(tika);
    ASSERT_EQ(h.run({"read", "--count", "2"}), 0) << h.err().toStdString();
    const QStringList text = h.out().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(text.size(), 3);
    EXPECT_TRUE(text[0].startsWith("Date\tTime\tImport power (W)\tImport high (Wh)")) << text[0].toStdString();
    EXPECT_TRUE(text[1].contains("\t1250 W\t")) << text[1].toStdString();

    ASSERT_EQ(h.run({"read", "--count", "1", "--format", "csv"}), 0);
    const QStringList csv = h.out().split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(csv.size(), 2);
    // A TIKA V1 has neither the difference columns nor the pulse inputs.
    EXPECT_EQ(csv[0], "Time,UTC offset,Status,Import power (W),Import high (Wh),Import low (Wh),Export power (W),"
                      "Export high (Wh),Export low (Wh),Tariff,Gas (m3),Water (m3)");
    EXPECT_TRUE(csv[1].endsWith(",1250,1234567,987654,0,23456,12345,Low,4567.89,0.001"));
    ASSERT_EQ(h.run({"read", "--count", "1", "--json"}), 0);
    EXPECT_EQ(json(h)["Gas (m3)"].toDouble(), 4567.89);

    // Without --count it reads until Ctrl+C, then ends as a success.
    h.interruptions = [&h] { return h.console.stdOut.count('\n') >= 4 ? 1 : 0; };
    EXPECT_EQ(h.run({"read", "--interval", "1"}), 0);
    EXPECT_EQ(h.console.stdOut.count('\n'), 4);
    // A device that stops answering makes the read a failure.
    h.interruptions = [&h, tika] {
        sim::Misbehaviour mute;
        mute.silent = h.console.stdOut.count('\n') >= 2;
        tika->setMisbehaviour(mute);
        return 0;
    };
    EXPECT_EQ(h.run({"read", "--count", "3"}), 1);
    EXPECT_TRUE(h.err().contains("No readings came back (status 252)."));
}

TEST(Qmr51ctl, SetRefusesWhatTheEditorWouldNotAllowAndSendsNothing)
{
    const std::tuple<DeviceKind, QStringList, int, const char*> cases[] = {
        {DeviceKind::Qmr51, {"interval=7"}, 4, "interval=7 refused: the refresh interval is 5 to 60 seconds in steps of 5."},
        {DeviceKind::Qmr51, {"protocol=DK"}, 4, "protocol=DK refused: the DSMR protocol of a QMR51 is one of 2.0 (NL), 4.0 (NL), 5.0 (NL), BE."},
        {DeviceKind::TikaV2, {"out1.function=Import Power >", "out1.level=500", "out1.diff=800"}, 4,
         "out1.diff=800 refused: with out1.function Import Power > the power difference is 0 to 500 W, the power level."},
        {DeviceKind::TikaV2, {"out1.level=100"}, 4, "out1.level=100 refused: out1.level is used only when out1.function is "
                                                    "Import Power > or Export Power > (it is Import High)."},
        {DeviceKind::TikaV1, {"out2.delay-on=5"}, 4, "out2.delay-on=5 refused: TIKA firmware 24.1.0.3 keeps no delays."},
        {DeviceKind::TikaV1, {"modbus"}, 2, "set takes KEY=VALUE words, not modbus"},
    };
    for (const auto& [kind, args, exit, says] : cases) {
        Ctl h;
        sim::Simulator* device = h.add(1, kind);
        ASSERT_TRUE(device);
        EXPECT_EQ(h.run(QStringList{"set"} + args), exit) << says;
        EXPECT_TRUE(h.err().contains(QString::fromUtf8(says))) << h.err().toStdString();
        EXPECT_FALSE(ctl::commandsTo(*device).contains(66));
    }
}

TEST(Qmr51ctl, SetSendsTheWholeRecordPrintsItAndConfirmsItFromTheDevice)
{
    Ctl h;
    sim::Simulator* tika = h.add(2, DeviceKind::TikaV2);
    ASSERT_TRUE(tika);
    ASSERT_EQ(h.run({"set", "protocol=be", "out2.level=400", "out2.delay-on=7"}), 0) << h.err().toStdString();
    // Out 2 follows "Export Power >": its difference of 500 W may stay above the new level.
    EXPECT_EQ(tika->receivedFrames().at(2),
              (sim::RequestFrame{66, bytes({6, 1, 1, 2, 0, 13, 0x05, 0xDC, 0x00, 0xC8, 0x01, 0x90, 0x01, 0xF4, 5, 5, 7, 10})}));
    EXPECT_TRUE(h.out().contains("protocol        BE\n") && h.out().contains("confirmed"));

    sim::Misbehaviour refusing;
    refusing.refuseAcknowledgement = true;
    tika->setMisbehaviour(refusing);
    EXPECT_EQ(h.run({"set", "modbus=n/a"}), 1);
    EXPECT_TRUE(h.err().contains("Settings error"));
}

TEST(Qmr51ctl, LogIsWrittenByteForByteAsTheWindowSavesIt)
{
    Ctl h;
    sim::Simulator* qmr = h.add(1, DeviceKind::Qmr51);
    ASSERT_TRUE(qmr);
    qmr->changeProfile([](sim::DeviceProfile& d) { d.debugLog = bytes({'o', 'k', 0, 0xFF, '*', '#'}); });
    ASSERT_EQ(h.run({"log"}), 0);
    EXPECT_EQ(h.console.stdOut, bytes({'o', 'k', 0, 0xFF, '*', '#', '\r', '\n'}));
    ASSERT_EQ(h.run({"log", "-o", h.folder.filePath("log.txt")}), 0);
    QFile saved(h.folder.filePath("log.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), bytes({'o', 'k', 0, 0xFF, '*', '#', '\r', '\n'}));

    qmr->changeProfile([](sim::DeviceProfile& d) { d.debugStatus = 1; });
    EXPECT_EQ(h.run({"log"}), 1);
    EXPECT_TRUE(h.err().contains("P1 busy. Please retry"));
}

TEST(Qmr51ctl, CounterIsSetOnlyAfterAYesAndRefusesWhatItCannotSend)
{
    Ctl h;
    sim::Simulator* tika = h.add(1, DeviceKind::TikaV2);
    ASSERT_TRUE(tika);
    EXPECT_EQ(h.run({"counter", "2", "258"}), 4) << "no terminal to ask on, no --yes";
    EXPECT_TRUE(h.err().contains("\"Are you sure to set Input 2 to 258?\" needs an answer"));
    EXPECT_EQ(h.run({"counter", "1", "-5"}), 4);
    EXPECT_EQ(h.run({"counter", "3", "1"}), 2);
    EXPECT_FALSE(ctl::commandsTo(*tika).contains(134));
    ASSERT_EQ(h.run({"counter", "--yes", "2", "258"}), 0) << h.err().toStdString();
    EXPECT_EQ(tika->receivedFrames().last(), (sim::RequestFrame{134, bytes({0, 0, 1, 2, 134})}));
    EXPECT_EQ(h.out(), "Input 2 set to 258\n");
}

} // namespace
