#include "firmware/BlockCrc.h"
#include <gtest/gtest.h>

namespace {

// CRC-16/X-25 the textbook way, written independently of the loader's reflected shift register:
// MSB-first with polynomial 0x1021 on bit-reversed bytes, the register reversed in and out.
std::uint16_t reverse16(std::uint16_t v)
{
    std::uint16_t r = 0;
    for (int i = 0; i < 16; ++i)
        if (v & (1u << i))
            r = static_cast<std::uint16_t>(r | (1u << (15 - i)));
    return r;
}

std::uint8_t reverse8(std::uint8_t v)
{
    std::uint8_t r = 0;
    for (int i = 0; i < 8; ++i)
        if (v & (1u << i))
            r = static_cast<std::uint8_t>(r | (1u << (7 - i)));
    return r;
}

// X-25 without its final XOR, starting from `start` (a value of the reflected register).
std::uint16_t x25Raw(const QByteArray& data, std::uint16_t start)
{
    std::uint16_t crc = reverse16(start);
    for (char c : data) {
        crc = static_cast<std::uint16_t>(crc ^ (reverse8(static_cast<std::uint8_t>(c)) << 8));
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return reverse16(crc);
}

// The device's block rule on top: each block closed by XOR 0xFFFF and a byte exchange, the next
// block starting from there; two bytes, high first.
QByteArray referenceBlockCrc(const QByteArray& data, int blockLength)
{
    std::uint16_t r = 0xFFFF;
    for (qsizetype start = 0; start < data.size(); start += blockLength) {
        const std::uint16_t closed = x25Raw(data.mid(start, blockLength), r) ^ 0xFFFF;
        r = static_cast<std::uint16_t>((closed >> 8) | (closed << 8));
    }
    return QByteArray::fromHex(QByteArray::number(r, 16).rightJustified(4, '0'));
}

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
