// What the progress window shows: the bar values of each phase and esptool's output read back.
#include "firmware/ui/EsptoolOutput.h"
#include "firmware/ui/UpgradeProgress.h"
#include <gtest/gtest.h>

namespace {

TEST(UpgradeProgress, BarValuesOfEveryPhase)
{
    struct Case {
        const char* what;
        int value;
        int expected;
    };
    const Case cases[] = {
        {"countdown at the start of 20 s", firmware::countdownPercent(20, 20), 0},
        {"countdown after 5 of 20 s", firmware::countdownPercent(15, 20), 25},
        {"countdown at the end", firmware::countdownPercent(0, 7), 100},
        {"countdown past the deadline", firmware::countdownPercent(-0.3, 7), 100},
        {"countdown with more left than the total (clock jumped back)", firmware::countdownPercent(30, 20), 0},
        {"poll step", firmware::nextPollPercent(0), 5},
        {"poll step from 95", firmware::nextPollPercent(95), 100},
        {"poll restarts once 99 is reached", firmware::nextPollPercent(100), 0},
        {"poll restarts at 99", firmware::nextPollPercent(99), 0},
        {"download with a size, nothing yet", firmware::downloadPercent(0, 1000, 3), 10},
        {"download with a size, half", firmware::downloadPercent(500, 1000, 3), 50},
        {"download with a size, whole", firmware::downloadPercent(1000, 1000, 3), 90},
        {"download with a size, more than announced", firmware::downloadPercent(3000, 1000, 3), 90},
        {"download without a size, at once", firmware::downloadPercent(700, -1, 0), 10},
        {"download without a size, after 2.5 s", firmware::downloadPercent(700, -1, 2.5), 50},
        {"download without a size never shows done", firmware::downloadPercent(700, -1, 1e6), 89},
        {"first of 40 blocks", firmware::blockPercent(0, 40), 0},
        {"block 10 of 40", firmware::blockPercent(10, 40), 25},
        {"closing frame counted as a block", firmware::blockPercent(41, 40), 100},
        {"no blocks", firmware::blockPercent(0, 0), 100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.value, c.expected) << c.what;
    EXPECT_EQ(firmware::Min(2.5, 3.0), 2.5);
    EXPECT_EQ(firmware::Min(3.0, -1.0), -1.0);
}

TEST(EsptoolOutput, FollowsProgressLinesWhateverTheyEndWith)
{
    firmware::EsptoolOutput out;
    EXPECT_FALSE(out.lastPercent());
    EXPECT_EQ(out.lastLine(), "");
    out.take("esptool.py v4.5.1\nSerial port /dev/ttyUSB0\nConnecting.");
    EXPECT_EQ(out.lastLine(), "Connecting.") << "a line still being written is shown";
    out.take("...\n");
    EXPECT_EQ(out.lastLine(), "Connecting....");
    out.take("Writing at 0x00010000... (3 %)\rWriting at 0x00014000... (1");
    EXPECT_EQ(out.lastPercent(), 3);
    out.take("7 %)\r");
    EXPECT_EQ(out.lastPercent(), 17) << "a percentage split over two pieces";
    EXPECT_EQ(out.lastLine(), "Writing at 0x00014000... (17 %)");
    out.take("Writing at 0x000f0000... (100 %)\r\nWrote 983040 bytes (612345 compressed) at 0x00010000 in 54.1 seconds\r\n"
             "Hash of data verified.\r\n\r\n");
    EXPECT_EQ(out.lastPercent(), 100);
    EXPECT_EQ(out.lastLine(), "Hash of data verified.") << "blank lines do not count";
    EXPECT_EQ(out.lastLines(2), QStringList({"Wrote 983040 bytes (612345 compressed) at 0x00010000 in 54.1 seconds",
                                             "Hash of data verified."}));
    EXPECT_EQ(out.fatalLine(), "");
}

TEST(EsptoolOutput, KeepsTheFatalErrorLineAndOnlyTheLastLines)
{
    firmware::EsptoolOutput out;
    out.take("Connecting......\nA fatal error occurred: Failed to connect to ESP32: Timed out waiting for packet header\n");
    for (int i = 0; i < 50; ++i)
        out.take(QByteArray("line ") + QByteArray::number(i) + '\n');
    EXPECT_EQ(out.fatalLine(), "A fatal error occurred: Failed to connect to ESP32: Timed out waiting for packet header");
    EXPECT_EQ(out.lastLines(3), QStringList({"line 47", "line 48", "line 49"}));
    EXPECT_EQ(out.lastLines(100).size(), 20) << "the tail kept is bounded";
    out.take("Size 512 (250%) is not a percentage of the flash\n");
    EXPECT_EQ(out.lastPercent(), std::nullopt) << "values above 100 are no progress";
}

} // namespace
