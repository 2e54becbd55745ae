#include "Bytes.h"
#include "device/SettingsRecord.h"
#include <gtest/gtest.h>
#include <tuple>

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

// The QMR51 payload goes out in SessionTest; a TIKA's, with the delays only for firmware that takes
// them (not the 24.1 line).
TEST(Payloads, TikaLayoutWithAndWithoutDelays)
{
    const SettingsRecord s{.protocolPosition = 4 /* "DK" */, .modbusAddress = 17, .divider = {10, 20}, .outputFunction = {12, 13},
                           .powerLevelW = {1000, 513}, .powerDiffW = {300, 32767}, .delayMinutes = {1, 2, 250, 4}};
    const QByteArray base = bytes({7, 17, 10, 20, 12, 13, 3, 232, 1, 44, 2, 1, 0x7F, 0xFF});
    EXPECT_EQ(settingsPayload(s, DeviceKind::TikaV1, {24, 1, 0, 0}).toHex(' '), base.toHex(' '));
    EXPECT_EQ(settingsPayload(s, DeviceKind::TikaV2, {24, 2, 0, 1}).toHex(' '), (base + bytes({1, 2, 250, 4})).toHex(' '));
}

// ---- Read-back from the identification answer (command 86) ----

// A TIKA answer as the device lays it out (reply bytes from 0):
//  0-3 version, 4 protocol code, 5 Modbus address, 6-7 divider Out 1 / Out 2,
//  8-9 function Out 1 / Out 2, 10-11 level Out 1, 12-13 difference Out 1, 14-15 level Out 2,
//  16-17 difference Out 2 (high byte first), 18-25 serial; firmware with delays adds
//  26-29 delay on / off of Out 1, on / off of Out 2 and two bytes the tool leaves alone; '#' last.
// Every field holds a value of its own, so a read one position off shows.
QByteArray tikaAnswer()
{
    return bytes({24, 2, 0, 1, 7, 5, 3, 201, 13, 14, 0x01, 0xF4, 0xFF, 0xFF, 0x7F, 0xFF, 0x80, 0x00}) + "22M01234" +
           bytes({11, 12, 251, 9, 0x99, 0x98}) + "#";
}

// The read-back rules as the window applies them are pinned in ReadBackRecordTest; here the field
// positions and the length that says whether the answer carries the delays.
TEST(ReadBack, FieldPositionsOfBothOutputsAndTheDelayLength)
{
    ASSERT_EQ(tikaAnswer().size(), kTikaDelaysMinReplyLength);
    struct Out { const char* name; QByteArray result; int output; TikaOutputBytes expected; };
    const Out outs[] = {
        {"Out 1, with delays", tikaAnswer(), 0, {13, 3, 500, 0xFFFF, true, 11, 12}},
        {"Out 2, with delays", tikaAnswer(), 1, {14, 201, 0x7FFF, 0x8000, true, 251, 9}},
        // The delay bytes are all there, but an answer one byte short of 33 is not one with delays.
        {"one byte short of the delay length", tikaAnswer().left(31) + "#", 0, {13, 3, 500, 0xFFFF, false, 0, 0}},
    };
    const auto fields = [](const TikaOutputBytes& o) {
        return std::tuple(o.function, o.divider, o.powerLevelW, o.powerDiffW, o.hasDelays, o.delayOnMinutes, o.delayOffMinutes);
    };
    for (const Out& o : outs)
        EXPECT_EQ(fields(tikaOutputBytes(o.result, o.output)), fields(o.expected)) << o.name;
    EXPECT_EQ(tikaProtocolPositionOf(tikaAnswer()), 4); // code 7: "DK"
    EXPECT_EQ(tikaModbusAddress(tikaAnswer()), 5);
}

// What ReadBackRecordTest does not reach: the edges, and the difference "Export Power >" allows.
TEST(ReadBack, ValuesAtTheControlsBounds)
{
    EXPECT_EQ(dividerShown(200, 200), 200);           // a divider at the bound is kept
    EXPECT_EQ(powerDiffUpperBound(13, 500), 32767);   // "Export Power >": the difference may pass the level
    EXPECT_EQ(powerDiffShown(32767, 32767), 32767);   // 32767 is a set difference, 32768 is not
}

} // namespace
