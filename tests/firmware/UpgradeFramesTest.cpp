#include "Bytes.h"
#include "firmware/UpgradeFrames.h"
#include "firmware/UpgradeList.h"
#include "sim/BootLoaderCrc.h"
#include <gtest/gtest.h>

namespace {

QByteArray pattern(int size)
{
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = static_cast<char>((i * 7 + 3) & 0xFF);
    return data;
}

TEST(UpgradeImage, PaddingBlockCountAndTheLimitOf255Blocks)
{
    struct Case { int size, paddedSize, blocks; bool sendable; };
    const Case cases[] = {{0, 0, 0, false},          {1, 128, 1, true},          {128, 128, 1, true},
                          {130, 256, 2, true},        {32640, 32640, 255, true},  {32641, 32768, 256, false}};
    for (const Case& c : cases) {
        const QByteArray image = pattern(c.size);
        const QByteArray padded = firmware::padToBlocks(image);
        ASSERT_EQ(padded.size(), c.paddedSize) << c.size;
        EXPECT_EQ(padded, image + QByteArray(c.paddedSize - c.size, '\0')) << c.size;
        EXPECT_EQ(firmware::blockCount(image), c.blocks) << c.size;
        EXPECT_EQ(firmware::imageRefusal(image).isEmpty(), c.sendable) << c.size;
        EXPECT_EQ(firmware::closingFrame(image, {1, 2, 3, 4}).isEmpty(), !c.sendable) << c.size;
        EXPECT_EQ(firmware::dataBlockFrame(image, 0).isEmpty(), !c.sendable) << c.size;
    }
    const QString tooBig = firmware::imageRefusal(pattern(32641));
    EXPECT_TRUE(tooBig.contains("256") && tooBig.contains("255")) << tooBig.toStdString();
}

// The frame CRCs are checked against the simulated boot loader's own CRC.
TEST(UpgradeFrames, EveryBlockCarriesItsNumberItsSliceAndItsCrc)
{
    const QByteArray image = pattern(5000); // 39 whole blocks and 8 bytes of a 40th
    const QByteArray padded = firmware::padToBlocks(image);
    for (int block = 0; block < 40; ++block) {
        const QByteArray frame = firmware::dataBlockFrame(image, block);
        ASSERT_EQ(frame.size(), 134) << block;
        EXPECT_EQ(frame.left(4).toHex(' '), fakes::bytes({0, block, 0, 0x80}).toHex(' '));
        EXPECT_EQ(frame.mid(4, 128), padded.mid(block * 128, 128)) << block;
        EXPECT_EQ(frame.right(2), sim::BootLoaderCrc::of(frame.left(132), 132)) << block;
    }
    EXPECT_TRUE(firmware::dataBlockFrame(image, 40).isEmpty());
    EXPECT_TRUE(firmware::dataBlockFrame(image, -1).isEmpty());

    // Closing frame: the block count (40, not the last number 39), length 6, the version, the CRC
    // of the padded image in blocks of 128, then the CRC of those ten bytes.
    const QByteArray closing = firmware::closingFrame(image, {1, 2, 3, 4});
    ASSERT_EQ(closing.size(), 12);
    EXPECT_EQ(closing.left(8).toHex(' '), "00 28 00 06 01 02 03 04");
    EXPECT_EQ(closing.mid(8, 2), sim::BootLoaderCrc::of(padded, 128));
    EXPECT_EQ(closing.right(2), sim::BootLoaderCrc::of(closing.left(10), 10));
    EXPECT_EQ(firmware::closingFrame(padded, {1, 2, 3, 4}), closing);
}

TEST(UpgradeList, VersionFromBytes41To44OfAWholeList)
{
    QByteArray list(200, '\0');
    for (int i = 0; i < list.size(); ++i)
        list[i] = static_cast<char>(i);
    list.replace(40, 4, QByteArray::fromHex("fffe8001"));
    const std::array<std::uint8_t, 4> expected{255, 254, 128, 1};
    EXPECT_EQ(firmware::latestFirmwareVersion(list.left(92)), expected);
    EXPECT_EQ(firmware::latestFirmwareVersion(list), expected);
    EXPECT_EQ(firmware::latestFirmwareVersion(list.left(91)), std::nullopt);
}

} // namespace
