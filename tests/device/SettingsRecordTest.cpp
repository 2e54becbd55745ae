#include "Bytes.h"
#include "device/SettingsRecord.h"
#include <gtest/gtest.h>

using fakes::bytes;

using namespace device;

namespace {


TEST(ProtocolTable, TikaCodesBothWays)
{
    // list position -> code; positions off the list send BE (6).
    const std::pair<int, int> writes[] = {{-1, 6}, {0, 2}, {1, 4}, {2, 5}, {3, 6}, {4, 7}, {5, 8}, {6, 6}, {99, 6}};
    for (auto [position, code] : writes)
        EXPECT_EQ(tikaProtocolCode(position), code) << "position " << position;
    // code -> list position; codes outside 2, 4, 5, 6, 7, 8 read as BE (3).
    const std::pair<int, int> reads[] = {{0, 3}, {1, 3}, {2, 0}, {3, 3}, {4, 1}, {5, 2},
                                         {6, 3}, {7, 4}, {8, 5}, {9, 3}, {255, 3}};
    for (auto [code, position] : reads)
        EXPECT_EQ(tikaProtocolPosition(code), position) << "code " << code;
}

TEST(ProtocolTable, QmrCountryAndCodeBothWays)
{
    struct Write { int position, country, code; };
    for (const Write w : {Write{0, 1, 2}, {1, 1, 4}, {2, 1, 5}, {3, 2, 5}, {4, 2, 5}, {-1, 2, 5}}) {
        const QmrProtocol p = qmrProtocol(w.position);
        EXPECT_EQ(p.country, w.country) << "position " << w.position;
        EXPECT_EQ(p.code, w.code) << "position " << w.position;
    }
    struct Read { int country, code, position; };
    for (const Read r : {Read{1, 2, 0}, {1, 4, 1}, {1, 5, 2}, {1, 3, 2}, {1, 0, 2}, {2, 4, 3}, {2, 2, 3}, {0, 2, 3},
                         {255, 5, 3}}) {
        EXPECT_EQ(qmrProtocolPosition(r.country, r.code), r.position) << r.country << "," << r.code;
    }
}

TEST(TikaPayload, DelaysGoOutFrom24ExceptThe241Line)
{
    struct Fw { std::array<std::uint8_t, 4> v; bool delays; };
    for (const Fw f : {Fw{{23, 9, 0, 0}, false}, {{24, 1, 0, 0}, false}, {{24, 1, 9, 9}, false}, {{0, 0, 0, 0}, false},
                       {{24, 0, 0, 0}, true}, {{24, 2, 0, 1}, true}, {{25, 1, 0, 0}, true}, {{255, 1, 0, 0}, true}}) {
        EXPECT_EQ(tikaTakesDelays(f.v), f.delays) << int(f.v[0]) << "." << int(f.v[1]);
    }
}

SettingsRecord dkRecord()
{
    SettingsRecord s;
    s.protocolPosition = 4; // "DK"
    s.modbusAddress = 17;
    s.divider = {10, 20};
    s.outputFunction = {12, 13};
    s.powerLevelW = {1000, 513};
    s.powerDiffW = {300, 32767};
    s.delayMinutes = {1, 2, 250, 4};
    return s;
}

TEST(TikaPayload, FourteenBytesForOldFirmwareEighteenWithDelays)
{
    const QByteArray base = bytes({7, 17, 10, 20, 12, 13, 3, 232, 1, 44, 2, 1, 0x7F, 0xFF});
    EXPECT_EQ(tikaSettingsPayload(dkRecord(), {24, 1, 0, 0}).toHex(' '), base.toHex(' '));
    EXPECT_EQ(tikaSettingsPayload(dkRecord(), {24, 2, 0, 1}).toHex(' '), (base + bytes({1, 2, 250, 4})).toHex(' '));
    EXPECT_EQ(settingsPayload(dkRecord(), device::DeviceKind::TikaV1, {23, 0, 0, 0}).toHex(' '), base.toHex(' '));
}

TEST(QmrPayload, IntervalCountryCodeDivider)
{
    SettingsRecord s = dkRecord();
    s.intervalSeconds = 10;
    s.divider = {4, 99};
    s.protocolPosition = 3; // "BE"
    EXPECT_EQ(settingsPayload(s, device::DeviceKind::Qmr51, {24, 2, 0, 1}).toHex(' '), bytes({10, 2, 5, 4}).toHex(' '));
    s.protocolPosition = 1; // "4.0 (NL)"
    EXPECT_EQ(qmrSettingsPayload(s).toHex(' '), bytes({10, 1, 4, 4}).toHex(' '));
}

TEST(Payloads, OutOfRangeValuesAreClampedNotWrapped)
{
    SettingsRecord s = dkRecord();
    s.modbusAddress = 256;
    s.divider = {-3, 300};
    s.powerLevelW = {70000, -1};
    const QByteArray p = tikaSettingsPayload(s, {24, 1, 0, 0});
    EXPECT_EQ(p.left(4).toHex(' '), bytes({7, 255, 0, 255}).toHex(' '));
    EXPECT_EQ(p.mid(6, 2).toHex(' '), bytes({255, 255}).toHex(' '));
    EXPECT_EQ(p.mid(10, 2).toHex(' '), bytes({0, 0}).toHex(' '));
}

// Identification answer of a TIKA: status, version 24.2.0.1, protocol 7, Modbus 5, dividers 3 / 201,
// functions 13 / 5, level 1 = 500, diff 1 = 0xFFFF, level 2 = 0x7FFF, diff 2 = 800, serial, then
// '#' (26 data bytes) or the delays and two more bytes and '#' (32 data bytes).
QByteArray tikaAnswer(bool withDelays)
{
    QByteArray r = bytes({0, 24, 2, 0, 1, 7, 5, 3, 201, 13, 5, 0x01, 0xF4, 0xFF, 0xFF, 0x7F, 0xFF, 0x03, 0x20});
    r += "22M01234";
    if (withDelays)
        r += bytes({11, 12, 251, 14, 0x99, 0x98}); // delays, then two bytes the read-back ignores
    return r + "#";
}

TEST(ReadBack, TikaOutputsFromTheAnswer)
{
    const TikaOutputBytes out1 = tikaOutputBytes(tikaAnswer(true), 0);
    EXPECT_EQ(out1.function, 13);
    EXPECT_EQ(out1.divider, 3);
    EXPECT_EQ(out1.powerLevelW, 500);
    EXPECT_EQ(out1.powerDiffW, 65535);
    EXPECT_TRUE(out1.hasDelays);
    EXPECT_EQ(out1.delayOnMinutes, 11);
    EXPECT_EQ(out1.delayOffMinutes, 12);

    const TikaOutputBytes out2 = tikaOutputBytes(tikaAnswer(true), 1);
    EXPECT_EQ(out2.function, 5);
    EXPECT_EQ(out2.divider, 201);
    EXPECT_EQ(out2.powerLevelW, 32767);
    EXPECT_EQ(out2.powerDiffW, 800);
    EXPECT_EQ(out2.delayOnMinutes, 251);
    EXPECT_EQ(out2.delayOffMinutes, 14);

    EXPECT_EQ(tikaProtocolPositionOf(tikaAnswer(true)), 4);
    EXPECT_EQ(tikaModbusAddress(tikaAnswer(true)), 5);
}

TEST(ReadBack, TwentySixDataBytesCarryNoDelays)
{
    ASSERT_EQ(tikaAnswer(false).size(), 28);
    const TikaOutputBytes out = tikaOutputBytes(tikaAnswer(false), 1);
    EXPECT_FALSE(out.hasDelays);
    EXPECT_EQ(out.delayOnMinutes, 0);
    // 33 result bytes (31 data bytes and '#') hold the four delay bytes, but only an answer of at
    // least 32 data bytes counts as one with delays.
    ASSERT_EQ(tikaAnswer(true).size(), 34);
    EXPECT_FALSE(tikaOutputBytes(tikaAnswer(true).left(32) + "#", 0).hasDelays);
    EXPECT_TRUE(tikaOutputBytes(tikaAnswer(true), 0).hasDelays);
}

TEST(ReadBack, QmrFields)
{
    // interval 200 (outside 5 ... 60, read as is), country 2 with code 4 = BE, divider 7.
    QmrReadBack q = qmrReadBack(bytes({0, 1, 2, 3, 4, 200, 2, 4, 7}) + "Q5123456#");
    EXPECT_EQ(q.intervalSeconds, 200);
    EXPECT_EQ(q.protocolPosition, 3);
    EXPECT_EQ(q.divider, 7);
    q = qmrReadBack(bytes({0, 1, 2, 3, 4, 30, 1, 3, 7, 35}));
    EXPECT_EQ(q.protocolPosition, 2); // country 1, unknown code 3: "5.0 (NL)"
}

TEST(ReadBack, RulesForValuesOutsideTheControlsBounds)
{
    EXPECT_EQ(dividerShown(0, 200), 0);
    EXPECT_EQ(dividerShown(200, 200), 200);
    EXPECT_EQ(dividerShown(201, 200), 1);
    EXPECT_EQ(powerLevelShown(500, 32767), 500);
    EXPECT_EQ(powerLevelShown(32767, 32767), 32767);
    EXPECT_EQ(powerLevelShown(65535, 32767), 32767);
    EXPECT_EQ(powerDiffUpperBound(13, 500), 32767);
    EXPECT_EQ(powerDiffUpperBound(12, 500), 500);
    EXPECT_EQ(powerDiffShown(800, 500), 500);   // level 500, function 5, difference 800
    EXPECT_EQ(powerDiffShown(0xFFFF, 32767), 100);
    EXPECT_EQ(powerDiffShown(0x8000, 32767), 100);
    EXPECT_EQ(powerDiffShown(0x7FFF, 32767), 32767);
    EXPECT_EQ(delayShown(251, 250), 250);
    EXPECT_EQ(delayShown(250, 250), 250);
}

TEST(ReadBack, NeverReadsPastAShortResult)
{
    const TikaOutputBytes out = tikaOutputBytes(bytes({0, 24, 2, 0, 1, 7, 5}), 1);
    EXPECT_EQ(out.function, 0);
    EXPECT_EQ(out.powerDiffW, 0);
    EXPECT_FALSE(out.hasDelays);
}

} // namespace
