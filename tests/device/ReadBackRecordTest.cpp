#include "Bytes.h"
#include "device/ReadBackRecord.h"
#include <gtest/gtest.h>

using fakes::bytes;
using namespace device;

namespace {

// Identification replies as the exchange hands them back: version, settings, serial, delays, '#'.
QByteArray tikaReply(std::initializer_list<int> settings, bool delays)
{
    QByteArray r = bytes({25, 0, 1, 2}) + bytes(settings) + QByteArray("22M01234");
    if (delays)
        r += bytes({7, 255, 3, 4, 0, 0});
    return r + '#';
}

TEST(ReadBackRecord, OutOfRangeBytesReadAsAFreshWindowShowsThem)
{
    // QMR51: interval, country, code, divider. An interval outside 5 ... 60 moves to the nearer
    // bound; a divider of 0 reads 1, one above 200 reads 200.
    for (auto [interval, divider, shownInterval, shownDivider] :
         {std::tuple{200, 0, 60, 1}, {3, 255, 5, 200}, {15, 7, 15, 7}}) {
        const SettingsRecord r = readBackRecord(bytes({2, 1, 0, 5, interval, 2, 4, divider}) + "51000042#", DeviceKind::Qmr51);
        EXPECT_EQ(r.intervalSeconds, shownInterval);
        EXPECT_EQ(r.divider[0], shownDivider);
        EXPECT_EQ(r.protocolPosition, 3) << "country 2 is BE whatever the code";
    }

    // TIKA: Out 1 "Import Power >" with level 40000 (above 32767) and difference 32768 ("not set");
    // Out 2 with function 14 (unknown) and divider 201. Delay 255 reads 250.
    const QByteArray reply =
        tikaReply({9, 0, 0, 201, 12, 14, 0x9C, 0x40, 0x80, 0x00, 0x01, 0x00, 0x00, 0x10}, true);
    const SettingsRecord r = readBackRecord(reply, DeviceKind::TikaV2);
    EXPECT_EQ(r.protocolPosition, 3);
    EXPECT_EQ(r.intervalSeconds, 5);
    EXPECT_EQ(r.divider, (std::array<int, 2>{1, 1}));
    EXPECT_EQ(r.powerLevelW[0], 32767);
    EXPECT_EQ(r.powerDiffW[0], 100);
    EXPECT_EQ(r.outputFunction[1], 0);
    EXPECT_EQ(r.powerLevelW[1], 0) << "an unknown function leaves the output at its start values";
    EXPECT_EQ(r.delayMinutes, (std::array<int, 4>{7, 250, 0, 0}));

    // Without delays in the answer they stay at 0; a difference above the level is cut to it.
    const SettingsRecord old = readBackRecord(tikaReply({5, 1, 1, 1, 12, 0, 0x01, 0xF4, 0x03, 0x20, 0, 0, 0, 0}, false),
                                              DeviceKind::TikaV1);
    EXPECT_EQ(old.powerDiffW[0], 500);
    EXPECT_EQ(old.delayMinutes, (std::array<int, 4>{0, 0, 0, 0}));
}

} // namespace
