// The QMR51 upgrade on the fake platform: a QMR51 at the far end of the fake line, a firmware
// server whose downloads take fake time, the fake clock making every wait instant.
#include "UpgradeFakes.h"
#include "firmware/Qmr51Upgrade.h"
#include "firmware/ui/UpgradeHandlers.h"
#include <QLabel>
#include <QTimeZone>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

using fakes::bytes;
using upgradefakes::UpgradeHarness;
using upgradefakes::testData;

namespace {

const QString kList = QStringLiteral("/DENA_UPGlist.bin");
const QString kHex = QStringLiteral("/QMR51v2.hex");

QList<int> numbersOf(const QList<QByteArray>& payloads)
{
    QList<int> numbers;
    for (const QByteArray& p : payloads)
        numbers.append(upgradefakes::byteAt(p, 1));
    return numbers;
}

// The closing frame of four_blocks.hex announcing 2.2.0.0: count 4, length 6, version, the CRC
// of the 512 padded image bytes (0x4A 0xF7), the frame's own CRC (0xA8 0x22).
const QByteArray kFourBlocksClosing = bytes({0x00, 0x04, 0x00, 0x06, 0x02, 0x02, 0x00, 0x00, 0x4A, 0xF7, 0xA8, 0x22});

struct Connected : UpgradeHarness {
    explicit Connected(std::array<int, 4> firmware = {2, 1, 0, 5})
    {
        device.version = firmware;
        connectQmr51();
        p.dialogs.answers = {true};
    }
    void upgrade() { tool.upgrade().cmdUpgrade_Click(); }
    bool nothingSent() const { return device.framesOf(208) == 0 && device.framesOf(210) == 0; }
};

TEST(Qmr51Upgrade, TheImageArrivesByteExactAndTheReconnectShowsTheNewVersion)
{
    Connected h;
    ASSERT_EQ(h.tool.session.kind(), device::DeviceKind::Qmr51);
    h.serve({2, 2, 0, 0}, "four_blocks.hex");
    h.upgrade();

    EXPECT_EQ(h.transfer.requests, QStringList({kList, kHex}));
    ASSERT_EQ(h.transfer.accounts.size(), 2);
    EXPECT_EQ(h.transfer.accounts[1].host, "127.0.0.1:2121");
    EXPECT_EQ(h.transfer.accounts[1].user, "qmrtest");
    EXPECT_EQ(h.transfer.accounts[1].password, "Tq4wZn7KbP");
    EXPECT_EQ(h.p.dialogs.questions, QStringList({"Are you sure to download latest firmware V2.2.0.0 and upload to QMR51"}));

    ASSERT_EQ(numbersOf(h.device.blockPayloads), QList<int>({0, 1, 2, 3}));
    // The frame layout and its CRCs are pinned in UpgradeFramesTest.
    QByteArray received;
    for (const QByteArray& payload : h.device.blockPayloads)
        received += payload.mid(4, 128);
    // 400 image bytes, the boot loader record at 0x8000 left out, zero fill to 512.
    EXPECT_EQ(received, testData("four_blocks.bin") + QByteArray(112, '\0'));
    EXPECT_EQ(h.device.closingPayloads, QList<QByteArray>({kFourBlocksClosing}));
    EXPECT_EQ(h.p.port.writes.value(1), bytes({'*', 0xD0}) + h.device.blockPayloads[0] + '#');

    EXPECT_EQ(h.p.port.opened, QList<int>({7, 7}));
    EXPECT_EQ(h.tool.frm.windowTitle(), "Visualizer V4.4 s/n:Q5100042 Listening to COM7 QMR51 FW V2.2.0.0");
    EXPECT_TRUE(h.tool.frm.timScan.isActive());
    EXPECT_FALSE(h.tool.upgrade().progress().exists());
    EXPECT_TRUE(h.p.dialogs.messages.isEmpty()) << h.p.dialogs.messages.join('|').toStdString();
    EXPECT_EQ(upgradefakes::readFile(h.tool.upgrade().qmr51().temporaryFile()), testData("four_blocks.hex"))
        << "temp.tmp stays in place";
    EXPECT_TRUE(h.tool.frm.cmdUpgrade->isEnabled());
    EXPECT_TRUE(h.tool.frm.centralWidget()->isEnabled());
}

TEST(Qmr51Upgrade, ProgressTextsAndValuesFollowThePhases)
{
    Connected h;
    h.serve({2, 2, 0, 0}, "four_blocks.hex");
    h.transfer.secondsFor.insert(kHex, 1.0);
    QStringList texts;
    QString caption;
    int valueAtBlock3 = -1;
    QList<int> rebootValues;
    h.p.pump.onEvents = [&] {
        auto& progress = h.tool.upgrade().progress();
        if (!progress.exists())
            return;
        const QString text = progress.get().lblprogress->text();
        if (texts.isEmpty() || texts.back() != text)
            texts.append(text);
        caption = progress.get().windowTitle();
        if (text == "Sending block 3/4")
            valueAtBlock3 = progress.get().pgb1->value();
        if (text == "QMR51 is rebooting...")
            rebootValues.append(progress.get().pgb1->value());
    };
    h.upgrade();
    EXPECT_EQ(texts, QStringList({"Checking Online version...", "Downloading firmware...", "Sending block 1/4", "Sending block 2/4",
                                  "Sending block 3/4", "Sending block 4/4", "QMR51 is rebooting..."}));
    EXPECT_EQ(caption, "QMR51 Upgrade firmware");
    EXPECT_EQ(valueAtBlock3, 50);
    // The values of each phase are pinned in UpgradeDisplayTest; here the restart wait moves the bar.
    ASSERT_GT(rebootValues.size(), 1);
    EXPECT_TRUE(std::is_sorted(rebootValues.begin(), rebootValues.end()));
    EXPECT_LT(rebootValues.front(), rebootValues.back());
}

struct ListCase {
    const char* name;
    int listLength;                // 0: the server has no list
    std::array<int, 4> deviceVersion;
    bool answer;
    const char* message;           // "" for none
    const char* question;          // "" for none
};

class VersionCheck : public ::testing::TestWithParam<ListCase> {};

TEST_P(VersionCheck, EndsBeforeTheDownloadUnlessANewerImageIsWanted)
{
    const ListCase& c = GetParam();
    Connected h(c.deviceVersion);
    ASSERT_EQ(h.tool.session.portNumber(), 7);
    h.serve({1, 2, 3, 4}, "four_blocks.hex");
    if (c.listLength == 0)
        h.transfer.files.remove(kList);
    else
        h.transfer.files.insert(kList, upgradefakes::upgradeList({1, 2, 3, 4}, c.listLength));
    h.p.dialogs.answers = {c.answer};
    h.upgrade();

    EXPECT_EQ(h.p.dialogs.messages, *c.message ? QStringList({c.message}) : QStringList());
    EXPECT_EQ(h.p.dialogs.questions, *c.question ? QStringList({c.question}) : QStringList());
    EXPECT_EQ(h.transfer.requests, QStringList({kList}));
    EXPECT_TRUE(h.nothingSent());
    EXPECT_TRUE(h.tool.frm.timScan.isActive());
    EXPECT_FALSE(h.tool.upgrade().progress().exists());
}

INSTANTIATE_TEST_SUITE_P(
    List, VersionCheck,
    ::testing::Values(
        ListCase{"list_of_91_bytes", 91, {2, 1, 0, 5}, true, "QMR51 firmware could not be downloaded. Please retry", ""},
        ListCase{"no_list_on_the_server", 0, {2, 1, 0, 5}, true, "QMR51 firmware could not be downloaded. Please retry", ""},
        ListCase{"list_of_92_bytes_same_version", 92, {1, 2, 3, 4}, true, "QMR51 allready runs on latest firmware version", ""},
        ListCase{"device_newer_is_still_offered_the_list_version", 200, {1, 2, 3, 5}, false, "",
                 "Are you sure to download latest firmware V1.2.3.4 and upload to QMR51"}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusalCase {
    const char* name;
    const char* hexFile;     // nullptr: not on the server
    qint64 announcedBytes;   // -2: the real size
    double downloadSeconds;
    const char* reason;      // a part of the message
    const char* warning;     // a loader warning shown first, or ""
};

class Refusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusal, SendsNothingAndSaysWhy)
{
    const RefusalCase& c = GetParam();
    Connected h;
    h.serve({2, 2, 0, 0}, c.hexFile ? c.hexFile : "four_blocks.hex");
    if (!c.hexFile)
        h.transfer.files.remove(kHex);
    if (c.announcedBytes != -2)
        h.transfer.announced.insert(kHex, c.announcedBytes);
    h.transfer.secondsFor.insert(kHex, c.downloadSeconds);
    h.upgrade();

    EXPECT_TRUE(h.nothingSent());
    ASSERT_FALSE(h.p.dialogs.messages.isEmpty());
    const QString message = h.p.dialogs.messages.back();
    EXPECT_TRUE(message.contains(QLatin1String(c.reason))) << message.toStdString();
    EXPECT_TRUE(message.contains(QLatin1String("othing was sent"))) << message.toStdString();
    if (*c.warning)
        EXPECT_EQ(h.p.dialogs.messages.front(), c.warning);
    else
        EXPECT_EQ(h.p.dialogs.messages.size(), 1);
    EXPECT_EQ(h.device.version, (std::array<int, 4>{2, 1, 0, 5}));
    EXPECT_TRUE(h.p.port.isOpen()) << "the device was left as it was";
    EXPECT_TRUE(h.tool.frm.timScan.isActive());
    EXPECT_FALSE(h.tool.upgrade().progress().exists());
}

INSTANTIATE_TEST_SUITE_P(
    Download, Refusal,
    ::testing::Values(
        RefusalCase{"hex_missing", nullptr, -2, 0.0, "could not be downloaded", ""},
        RefusalCase{"hex_cut_in_the_middle_of_a_line", "four_blocks_cut.hex", -2, 0.0, "too short to hold them", ""},
        RefusalCase{"hex_cut_after_a_line", "four_blocks_no_eof.hex", -2, 0.0, "end-of-file record", ""},
        RefusalCase{"checksum_error", "bad_checksum.hex", -2, 0.0, "checksum error", "Checksum error op data record op adres &H0050"},
        RefusalCase{"image_without_data", "empty.hex", -2, 0.0, "holds no data", ""},
        RefusalCase{"image_of_256_blocks", "too_big.hex", -2, 0.0, "needs 256 blocks", ""},
        RefusalCase{"size_differs_from_the_announced_size", "four_blocks.hex", 5000, 0.0, "1183 of 5000 bytes", ""},
        RefusalCase{"download_never_ends", "four_blocks.hex", -2, upgradefakes::kNever, "did not finish within 120 s", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Qmr51Upgrade, WaitsForASlowDownloadWithTheBarMoving)
{
    Connected h;
    h.serve({2, 2, 0, 0}, "four_blocks.hex");
    h.transfer.secondsFor.insert(kHex, 6.0);
    QList<int> values;
    h.p.pump.onEvents = [&] {
        auto& progress = h.tool.upgrade().progress();
        if (progress.exists() && progress.get().lblprogress->text() == "Downloading firmware...")
            values.append(progress.get().pgb1->value());
    };
    h.upgrade();
    EXPECT_EQ(h.device.framesOf(208), 4);
    ASSERT_GT(values.size(), 1);
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_LT(values.front(), values.back());
}

TEST(Qmr51Upgrade, ABlockAcknowledgedOnItsThirdAttemptLetsTheTransferGoOn)
{
    Connected h;
    h.serve({2, 2, 0, 0}, "four_blocks.hex");
    h.device.acknowledge = [](int command, int number, int earlier) { return command != 208 || number != 1 || earlier >= 2; };
    h.upgrade();
    EXPECT_EQ(numbersOf(h.device.blockPayloads), QList<int>({0, 1, 1, 1, 2, 3}));
    EXPECT_EQ(h.device.closingPayloads, QList<QByteArray>({kFourBlocksClosing}));
    EXPECT_TRUE(h.p.dialogs.messages.isEmpty());
    EXPECT_TRUE(h.tool.frm.windowTitle().endsWith("FW V2.2.0.0"));
}

struct FailureCase {
    const char* name;
    int refusedCommand;
    int refusedNumber;
    QList<int> blocksSent;
    int closingFramesSent;
    const char* message;
};

class TransferFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(TransferFailure, EndsWithTheMessageAndTheRefreshOff)
{
    const FailureCase& c = GetParam();
    Connected h;
    h.serve({2, 2, 0, 0}, "four_blocks.hex");
    h.device.acknowledge = [&](int command, int number, int) { return command != c.refusedCommand || number != c.refusedNumber; };
    QString statusAtMessage;
    h.p.dialogs.onMessage = [&](const QString&) {
        if (h.tool.upgrade().progress().exists())
            statusAtMessage = h.tool.upgrade().progress().get().lblprogress->text();
    };
    h.upgrade();
    EXPECT_EQ(numbersOf(h.device.blockPayloads), c.blocksSent);
    EXPECT_EQ(h.device.framesOf(210), c.closingFramesSent);
    EXPECT_EQ(h.p.dialogs.messages, QStringList({c.message}));
    EXPECT_FALSE(statusAtMessage.isEmpty()) << "the message comes before the progress window goes";
    EXPECT_FALSE(h.tool.upgrade().progress().exists());
    EXPECT_FALSE(h.tool.frm.timScan.isActive());
    EXPECT_TRUE(h.p.port.isOpen());
    EXPECT_EQ(h.device.framesOf(86), 1) << "no reconnect";
    EXPECT_TRUE(h.tool.frm.cmdUpgrade->isEnabled()) << "the user can retry";
}

INSTANTIATE_TEST_SUITE_P(
    Acknowledgement, TransferFailure,
    ::testing::Values(FailureCase{"block_never_acknowledged", 208, 2, {0, 1, 2, 2, 2}, 0, "Upload failed. Please retry"},
                      FailureCase{"closing_frame_never_acknowledged", 210, 4, {0, 1, 2, 3}, 3, "Upgrading failed. Please retry"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Qmr51Upgrade, CancelDuringBlockTwoOfFourStopsTheBlocksButNotTheClosingFrame)
{
    Connected h;
    h.serve({2, 2, 0, 0}, "four_blocks.hex");
    h.device.onFrame = [&](int command) {
        if (command == 208 && h.device.blockPayloads.size() == 1)
            h.tool.upgrade().progress().get().cmdCancel->click();
    };
    h.upgrade();
    EXPECT_EQ(numbersOf(h.device.blockPayloads), QList<int>({0, 1}));
    EXPECT_EQ(h.device.closingPayloads, QList<QByteArray>({kFourBlocksClosing}));
    EXPECT_EQ(h.device.framesOf(86), 2) << "the restart wait and the reconnect follow";
}

TEST(Qmr51Upgrade, CancelDuringTheVersionCheckCountsForNothing)
{
    Connected h;
    h.serve({2, 2, 0, 0}, "four_blocks.hex");
    h.transfer.secondsFor.insert(kList, 1.0);
    h.p.pump.onEvents = [&] {
        if (h.transfer.requests.size() == 1 && h.tool.upgrade().progress().exists())
            h.tool.upgrade().progress().get().cmdCancel->click();
    };
    h.upgrade();
    EXPECT_EQ(numbersOf(h.device.blockPayloads), QList<int>({0, 1, 2, 3}));
}

TEST(Qmr51Upgrade, ASecondStartWhileOneRunsDoesNothing)
{
    Connected h;
    h.serve({2, 2, 0, 0}, "four_blocks.hex");
    bool upgradeButtonEnabled = true;
    bool windowEnabled = true;
    h.device.onFrame = [&](int command) {
        if (command != 208 || !h.device.blockPayloads.isEmpty())
            return;
        upgradeButtonEnabled = h.tool.frm.cmdUpgrade->isEnabled();
        windowEnabled = h.tool.frm.centralWidget()->isEnabled();
        h.tool.upgrade().cmdUpgrade_Click();
    };
    h.upgrade();
    EXPECT_FALSE(upgradeButtonEnabled);
    EXPECT_FALSE(windowEnabled);
    EXPECT_EQ(h.transfer.requests, QStringList({kList, kHex}));
    EXPECT_EQ(numbersOf(h.device.blockPayloads), QList<int>({0, 1, 2, 3}));
    EXPECT_TRUE(h.tool.frm.cmdUpgrade->isEnabled());
}

TEST(Qmr51Upgrade, TheRestartWaitLastsSevenSecondsWhenTheClockGoesBackAnHour)
{
    Connected h;
    h.serve({2, 2, 0, 0}, "four_blocks.hex");
    double closedAt = 0;
    double identifiedAt = 0;
    h.device.onFrame = [&](int command) {
        if (command == 210) {
            // 03:00 summer time on the last Sunday of October: the time of day goes back an hour.
            h.p.clock.setWallClock(QDateTime(QDate(2026, 10, 25), QTime(2, 0), QTimeZone("Europe/Amsterdam")));
            closedAt = h.p.clock.exact();
        }
        if (command == 86)
            identifiedAt = h.p.clock.exact();
    };
    h.upgrade();
    EXPECT_EQ(h.device.framesOf(86), 2) << "the device is connected again after its restart";
    // The closing frame's 0.8 s acknowledgement wait, the 7 s restart, the 0.2 s pause and the
    // reconnect's 0.5 s drain (each rounded up to its next pass): the hour back changes none of them.
    EXPECT_GE(identifiedAt - closedAt, 0.8 + 7.0 + 0.2 + 0.5);
    EXPECT_LT(identifiedAt - closedAt, 0.8 + 7.0 + 0.2 + 0.5 + 1.0);
}

} // namespace
