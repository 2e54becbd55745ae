// The QMR51 upgrade on a session over the fake line: the fake clock makes every wait instant.
#include "UpgradeFakes.h"
#include "firmware/Qmr51Upgrade.h"
#include <QDir>
#include <gtest/gtest.h>

using namespace upgradefakes;
using Outcome = firmware::Qmr51Upgrade::Outcome;

namespace {

// The closing frame of four_blocks.hex announcing 2.2.0.0: count 4, length 6, version, the CRC
// of the 512 padded image bytes (0x4A 0xF7), the frame's own CRC (0xA8 0x22).
const QByteArray kClosing = fakes::bytes({0x00, 0x04, 0x00, 0x06, 0x02, 0x02, 0x00, 0x00, 0x4A, 0xF7, 0xA8, 0x22});

// A QMR51 with firmware 2.1.0.5 connected on COM7; the server offers 2.2.0.0 as four_blocks.hex.
struct Upgrade : Bench {
    FirmwareServer server;
    firmware::Qmr51Upgrade upgrade{session, server, {"ftp.example:21", "qmr", "Tq4wZn7KbP"}, p.folder.path(), host};
    explicit Upgrade(bool connect = true)
    {
        EXPECT_TRUE(!connect || session.connect(7) == device::Session::ConnectOutcome::Connected);
        server.files = {{kList, upgradeList({2, 2, 0, 0})}, {kHex, testData("four_blocks.hex")}};
        host.answers = {true};
    }
};

TEST(Qmr51Upgrade, SendsTheImageByteExactAndTheClosingFrameThenWaitsSevenSecondsForTheRestart)
{
    // A forced upgrade: the port chosen in the list, still closed.
    Upgrade h(false);
    h.session.assume(7, device::DeviceKind::Qmr51);
    double rebootAt = 0;
    h.host.onStatus = [&](const QString& status) {
        // A Cancel before the blocks counts for nothing: the transfer clears it first.
        h.host.cancel = h.host.cancel || status == "Downloading firmware...";
        rebootAt = status == "QMR51 is rebooting..." ? h.p.clock.exact() : rebootAt;
    };
    h.p.pump.onEvents = [&, back = false]() mutable {
        // During the restart wait the time of day goes back an hour (summer time ends, or a time server corrects it).
        if (rebootAt > 0 && !std::exchange(back, true))
            h.p.clock.setWallClock(h.p.clock.now().addSecs(-3600));
    };
    EXPECT_EQ(h.upgrade.run().outcome, Outcome::Restarted);
    EXPECT_EQ(h.server.requests, QStringList({kList, kHex}));
    EXPECT_EQ(h.host.questions, QStringList({"Are you sure to download latest firmware V2.2.0.0 and upload to QMR51"}));
    ASSERT_EQ(h.device.numbers, QList<int>({0, 1, 2, 3}));
    // 400 image bytes, the boot loader record at 0x8000 left out, zero fill to 512.
    EXPECT_EQ(h.device.blocks[0].mid(4, 128) + h.device.blocks[1].mid(4, 128) + h.device.blocks[2].mid(4, 128) + h.device.blocks[3].mid(4, 128),
              testData("four_blocks.bin") + QByteArray(112, '\0'));
    EXPECT_EQ(h.device.closings, QList<QByteArray>({kClosing}));
    EXPECT_EQ(QDir(h.p.folder.path()).entryList(QDir::Files), QStringList()) << "the run's downloads are gone";
    EXPECT_EQ(h.host.captions, QStringList({"QMR51 Upgrade firmware"}));
    EXPECT_EQ(h.host.statuses, QStringList({"Checking Online version...", "Downloading firmware...", "Sending block 1/4", "Sending block 2/4",
                                            "Sending block 3/4", "Sending block 4/4", "QMR51 is rebooting..."}));
    EXPECT_TRUE(h.host.messages.isEmpty()) << h.host.messages.join('|').toStdString();
    EXPECT_EQ(h.p.port.opened, QList<int>({7})) << "the closed port was opened first";
    EXPECT_FALSE(h.host.shown || h.p.port.isOpen()) << "the progress put away, the port closed for the reconnect";
    // The 7 s restart and a 0.2 s pause, timed on the steady clock: the hour back changes nothing.
    EXPECT_NEAR(h.p.clock.exact() - rebootAt, 7.2, 0.25);
}

// Each case changes the server or the device of the standard upgrade. Downloads 0: it ends before
// the list, 1: after it; said: a part of each message, then of the question.
struct RefusalCase { const char* name; void (*setup)(Upgrade&); int downloads; QStringList said; };

class Refusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusal, SendsNothingAndSaysWhy)
{
    const RefusalCase& c = GetParam();
    Upgrade h;
    c.setup(h);
    EXPECT_EQ(h.upgrade.run().outcome, Outcome::NotStarted);
    EXPECT_TRUE(h.device.blocks.isEmpty() && h.device.closings.isEmpty() && !h.host.shown);
    EXPECT_EQ(h.p.port.isOpen(), c.downloads > 0) << "the device is left as it was";
    EXPECT_EQ(h.server.requests.size(), c.downloads);
    // The messages, and the question when the case is about it (the one before a download is the standard one).
    const QStringList said = h.host.messages + (c.downloads == 1 ? h.host.questions : QStringList());
    ASSERT_EQ(said.size(), c.said.size()) << said.join('|').toStdString();
    for (qsizetype i = 0; i < said.size(); ++i)
        EXPECT_TRUE(said[i].contains(c.said[i])) << said[i].toStdString();
    EXPECT_TRUE(c.downloads == 1 || said.back().contains("othing was sent")) << said.back().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Qmr51, Refusal,
    ::testing::ValuesIn(std::vector<RefusalCase>{
        {"port_cannot_be_opened", [](Upgrade& h) { h.session.close(); h.p.port.existingPorts = {1}; h.session.assume(7, {}); }, 0,
         {"The QMR51 upgrade needs COM7, but that port cannot be opened (COM7 cannot be opened)."}},
        {"no_port_chosen", [](Upgrade& h) { h.session.close(); }, 0,
         {"No serial port is chosen for the QMR51 upgrade. Choose the port of the QMR51 in the port list and retry."}},
        {"no_list_on_the_server", [](Upgrade& h) { h.server.files.remove(kList); }, 1, {"QMR51 firmware could not be downloaded. Please retry"}},
        {"list_above_1_KiB", [](Upgrade& h) { h.server.files[kList] = upgradeList({2, 2, 0, 0}) + QByteArray(933, 'Z'); }, 1,
         {"QMR51 firmware could not be downloaded. Please retry"}},
        {"hex_above_4_MiB", [](Upgrade& h) { h.server.files[kHex] += QByteArray(4 * 1024 * 1024, '\n'); }, 2,
         {"could not be downloaded (the file is larger than 4194304 bytes)"}},
        // Nine damaged lines: five warnings, one for the other four, then the refusal.
        {"many_warnings_shown_as_five_and_a_count", [](Upgrade& h) {
             h.server.files[kHex] = QByteArray(":0100100055FF\n").repeated(9) + ":00000001FF\n"; }, 2,
         {"&H0010", "&H0010", "&H0010", "&H0010", "&H0010", "4 more warnings of this HEX file are not shown.", "checksum error"}},
        {"same_version", [](Upgrade& h) { h.server.files[kList] = upgradeList({2, 1, 0, 5}); }, 1, {"QMR51 allready runs on latest firmware version"}},
        {"an_older_list_version_is_offered_too_and_the_user_says_no",
         [](Upgrade& h) { h.server.files[kList] = upgradeList({2, 0, 9, 9}) + QByteArray(108, 'Z'); h.host.answers = {false}; }, 1,
         {"Are you sure to download latest firmware V2.0.9.9 and upload to QMR51"}},
        {"hex_missing", [](Upgrade& h) { h.server.files.remove(kHex); }, 2, {"could not be downloaded (550 not found)"}},
        {"cut_after_a_line", [](Upgrade& h) { h.server.files[kHex] = testData("four_blocks_no_eof.hex"); }, 2, {"end-of-file record"}},
        {"image_without_data", [](Upgrade& h) { h.server.files[kHex] = testData("empty.hex"); }, 2, {"holds no data"}},
        {"image_of_256_blocks", [](Upgrade& h) { h.server.files[kHex] = testData("too_big.hex"); }, 2, {"needs 256 blocks"}},
        {"size_differs_from_the_announced_size", [](Upgrade& h) { h.server.hexAnnounced = 5000; }, 2, {"1183 of 5000 bytes"}},
        {"download_never_ends", [](Upgrade& h) { h.server.hexNeverEnds = true; }, 2, {"did not finish within 120 s"}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct TransferCase {
    const char* name;
    bool (*acknowledge)(int command, int number, int earlierTries, RecordingHost& host);
    QList<int> blocksSent; int closingFrames; QStringList said;
};

class Transfer : public ::testing::TestWithParam<TransferCase> {};

TEST_P(Transfer, EveryFrameGetsThreeAttemptsAndCancelStillSendsTheClosingFrame)
{
    const TransferCase& c = GetParam();
    Upgrade h;
    h.device.acknowledge = [&](int command, int number, int tries) { return c.acknowledge(command, number, tries, h.host); };
    EXPECT_EQ(h.upgrade.run().outcome, c.said.isEmpty() ? Outcome::Restarted : Outcome::TransferFailed);
    EXPECT_EQ(h.device.numbers, c.blocksSent);
    // After Cancel too: the whole image's count and CRC tell the QMR51 that it is not whole.
    EXPECT_EQ(h.device.closings, QList<QByteArray>(c.closingFrames, kClosing));
    EXPECT_EQ(h.host.messages, c.said);
    // A failure is told while the progress window still shows where it stopped; the device waits for a retry.
    EXPECT_TRUE(c.said.isEmpty() || (h.host.shownAtMessage && !h.host.shown && h.p.port.isOpen()));
}

INSTANTIATE_TEST_SUITE_P(
    Qmr51, Transfer,
    ::testing::ValuesIn(std::vector<TransferCase>{
        {"third_attempt_acknowledged", [](int cmd, int n, int tries, auto&) { return cmd != 208 || n != 1 || tries >= 2; }, {0, 1, 1, 1, 2, 3}, 1, {}},
        {"block_never_acknowledged", [](int cmd, int n, int, auto&) { return cmd != 208 || n != 2; }, {0, 1, 2, 2, 2}, 0, {"Upload failed. Please retry"}},
        {"closing_frame_never_acknowledged", [](int cmd, int, int, auto&) { return cmd != 210; }, {0, 1, 2, 3}, 3, {"Upgrading failed. Please retry"}},
        {"cancel_during_block_2", [](int cmd, int n, int, auto& host) { return cmd != 208 || n != 1 || (host.cancel = true); }, {0, 1}, 1, {}}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
