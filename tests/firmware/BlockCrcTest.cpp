// The published CRC-16/X-25 check value pins the polynomial, the start value and the closing of a
// block; the simulated boot loader's CRC (table-driven, written apart from the tool's bitwise one)
// pins how the register runs on from one block into the next, and the frames as the QMR51 checks
// them. Frame layout and refusal for any image are fuzz/fuzz_upgrade_frames.cpp's properties.
#include "Bytes.h"
#include "firmware/BlockCrc.h"
#include "firmware/UpgradeFrames.h"
#include "sim/BootLoaderCrc.h"
#include <gtest/gtest.h>

using sim::BootLoaderCrc;

TEST(BlockCrc, OneBlockIsThePublishedX25LowByteFirstAndBlocksAgreeWithTheBootLoader)
{
    // The CRC-16/X-25 check value of "123456789" is 0x906E.
    EXPECT_EQ(firmware::CRC16("123456789", 9).toHex(' '), "6e 90");
    for (int blockLength : {1, 7, 128, 132}) {
        QByteArray data(blockLength * 17, '\0');
        for (qsizetype i = 0; i < data.size(); ++i)
            data[i] = static_cast<char>(i * 37 + 11);
        EXPECT_EQ(firmware::CRC16(data, blockLength).toHex(), BootLoaderCrc::of(data, blockLength).toHex()) << blockLength;
    }
}

// The boot loader counts positions in signed 16 bits; an empty answer means "refused".
TEST(BlockCrc, RefusesWhatTheDeviceCannotCheck)
{
    struct Limit { const char* name; qsizetype size; int blockLength; QByteArray expected; };
    const Limit limits[] = {
        {"length not a multiple", 10, 3, {}},
        {"block length 0", 10, 0, {}},
        {"256 blocks of 128 pass 32767", 32768, 128, {}},
        {"255 blocks of 128 are fine", 32640, 128, BootLoaderCrc::of(QByteArray(32640, '\0'), 128)},
        {"empty data is the untouched register", 0, 128, QByteArray::fromHex("ffff")},
    };
    for (const Limit& l : limits)
        EXPECT_EQ(firmware::CRC16(QByteArray(l.size, '\0'), l.blockLength).toHex(), l.expected.toHex()) << l.name;
}

TEST(UpgradeFrames, ABlockAndTheClosingFrameAsTheBootLoaderChecksThem)
{
    const QByteArray image = QByteArray(128, 'q') + "\x01\x02"; // a whole block and 2 bytes of a second
    const QByteArray padded = image + QByteArray(126, '\0');
    const QByteArray block = fakes::bytes({0, 1, 0, 0x80}) + padded.mid(128);
    EXPECT_EQ(firmware::dataBlockFrame(image, 1).toHex(' '), (block + BootLoaderCrc::of(block, 132)).toHex(' '));
    // The block count (2, not the last number 1), 6, the version, the image's CRC in blocks of 128.
    const QByteArray closing = fakes::bytes({0, 2, 0, 6, 1, 2, 3, 4}) + BootLoaderCrc::of(padded, 128);
    EXPECT_EQ(firmware::closingFrame(image, {1, 2, 3, 4}).toHex(' '), (closing + BootLoaderCrc::of(closing, 10)).toHex(' '));
}
