#include "Bytes.h"
#include "device/Identification.h"
#include <gtest/gtest.h>

using fakes::bytes;

namespace {


// A successful result of `length` bytes: status 0, version 24.2.0.1, then 0x55 filler; `serial` is
// written from result index `serialIndex` on, cut off at the result's end.
QByteArray result(int length, int serialIndex = 0, const QByteArray& serial = {})
{
    QByteArray r = bytes({0, 24, 2, 0, 1}) + QByteArray(qMax(0, length - 5), '\x55');
    r.truncate(length);
    for (int i = 0; i < serial.size() && serialIndex + i < length; ++i)
        r[serialIndex + i] = serial[i];
    return r;
}

struct IdCase {
    const char* name;
    QByteArray reply;
    bool found;
    const char* type;
    QByteArray serial;
};

class Identify : public ::testing::TestWithParam<IdCase> {};

TEST_P(Identify, TellsKindAndSerialFromTheAnswersLength)
{
    const IdCase& c = GetParam();
    const device::Identification id = device::identifyDevice(c.reply);
    EXPECT_EQ(id.deviceFound, c.found);
    EXPECT_EQ(id.serial.toHex(' '), c.serial.toHex(' '));
    if (c.found) {
        EXPECT_EQ(device::displayName(id.kind), QString::fromLatin1(c.type));
        const std::array<std::uint8_t, 4> v2401{24, 2, 0, 1};
        EXPECT_EQ(id.fwVersion, v2401);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, Identify,
    ::testing::Values(
        IdCase{"time_out", bytes({252}), false, "", {}},
        IdCase{"wrong_end_character", bytes({251}), false, "", {}},
        IdCase{"non_zero_status_on_a_long_reply", bytes({255}) + result(40).mid(1), false, "", {}},
        IdCase{"empty_result", {}, false, "", {}},
        IdCase{"three_data_bytes", result(5), false, "", {}},
        IdCase{"version_only", result(6), false, "", {}},
        IdCase{"one_settings_byte_short_of_a_QMR51", result(9), false, "", {}},
        IdCase{"QMR51_settings_without_serial", result(10), true, "QMR51", {}},
        IdCase{"twelve_bytes_still_no_serial", result(12, 9, "ABC"), true, "QMR51", {}},
        IdCase{"thirteen_bytes_start_the_serial", result(13, 9, "Q5123456"), true, "QMR51", "Q512"},
        IdCase{"complete_QMR51_answer_with_hash", result(17, 9, "Q5123456") + "#", true, "QMR51", "Q5123456"},
        IdCase{"twenty_five_bytes_QMR51", result(25, 9, "Q5123456"), true, "QMR51", "Q5123456"},
        IdCase{"twenty_six_bytes_TIKA_seven_serial_bytes", result(26, 19, "22M01234"), true, "TIKA V2", "22M0123"},
        IdCase{"TIKA_V2_answer", result(27, 19, "22M01234") + "#", true, "TIKA V2", "22M01234"},
        IdCase{"TIKA_with_delays_and_trailing_bytes", result(33, 19, "22M01234") + "#\x01\x02", true, "TIKA V2",
               "22M01234"},
        IdCase{"lower_case_m_is_a_V1", result(28, 19, "22m01234"), true, "TIKA V1", "22m01234"},
        IdCase{"another_year_is_a_V1", result(28, 19, "21M01234"), true, "TIKA V1", "21M01234"},
        IdCase{"serial_bytes_kept_as_sent", result(28, 19, bytes({0, 0xFF, '#', 0x80, 'A', 0, 1, 2})), true,
               "TIKA V1", bytes({0, 0xFF, '#', 0x80, 'A', 0, 1, 2})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Identify, VersionBytesComeFromTheFirstFourDataBytes)
{
    const device::Identification id = device::identifyDevice(bytes({0, 3, 255, 0, 7, 5, 1, 4, 10, 35}));
    ASSERT_TRUE(id.deviceFound);
    const std::array<std::uint8_t, 4> expected{3, 255, 0, 7};
    EXPECT_EQ(id.fwVersion, expected);
}

} // namespace
