#include "firmware/BlockCrc.h"
#include "sim/BootLoaderCrc.h"
#include <gtest/gtest.h>

namespace {

// The simulated boot loader's CRC (a table-driven one, written apart from the tool's bitwise one)
// is the reference: both must agree on every length and block size.
QByteArray referenceBlockCrc(const QByteArray& data, int blockLength) { return sim::BootLoaderCrc::of(data, blockLength); }

QByteArray counting(int size)
{
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = static_cast<char>(i & 0xFF);
    return data;
}

TEST(BlockCrc, SingleBlockIsThePublishedX25LowByteFirst)
{
    // X-25 check value of "123456789" is 0x906E.
    EXPECT_EQ(firmware::CRC16("123456789", 9).toHex(' '), "6e 90");
    EXPECT_EQ(referenceBlockCrc("123456789", 9).toHex(' '), "6e 90");
    // X-25 of ten zero bytes is 0x6378.
    EXPECT_EQ(firmware::CRC16(QByteArray(10, '\0'), 10).toHex(' '), "78 63");
}

TEST(BlockCrc, ClosingBetweenBlocksChangesTheResult)
{
    const QByteArray zeros(10, '\0');
    const QByteArray asOne = firmware::CRC16(zeros, 10);
    const QByteArray asTwo = firmware::CRC16(zeros, 5);
    EXPECT_EQ(asTwo.toHex(' '), "10 d3");
    EXPECT_NE(asOne, asTwo);
    EXPECT_EQ(asTwo, referenceBlockCrc(zeros, 5));
}

TEST(BlockCrc, ImageOfTwoBlocksCarriesTheRegister)
{
    const QByteArray image = counting(256);
    EXPECT_EQ(firmware::CRC16(image, 128).toHex(' '), "0e fb");
    EXPECT_EQ(firmware::CRC16(image, 128), referenceBlockCrc(image, 128));
    // As one block it is the plain X-25 instead.
    EXPECT_EQ(firmware::CRC16(image, 256).toHex(' '), "3c 30");
}

TEST(BlockCrc, AgreesWithTheReferenceOverLengthsAndBlockSizes)
{
    const int blockLengths[] = {1, 2, 3, 7, 10, 128, 132};
    for (int blockLength : blockLengths) {
        for (int blocks : {0, 1, 2, 5, 17}) {
            QByteArray data = counting(blockLength * blocks);
            for (qsizetype i = 0; i < data.size(); ++i)
                data[i] = static_cast<char>(data[i] * 37 + 11);
            EXPECT_EQ(firmware::CRC16(data, blockLength).toHex(), referenceBlockCrc(data, blockLength).toHex())
                << blockLength << " x " << blocks;
        }
    }
}

TEST(BlockCrc, UpdateStepsOneByteLeastSignificantBitFirst)
{
    EXPECT_EQ(firmware::CRC16Update(0x0000, 0x01), 0x1189);
    EXPECT_EQ(firmware::CRC16Update(0xFFFF, 0x31), 0x2F8D);
    EXPECT_EQ(firmware::CRC16Update(0x0000, 0x00), 0x0000);
}

struct Limit {
    const char* name;
    qsizetype size;
    int blockLength;
    QByteArray expected;  // empty = refused
};

TEST(BlockCrc, RefusesWhatTheDeviceCannotCheck)
{
    const Limit limits[] = {
        {"length not a multiple", 10, 3, {}},
        {"block length 0", 10, 0, {}},
        {"negative block length", 10, -5, {}},
        {"block length above 16 bits", 0, 40000, {}},
        {"256 blocks of 128 pass 32767", 32768, 128, {}},
        {"255 blocks of 128 are fine", 32640, 128, QByteArray::fromHex("9d3e")},
        {"32767 single bytes are fine", 32767, 1, referenceBlockCrc(QByteArray(32767, '\0'), 1)},
        {"empty data is the untouched register", 0, 128, QByteArray::fromHex("ffff")},
    };
    for (const Limit& l : limits)
        EXPECT_EQ(firmware::CRC16(QByteArray(l.size, '\0'), l.blockLength).toHex(), l.expected.toHex()) << l.name;
}

} // namespace
