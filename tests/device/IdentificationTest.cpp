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

// The kind and serial follow from the answer's length: a QMR51 answers 10 ... 25 bytes (serial from
// byte 9 once there are 13), a TIKA 26 or more (serial from byte 19; "22M" is a V2).
TEST(Identify, KindAndSerialFromTheAnswersLength)
{
    struct Case {
        const char* name;
        QByteArray reply;
        const char* kind; // "" = no device
        QByteArray serial;
    };
    const Case cases[] = {
        {"time-out", bytes({252}), "", {}},
        {"non-zero status on a long reply", bytes({255}) + result(40).mid(1), "", {}},
        {"one byte short of a QMR51", result(9), "", {}},
        {"QMR51 without serial", result(10), "QMR51", {}},
        {"twelve bytes still no serial", result(12, 9, "ABC"), "QMR51", {}},
        {"thirteen bytes start the serial", result(13, 9, "Q5123456"), "QMR51", "Q512"},
        {"longest QMR51", result(25, 9, "Q5123456"), "QMR51", "Q5123456"},
        {"shortest TIKA, seven serial bytes", result(26, 19, "22M01234"), "TIKA V2", "22M0123"},
        {"TIKA V2 with delays", result(33, 19, "22M01234") + "#", "TIKA V2", "22M01234"},
        {"lower-case m is a V1", result(28, 19, "22m01234"), "TIKA V1", "22m01234"},
        {"another year is a V1", result(28, 19, "21M01234"), "TIKA V1", "21M01234"},
    };
    const std::array<std::uint8_t, 4> v2401{24, 2, 0, 1};
    for (const Case& c : cases) {
        const device::Identification id = device::identifyDevice(fakes::replyOf(c.reply));
        EXPECT_EQ(id.deviceFound, *c.kind != '\0') << c.name;
        EXPECT_EQ(id.serial.toHex(' '), c.serial.toHex(' ')) << c.name;
        if (id.deviceFound) {
            EXPECT_EQ(device::displayName(id.kind), QString::fromLatin1(c.kind)) << c.name;
            EXPECT_EQ(id.fwVersion, v2401) << c.name;
        }
    }
}

} // namespace
