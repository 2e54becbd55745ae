#include "Bytes.h"
#include "view/ReadingsDecoder.h"
#include <gtest/gtest.h>

using fakes::bytes;

using namespace view;

namespace {

// Fields come most significant byte first: the tariff indicator (field 11, result bytes 42 ... 45
// after the status) is only found where and as the device sends it.
QByteArray fullReply(quint32 tariffBits)
{
    const auto byte = [tariffBits](int shift) { return int(tariffBits >> shift & 0xFF); };
    return bytes({0}) + QByteArray(40, '\x44') + bytes({byte(24), byte(16), byte(8), byte(0)}) + QByteArray(8, '\x44') + "#";
}

// An indicator of 1.0 is the low tariff in the Netherlands, any other value in Belgium; a TIKA V2
// sends no indicator.
TEST(DecodeReadings, TariffByIndicatorAndCountry)
{
    struct Case { device::DeviceKind kind; quint32 indicator; bool nl; bool be; Tariff expected; };
    const Case cases[] = {
        {device::DeviceKind::Qmr51, 0x3F800000, true, false, Tariff::Low},
        {device::DeviceKind::Qmr51, 0x3F800000, false, true, Tariff::High},
        {device::DeviceKind::TikaV1, 0x40000000, true, false, Tariff::High},
        {device::DeviceKind::TikaV1, 0x40000000, false, true, Tariff::Low},
        {device::DeviceKind::Qmr51, 0x3F800000, false, false, Tariff::High},
        {device::DeviceKind::TikaV2, 0x3F800000, true, false, Tariff::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(decodeReadings(fakes::replyOf(fullReply(c.indicator)), c.kind, c.nl, c.be, 0).tariff, c.expected)
            << std::hex << c.indicator << " NL " << c.nl << " BE " << c.be;
}

// A short reply keeps the fields it holds in full, and a tariff only with field 11 complete. Only a
// TIKA V2 sends whole numbers.
TEST(DecodeReadings, AShortReplyKeepsOnlyCompleteFields)
{
    struct Short { int length; int fields; bool tariff; };
    for (const Short s : {Short{4, 0, false}, {5, 1, false}, {44, 10, false}, {45, 11, true}, {54, 13, true}}) {
        const ReadingRow row = decodeReadings(fakes::replyOf(fullReply(0x3F800000).left(s.length)),
                                              device::DeviceKind::Qmr51, true, false, 1234);
        EXPECT_EQ(row.completeFields, s.fields) << "length " << s.length;
        EXPECT_EQ(row.tariff, s.tariff ? Tariff::Low : Tariff::None) << "length " << s.length;
        EXPECT_EQ(row.encoding, FieldEncoding::Float32);
        EXPECT_EQ(row.takenAtMsecs, 1234);
    }
    EXPECT_EQ(decodeReadings(fakes::replyOf(fullReply(0)), device::DeviceKind::TikaV2, true, false, 0).encoding,
              FieldEncoding::UInt32);
}

} // namespace
