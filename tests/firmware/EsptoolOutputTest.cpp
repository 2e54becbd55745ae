// esptool's output as the progress window reads it back: progress lines, the last line, the fatal error.
#include "firmware/EsptoolOutput.h"
#include <gtest/gtest.h>

namespace {

TEST(EsptoolOutput, FollowsProgressWhateverEndsALineAndKeepsTheFatalLineAndABoundedTail)
{
    firmware::EsptoolOutput out;
    out.take("esptool.py v4.5.1\nConnecting.");
    EXPECT_FALSE(out.lastPercent());
    EXPECT_EQ(out.lastLine(), "Connecting.") << "a line still being written is shown";
    out.take("..\nA fatal error occurred: Failed to connect\nWriting at 0x00010000... (3 %)\rWriting at 0x00014000... (1");
    EXPECT_EQ(out.lastPercent(), 3);
    out.take("7 %)\r");
    EXPECT_EQ(out.lastPercent(), 17) << "a percentage split over two pieces";
    EXPECT_EQ(out.lastLine(), "Writing at 0x00014000... (17 %)");
    out.take("Writing at 0x000f0000... (100 %)\r\nSize 512 (250%)\r\n\r\n");
    EXPECT_EQ(out.lastPercent(), 100) << "values above 100 are no progress";
    EXPECT_EQ(out.lastLines(2), QStringList({"Writing at 0x000f0000... (100 %)", "Size 512 (250%)"}))
        << "blank lines do not count";
    for (int i = 0; i < 50; ++i)
        out.take(QByteArray("line ") + QByteArray::number(i) + '\n');
    EXPECT_EQ(out.fatalLine(), "A fatal error occurred: Failed to connect");
    EXPECT_EQ(out.lastLines(100).size(), 20) << "the tail kept is bounded";
    EXPECT_EQ(out.lastLine(), "line 49");
}

} // namespace
