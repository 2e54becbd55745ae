// The published CRC-16/X-25 check value pins the polynomial, the start value and the closing of a
// block; the simulated boot loader's CRC (table-driven, written apart from the tool's bitwise one)
// pins how the register runs on from one block into the next. The frames as the QMR51 checks them
// are fuzz/fuzz_upgrade_frames.cpp's properties for any image, and Qmr51UpgradeTest pins one
// closing frame byte for byte.
#include "firmware/BlockCrc.h"
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
