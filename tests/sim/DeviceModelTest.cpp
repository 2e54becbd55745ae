#include "Bytes.h"
#include "sim/DeviceModel.h"
#include <gtest/gtest.h>

using fakes::bytes;

using sim::DeviceKind;
using sim::DeviceModel;
using sim::DeviceProfile;

namespace {


// The device's whole answer to one request frame, or "(none)".
QByteArray ask(DeviceModel& device, const QByteArray& frame)
{
    const QList<DeviceModel::Answer> answers = device.receive(frame);
    if (answers.size() != 1)
        return "(none)";
    return answers.front().bytes;
}

struct IdentityCase {
    const char* name;
    DeviceKind kind;
    std::optional<bool> reportDelays;
    QByteArray expected;
};

class Identification : public ::testing::TestWithParam<IdentityCase> {};

TEST_P(Identification, AnswersInTheLayoutOfItsKind)
{
    DeviceProfile profile = DeviceProfile::defaults(GetParam().kind);
    profile.reportDelays = GetParam().reportDelays;
    DeviceModel device(profile);
    EXPECT_EQ(ask(device, "*V#").toHex(' '), GetParam().expected.toHex(' '));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Identification,
    ::testing::Values(
        IdentityCase{"qmr51_16_bytes", DeviceKind::Qmr51, std::nullopt,
                     bytes({42, 87, 16, 2, 1, 0, 5, 10, 1, 5, 1, '5', '1', '0', '0', '0', '0', '4', '2', 35})},
        IdentityCase{"tika1_on_24_1_26_bytes_without_delays", DeviceKind::TikaV1, std::nullopt,
                     bytes({42, 87, 26, 24, 1, 0, 3, 5, 1, 1, 2, 0, 13, 0x05, 0xDC, 0x00, 0xC8, 0x07, 0xD0, 0x01,
                            0xF4, '2', '1', 'T', '0', '0', '0', '4', '2', 35})},
        IdentityCase{"tika1_told_to_report_delays_32_bytes", DeviceKind::TikaV1, true,
                     bytes({42, 87, 32, 24, 1, 0, 3, 5, 1, 1, 2, 0, 13, 0x05, 0xDC, 0x00, 0xC8, 0x07, 0xD0, 0x01,
                            0xF4, '2', '1', 'T', '0', '0', '0', '4', '2', 5, 5, 10, 10, 0, 0, 35})},
        IdentityCase{"tika2_on_25_with_delays_32_bytes", DeviceKind::TikaV2, std::nullopt,
                     bytes({42, 87, 32, 25, 0, 1, 2, 5, 1, 1, 2, 0, 13, 0x05, 0xDC, 0x00, 0xC8, 0x07, 0xD0, 0x01,
                            0xF4, '2', '2', 'M', '0', '1', '2', '3', '4', 5, 5, 10, 10, 0, 0, 35})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Readings, Qmr51SendsThirteenBigEndianFloats)
{
    DeviceProfile profile = DeviceProfile::defaults(DeviceKind::Qmr51);
    profile.readings = {1000.0, 1.0, -2.5};
    DeviceModel device(profile);
    const QByteArray answer = ask(device, "*@#");
    ASSERT_EQ(answer.size(), 3 + 52 + 1);
    EXPECT_EQ(answer.left(15).toHex(' '), bytes({42, 65, 52, 0x44, 0x7A, 0, 0, 0x3F, 0x80, 0, 0, 0xC0, 0x20, 0, 0}).toHex(' '));
    EXPECT_EQ(answer.mid(15, 40), QByteArray(40, '\0'));
    EXPECT_EQ(answer.back(), '#');
}

TEST(Readings, TikaSendsItsStatusFirst)
{
    DeviceProfile profile = DeviceProfile::defaults(DeviceKind::TikaV1);
    profile.readings = {1000.0};
    profile.readingsStatus = 2;
    DeviceModel device(profile);
    const QByteArray answer = ask(device, "*@#");
    ASSERT_EQ(answer.size(), 3 + 53 + 1);
    EXPECT_EQ(answer.left(8).toHex(' '), bytes({42, 65, 53, 2, 0x44, 0x7A, 0, 0}).toHex(' '));
}

TEST(Readings, TikaV2SendsWholeNumbersHeldToTheirRange)
{
    DeviceProfile profile = DeviceProfile::defaults(DeviceKind::TikaV2);
    profile.readings = {4294967295.0, -5.0, 1e12, 2.5, 0, 0, 0, 0, 12345.0};
    DeviceModel device(profile);
    const QByteArray answer = ask(device, "*@#");
    ASSERT_EQ(answer.size(), 3 + 53 + 1);
    EXPECT_EQ(answer.mid(3, 17).toHex(' '),
              bytes({0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 3}).toHex(' '));
    EXPECT_EQ(answer.mid(3 + 33, 4).toHex(' '), bytes({0, 0, 0x30, 0x39}).toHex(' '));
}

struct SettingsCase {
    const char* name;
    DeviceKind kind;
    sim::FirmwareVersion firmware;
    int payloadLength;
};

class SettingsRecord : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(SettingsRecord, IsTakenOnlyInTheLengthItsFirmwareExpects)
{
    const SettingsCase& c = GetParam();
    DeviceProfile profile = DeviceProfile::defaults(c.kind);
    profile.firmware = c.firmware;
    const QByteArray before = profile.settings;

    QByteArray payload;
    for (int i = 1; i <= c.payloadLength; ++i)
        payload.append(static_cast<char>(i + 100));

    DeviceModel shortOne(profile);
    EXPECT_EQ(ask(shortOne, "*B" + payload.chopped(1) + "#"), "(none)");
    EXPECT_TRUE(shortOne.hasPartialRequest()) << "still waiting for the rest";

    DeviceModel device(profile);
    EXPECT_EQ(ask(device, "*B" + payload + "#"), "*U#");
    // The record replaces the settings it covers; a 14-byte record leaves the delays alone.
    EXPECT_EQ(device.profile().settings, payload + before.mid(c.payloadLength));
}

INSTANTIATE_TEST_SUITE_P(
    Firmware, SettingsRecord,
    ::testing::Values(SettingsCase{"qmr51_4", DeviceKind::Qmr51, {2, 1, 0, 5}, 4},
                      SettingsCase{"tika_24_1_takes_14", DeviceKind::TikaV1, {24, 1, 0, 3}, 14},
                      SettingsCase{"tika_24_0_takes_18", DeviceKind::TikaV1, {24, 0, 9, 9}, 18},
                      SettingsCase{"tika_24_2_takes_18", DeviceKind::TikaV1, {24, 2, 0, 0}, 18},
                      SettingsCase{"tika_23_9_takes_14", DeviceKind::TikaV2, {23, 9, 0, 0}, 14},
                      SettingsCase{"tika_25_1_takes_18", DeviceKind::TikaV2, {25, 1, 0, 0}, 18}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DebugLog, LongReplyWithTwoByteLength)
{
    DeviceProfile profile = DeviceProfile::defaults(DeviceKind::Qmr51);
    profile.debugLog = QByteArray(1535, 'L');
    DeviceModel device(profile);
    EXPECT_EQ(ask(device, "*D#"), bytes({42, 69, 5, 255}) + QByteArray(1535, 'L') + "#");

    device.profile().debugLog = "ok";
    EXPECT_EQ(ask(device, "*D#"), bytes({42, 69, 0, 2, 'o', 'k', 35}));
    device.profile().debugStatus = 3;
    EXPECT_EQ(ask(device, "*D#"), bytes({42, 69, 0, 1, 3, 35}));
}

TEST(DebugLog, OverlongAnnouncesHighByteSix)
{
    DeviceModel device(DeviceProfile::defaults(DeviceKind::TikaV2));
    sim::Misbehaviour m;
    m.overlongDebugLog = true;
    device.misbehaviour() = m;
    const QByteArray answer = ask(device, "*D#");
    EXPECT_EQ(answer.left(4), bytes({42, 69, 6, 0}));
    EXPECT_EQ(answer.size(), 4 + 1536 + 1);
}

TEST(Counters, PresetIsAnsweredWithItsValueBytes)
{
    DeviceModel device(DeviceProfile::defaults(DeviceKind::TikaV2));
    EXPECT_EQ(ask(device, bytes({42, 133, 0, 0, 1, 2, 133, 35})), bytes({42, 134, 4, 0, 0, 1, 2, 35}));
    EXPECT_EQ(ask(device, bytes({42, 134, 0x7F, 0xFF, 0xFF, 0xFF, 134, 35})), bytes({42, 135, 4, 0x7F, 0xFF, 0xFF, 0xFF, 35}));
}

TEST(Firmware, BlocksAndClosingFrameAreAcknowledgedAndTheNewVersionRuns)
{
    DeviceModel device(DeviceProfile::defaults(DeviceKind::Qmr51));
    // One block of 0xA5 with its frame CRC, then the closing frame for a one-block image.
    const QByteArray block = bytes({0, 0, 0, 0x80}) + QByteArray(128, char(0xA5)) + bytes({0x9B, 0x06});
    EXPECT_EQ(ask(device, "*" + bytes({208}) + block + "#"), "*U#");
    EXPECT_EQ(device.firmware().blocks().value(0), QByteArray(128, char(0xA5)));

    const QByteArray closing = bytes({0, 1, 0, 6, 1, 2, 3, 4, 0xE2, 0xB8, 0xAD, 0xC1});
    EXPECT_EQ(ask(device, "*" + bytes({210}) + closing + "#"), "*U#");
    EXPECT_EQ(device.firmware().announcedBlockCount(), 1);
    EXPECT_EQ(ask(device, "*V#").mid(3, 4), bytes({1, 2, 3, 4}));
}

TEST(Misbehaviour, RefusedFramesAreAnsweredWithXAndNotTaken)
{
    DeviceModel device(DeviceProfile::defaults(DeviceKind::Qmr51));
    sim::Misbehaviour m;
    m.refuseAcknowledgement = true;
    device.misbehaviour() = m;
    EXPECT_EQ(ask(device, bytes({42, 66, 60, 2, 5, 9, 35})), "*X#");
    EXPECT_EQ(device.profile().settings, bytes({10, 1, 5, 1}));
    EXPECT_EQ(ask(device, "*" + bytes({208}) + QByteArray(134, '\0') + "#"), "*X#");
    EXPECT_EQ(ask(device, "*" + bytes({210}) + bytes({0, 1, 0, 6, 9, 9, 9, 9, 0, 0, 0, 0}) + "#"), "*X#");
    EXPECT_EQ(device.profile().firmware, (sim::FirmwareVersion{2, 1, 0, 5}));
}

TEST(Misbehaviour, WrongEndStrayBytesAndSilence)
{
    DeviceModel device(DeviceProfile::defaults(DeviceKind::Qmr51));
    device.profile().debugLog = "x";
    sim::Misbehaviour m;
    m.wrongEndByte = true;
    device.misbehaviour() = m;
    EXPECT_EQ(ask(device, "*V#").back(), '$');
    EXPECT_EQ(ask(device, "*D#"), bytes({42, 69, 0, 1, 'x', '$'}));
    EXPECT_EQ(ask(device, bytes({42, 66, 10, 1, 5, 1, 35})), "*U#") << "an acknowledgement has no end byte to spoil";

    m = {};
    m.strayBytes = bytes({0, 0xFF});
    device.misbehaviour() = m;
    EXPECT_EQ(ask(device, bytes({42, 66, 10, 1, 5, 1, 35})), bytes({0, 0xFF, 42, 85, 35}));

    m = {};
    m.silent = true;
    device.misbehaviour() = m;
    const QList<DeviceModel::Answer> answers = device.receive("*V#");
    ASSERT_EQ(answers.size(), 1) << "the request is still seen";
    EXPECT_EQ(answers.front().request.command, 86);
    EXPECT_TRUE(answers.front().bytes.isEmpty());
}

TEST(Requests, AnUnknownCommandGetsNoAnswer)
{
    DeviceModel device(DeviceProfile::defaults(DeviceKind::Qmr51));
    EXPECT_TRUE(device.receive("*A#").isEmpty());
    EXPECT_EQ(ask(device, "*V#").left(2), "*W");
}

} // namespace
