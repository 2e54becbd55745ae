#include "firmware/UpgradeFrames.h"
#include "firmware/UpgradeList.h"
#include <gtest/gtest.h>

namespace {

// 5000 bytes: 39 whole blocks and 8 bytes of a 40th.
QByteArray pattern(int size)
{
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = static_cast<char>((i * 7 + 3) & 0xFF);
    return data;
}

TEST(UpgradeImage, PaddingAndBlockCount)
{
    struct Case {
        int size;
        int paddedSize;
        int blocks;
    };
    const Case cases[] = {{0, 0, 0}, {1, 128, 1}, {128, 128, 1}, {130, 256, 2}, {256, 256, 2},
                          {5000, 5120, 40}, {32640, 32640, 255}, {32641, 32768, 256}};
    for (const Case& c : cases) {
        const QByteArray image = pattern(c.size);
        const QByteArray padded = firmware::padToBlocks(image);
        ASSERT_EQ(padded.size(), c.paddedSize) << c.size;
        EXPECT_EQ(padded.left(c.size), image) << c.size;
        EXPECT_EQ(padded.mid(c.size), QByteArray(c.paddedSize - c.size, '\0')) << c.size;
        EXPECT_EQ(firmware::blockCount(image), c.blocks) << c.size;
    }
}

TEST(UpgradeImage, RefusesEmptyAndOversizedImages)
{
    EXPECT_FALSE(firmware::imageRefusal(QByteArray()).isEmpty());
    EXPECT_TRUE(firmware::imageRefusal(pattern(1)).isEmpty());
    EXPECT_TRUE(firmware::imageRefusal(pattern(32640)).isEmpty());
    const QString tooBig = firmware::imageRefusal(pattern(32641));
    EXPECT_TRUE(tooBig.contains("256")) << tooBig.toStdString();
    EXPECT_TRUE(tooBig.contains("255")) << tooBig.toStdString();
    // What the loader gives for a NoBoot record at 0x7FF8 of 16 bytes: 0x8008 bytes, 257 blocks.
    EXPECT_FALSE(firmware::imageRefusal(QByteArray(0x8008, '\xFF')).isEmpty());
}

TEST(DataBlockFrame, LayoutOfFirstAndLastBlock)
{
    const QByteArray image = pattern(5000);
    struct Case {
        int block;
        QByteArray head;
        QByteArray body;
        QByteArray crc;
    };
    const Case cases[] = {
        {0, QByteArray::fromHex("00000080"), image.left(128), QByteArray::fromHex("173b")},
        {39, QByteArray::fromHex("00270080"), image.mid(39 * 128) + QByteArray(120, '\0'), QByteArray::fromHex("fb6d")},
    };
    for (const Case& c : cases) {
        const QByteArray frame = firmware::dataBlockFrame(image, c.block);
        ASSERT_EQ(frame.size(), 134) << c.block;
        EXPECT_EQ(frame.left(4).toHex(), c.head.toHex()) << c.block;
        EXPECT_EQ(frame.mid(4, 128), c.body) << c.block;
        EXPECT_EQ(frame.right(2).toHex(), c.crc.toHex()) << c.block;
    }
}

TEST(DataBlockFrame, EveryBlockCarriesItsNumberAndItsSlice)
{
    const QByteArray image = firmware::padToBlocks(pattern(32640));
    for (int block = 0; block < 255; ++block) {
        const QByteArray frame = firmware::dataBlockFrame(image, block);
        ASSERT_EQ(frame.size(), 134);
        EXPECT_EQ(static_cast<unsigned char>(frame[1]), block);
        EXPECT_EQ(frame.mid(4, 128), image.mid(block * 128, 128)) << block;
    }
}

TEST(DataBlockFrame, NoFrameOutsideTheImage)
{
    EXPECT_TRUE(firmware::dataBlockFrame(pattern(5000), 40).isEmpty());
    EXPECT_TRUE(firmware::dataBlockFrame(pattern(5000), -1).isEmpty());
    EXPECT_TRUE(firmware::dataBlockFrame(QByteArray(), 0).isEmpty());
    EXPECT_TRUE(firmware::dataBlockFrame(pattern(32641), 0).isEmpty());
}

TEST(ClosingFrame, CarriesTheWholeBlockCountVersionAndCrcs)
{
    // Length byte 6; block-number byte is the count (40 = 0x28), not the last block number 39.
    EXPECT_EQ(firmware::closingFrame(pattern(5000), {1, 2, 3, 4}).toHex(' '),
              "00 28 00 06 01 02 03 04 88 cd ac b8");
    // Padding first or letting the frame pad gives the same image CRC.
    EXPECT_EQ(firmware::closingFrame(firmware::padToBlocks(pattern(5000)), {1, 2, 3, 4}).toHex(' '),
              "00 28 00 06 01 02 03 04 88 cd ac b8");
    EXPECT_EQ(firmware::closingFrame(pattern(32640), {9, 8, 7, 6}).toHex(' '),
              "00 ff 00 06 09 08 07 06 e2 a0 0c 06");
    EXPECT_TRUE(firmware::closingFrame(pattern(32641), {1, 2, 3, 4}).isEmpty());
    EXPECT_TRUE(firmware::closingFrame(QByteArray(), {1, 2, 3, 4}).isEmpty());
}

TEST(UpgradeList, VersionFromBytes41To44)
{
    QByteArray list(200, '\0');
    for (int i = 0; i < list.size(); ++i)
        list[i] = static_cast<char>(i);
    const std::array<std::uint8_t, 4> expected{40, 41, 42, 43};
    EXPECT_EQ(firmware::latestFirmwareVersion(list.left(92)), expected);
    EXPECT_EQ(firmware::latestFirmwareVersion(list), expected);
    EXPECT_EQ(firmware::latestFirmwareVersion(list.left(91)), std::nullopt);
    EXPECT_EQ(firmware::latestFirmwareVersion(QByteArray()), std::nullopt);

    QByteArray high(92, '\0');
    high.replace(40, 4, QByteArray::fromHex("fffe8001"));
    const std::array<std::uint8_t, 4> unsignedBytes{255, 254, 128, 1};
    EXPECT_EQ(firmware::latestFirmwareVersion(high), unsignedBytes);
}

} // namespace
