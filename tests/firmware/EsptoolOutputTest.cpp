// esptool's output as the progress window reads it back: progress lines, the last line, the fatal error.
#include "firmware/EsptoolOutput.h"
#include <gtest/gtest.h>

namespace {

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
