#include "Bytes.h"
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
    EXPECT_EQ(tikaProtocolCode(6), 6);
    EXPECT_EQ(tikaProtocolPosition(3), 3);

    struct Qmr { int position, country, code; };
    for (const Qmr q : {Qmr{0, 1, 2}, {1, 1, 4}, {2, 1, 5}, {3, 2, 5}}) {
        EXPECT_EQ(qmrProtocol(q.position).country, q.country) << "position " << q.position;
        EXPECT_EQ(qmrProtocol(q.position).code, q.code) << "position " << q.position;
        EXPECT_EQ(qmrProtocolPosition(q.country, q.code), q.position) << "position " << q.position;
    }
    EXPECT_EQ(qmrProtocol(4).country, 2);    // "DK" is TIKA only
    EXPECT_EQ(qmrProtocolPosition(1, 3), 2); // an unknown Dutch code reads as 5.0
    EXPECT_EQ(qmrProtocolPosition(0, 2), 3); // not the Netherlands: BE whatever the code
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

TEST(Payloads, LayoutOfBothKindsOutOfRangeValuesClampedNotWrapped)
{
    const QByteArray base = bytes({7, 17, 10, 20, 12, 13, 3, 232, 1, 44, 2, 1, 0x7F, 0xFF});
    EXPECT_EQ(settingsPayload(dkRecord(), DeviceKind::TikaV1, {24, 1, 0, 0}).toHex(' '), base.toHex(' '));
    EXPECT_EQ(settingsPayload(dkRecord(), DeviceKind::TikaV2, {24, 2, 0, 1}).toHex(' '),
              (base + bytes({1, 2, 250, 4})).toHex(' '));

    SettingsRecord s = dkRecord();
    s.intervalSeconds = 10;
    s.divider = {4, 99};
    s.protocolPosition = 1; // "4.0 (NL)"
    EXPECT_EQ(settingsPayload(s, DeviceKind::Qmr51, {24, 2, 0, 1}).toHex(' '), bytes({10, 1, 4, 4}).toHex(' '));

    s.modbusAddress = 256;
    s.divider = {-3, 300};
    s.powerLevelW = {70000, -1};
    const QByteArray p = tikaSettingsPayload(s, {24, 1, 0, 0});
    EXPECT_EQ(p.left(4).toHex(' '), bytes({4, 255, 0, 255}).toHex(' '));
    EXPECT_EQ(p.mid(6, 2).toHex(' '), bytes({255, 255}).toHex(' '));
    EXPECT_EQ(p.mid(10, 2).toHex(' '), bytes({0, 0}).toHex(' '));
}

// ---- Read-back from the identification answer (command 86) ----

// A TIKA answer as the device lays it out (reply bytes from 0):
//  0-3 version, 4 protocol code, 5 Modbus address, 6-7 divider Out 1 / Out 2,
//  8-9 function Out 1 / Out 2, 10-11 level Out 1, 12-13 difference Out 1, 14-15 level Out 2,
//  16-17 difference Out 2 (high byte first), 18-25 serial; firmware with delays adds
//  26-29 delay on / off of Out 1, on / off of Out 2 and two bytes the tool leaves alone; '#' last.
// Every field holds a value of its own, so a read one position off shows.
QByteArray tikaAnswer(bool withDelays)
{
    QByteArray r = bytes({24, 2, 0, 1, 7, 5, 3, 201, 13, 14, 0x01, 0xF4, 0xFF, 0xFF, 0x7F, 0xFF, 0x80, 0x00});
    r += "22M01234";
    if (withDelays)
        r += bytes({11, 12, 251, 9, 0x99, 0x98});
    return r + "#";
}

