// Padding, block count, refusal and the layout and CRCs of every frame, for any image, are
// properties fuzz/fuzz_upgrade_frames.cpp checks (and fuzz_upgrade_list.cpp the version a list
// gives). Here: one image's frames against the CRC of the simulated boot loader, which the
// simulated device checks as the QMR51 does, and the device's limit of 255 blocks at its edge.
#include "Bytes.h"
#include "firmware/UpgradeFrames.h"
#include "sim/BootLoaderCrc.h"
#include <gtest/gtest.h>

using fakes::bytes;
using sim::BootLoaderCrc;

namespace {

TEST(UpgradeFrames, ABlockAndTheClosingFrameAsTheBootLoaderChecksThem)
{
    const QByteArray image = QByteArray(128, 'q') + "\x01\x02"; // a whole block and 2 bytes of a second
    const QByteArray padded = image + QByteArray(126, '\0');
    const QByteArray block = bytes({0, 1, 0, 0x80}) + padded.mid(128);
    EXPECT_EQ(firmware::dataBlockFrame(image, 1).toHex(' '), (block + BootLoaderCrc::of(block, 132)).toHex(' '));
    // The block count (2, not the last number 1), 6, the version, the image's CRC in blocks of 128.
    const QByteArray closing = bytes({0, 2, 0, 6, 1, 2, 3, 4}) + BootLoaderCrc::of(padded, 128);
    EXPECT_EQ(firmware::closingFrame(image, {1, 2, 3, 4}).toHex(' '), (closing + BootLoaderCrc::of(closing, 10)).toHex(' '));
}

// An image one byte past 255 blocks sends nothing (the fuzz target checks that) and says why.
TEST(UpgradeImage, TheQmr51TakesAtMost255Blocks)
{
    const QByteArray largest(255 * 128, 'x');
    EXPECT_TRUE(firmware::imageRefusal(largest).isEmpty());
    const QString refusal = firmware::imageRefusal(largest + 'x');
    EXPECT_TRUE(refusal.contains("256") && refusal.contains("255")) << refusal.toStdString();
}

} // namespace
