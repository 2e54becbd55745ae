// The settings record's rules that the fuzz target does not pin (fuzz/fuzz_identification.cpp
// checks every payload's byte layout and length per firmware, the field positions read back, and
// that settings read from a device go back as the same bytes): which code each protocol in the
// list is, and how out-of-range bytes read back into the window's controls.
#include "Bytes.h"
#include "device/ReadBackRecord.h"
#include "device/SettingsRecord.h"
#include <gtest/gtest.h>

using fakes::bytes;
using namespace device;

namespace {

// The window's protocol list: 0 "2.0 (NL)", 1 "4.0 (NL)", 2 "5.0 (NL)", 3 "BE", 4 "DK", 5 "A1".
// A TIKA sends one code per position; a QMR51 a country (1 = NL, 2 = BE) and the Dutch DSMR code.
// Anything off the list is BE.
TEST(ProtocolTable, TikaAndQmrCodesBothWays)
{
    for (auto [position, code] : {std::pair{0, 2}, {1, 4}, {2, 5}, {3, 6}, {4, 7}, {5, 8}}) {
        EXPECT_EQ(tikaProtocolCode(position), code) << "position " << position;
        EXPECT_EQ(tikaProtocolPosition(code), position) << "code " << code;
    }
    EXPECT_EQ(tikaProtocolPosition(3), 3);

    struct Qmr { int position, country, code; };
    for (const Qmr q : {Qmr{0, 1, 2}, {1, 1, 4}, {2, 1, 5}, {3, 2, 5}}) {
        EXPECT_EQ(std::pair(int(qmrProtocol(q.position).country), int(qmrProtocol(q.position).code)), std::pair(q.country, q.code));
        EXPECT_EQ(qmrProtocolPosition(q.country, q.code), q.position) << "position " << q.position;
    }
    EXPECT_EQ(qmrProtocolPosition(1, 3), 2); // an unknown Dutch code reads as 5.0
    EXPECT_EQ(qmrProtocolPosition(0, 2), 3); // not the Netherlands: BE whatever the code
}

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

// The edges, and the difference "Export Power >" allows.
TEST(ReadBack, ValuesAtTheControlsBounds)
{
    EXPECT_EQ(dividerShown(200, 200), 200);           // a divider at the bound is kept
    EXPECT_EQ(powerDiffUpperBound(13, 500), 32767);   // "Export Power >": the difference may pass the level
    EXPECT_EQ(powerDiffShown(32767, 32767), 32767);   // 32767 is a set difference, 32768 is not
}

} // namespace