TEST(ReadBack, FieldPositionsOfBothOutputsAndTheDelayLength)
{
    ASSERT_EQ(tikaAnswer(false).size(), 27);
    ASSERT_EQ(tikaAnswer(true).size(), 33); // the shortest answer with delays (kTikaDelaysMinReplyLength)
    struct Out {
        const char* name;
        QByteArray result;
        int output;
        TikaOutputBytes expected;
        bool functionValid; // the window shows the function only below kOutputFunctionCount
    };
    const Out outs[] = {
        {"Out 1, with delays", tikaAnswer(true), 0, {13, 3, 500, 0xFFFF, true, 11, 12}, true},
        {"Out 2, with delays", tikaAnswer(true), 1, {14, 201, 0x7FFF, 0x8000, true, 251, 9}, false},
        {"Out 2, firmware without delays", tikaAnswer(false), 1, {14, 201, 0x7FFF, 0x8000, false, 0, 0}, false},
        // The delay bytes are all there, but an answer one byte short of 33 is not one with delays.
        {"one byte short of the delay length", tikaAnswer(true).left(31) + "#", 0, {13, 3, 500, 0xFFFF, false, 0, 0},
         true},
        {"a cut answer reads 0 past its end", bytes({24, 2, 0, 1, 7, 5, 3, 201, 255}), 1, {0, 201, 0, 0, false, 0, 0},
         true},
        {"function byte 255 is not clamped", bytes({24, 2, 0, 1, 7, 5, 3, 201, 255}), 0, {255, 3, 0, 0, false, 0, 0},
         false},
    };
    for (const Out& o : outs) {
        const TikaOutputBytes got = tikaOutputBytes(o.result, o.output);
        EXPECT_EQ(got.function, o.expected.function) << o.name;
        EXPECT_EQ(got.function < kOutputFunctionCount, o.functionValid) << o.name;
        EXPECT_EQ(got.divider, o.expected.divider) << o.name;
        EXPECT_EQ(got.powerLevelW, o.expected.powerLevelW) << o.name;
        EXPECT_EQ(got.powerDiffW, o.expected.powerDiffW) << o.name;
        EXPECT_EQ(got.hasDelays, o.expected.hasDelays) << o.name;
        EXPECT_EQ(got.delayOnMinutes, o.expected.delayOnMinutes) << o.name;
        EXPECT_EQ(got.delayOffMinutes, o.expected.delayOffMinutes) << o.name;
    }
    EXPECT_EQ(tikaProtocolPositionOf(tikaAnswer(true)), 4); // code 7: "DK"
    EXPECT_EQ(tikaModbusAddress(tikaAnswer(true)), 5);

    // QMR51: 4 interval (read as is, even outside 5 ... 60), 5 country, 6 protocol code, 7 divider.
    const QmrReadBack q = qmrReadBack(bytes({24, 2, 0, 1, 200, 1, 4, 7}) + "Q5123456#");
    EXPECT_EQ(q.intervalSeconds, 200);
    EXPECT_EQ(q.protocolPosition, 1); // country 1, code 4: "4.0 (NL)"
    EXPECT_EQ(q.divider, 7);
}

TEST(ReadBack, ValuesOutsideTheControlsBounds)
{
    struct Rule { const char* name; int shown; int expected; };
    const Rule rules[] = {
        {"divider at the bound is kept", dividerShown(200, 200), 200},
        {"divider above the bound falls back to 1", dividerShown(201, 200), 1},
        {"level below the bound is kept", powerLevelShown(500, 32767), 500},
        {"level just above the bound becomes the bound", powerLevelShown(32768, 32767), 32767},
        {"Export Power > (13) lets the difference reach 32767", powerDiffUpperBound(13, 500), 32767},
        {"any other function bounds the difference by the level", powerDiffUpperBound(12, 500), 500},
        {"difference above its bound is capped", powerDiffShown(800, 500), 500},
        {"32767 is a set difference", powerDiffShown(32767, 32767), 32767},
        {"32768 and up is not set: shown as 100", powerDiffShown(32768, 32767), 100},
        {"0xFFFF is not set either", powerDiffShown(0xFFFF, 32767), 100},
        {"delay within the bound is kept", delayShown(12, 250), 12},
        {"delay above the bound becomes the bound", delayShown(251, 250), 250},
    };
    for (const Rule& r : rules)
        EXPECT_EQ(r.shown, r.expected) << r.name;
}

} // namespace
