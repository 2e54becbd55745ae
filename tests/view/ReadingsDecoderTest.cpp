#include "Bytes.h"
#include "view/ReadingsDecoder.h"
#include <gtest/gtest.h>

using fakes::bytes;

using namespace view;

namespace {

// Status 0 and thirteen fields; field k holds the bytes k, k+16, k+32, k+48 except the tariff
// indicator, field 11 (result bytes 42 ... 45, the status being byte 1). The exchange leaves the
// '#' behind the data.
QByteArray fullReply(quint32 tariffBits)
{
    QByteArray r = bytes({0});
    for (int k = 1; k <= 13; ++k)
        r += bytes({k, k + 16, k + 32, k + 48});
    for (int i = 0; i < 4; ++i)
        r[41 + i] = static_cast<char>(tariffBits >> (24 - 8 * i));
    return r + "#";
}

TEST(DecodeReadings, FieldsAreReadMostSignificantByteFirst)
{
    const ReadingRow row = decodeReadings(fakes::replyOf(fullReply(0x3F800000)), device::DeviceKind::Qmr51, true, false, 1234);
    EXPECT_EQ(row.status, 0);
    EXPECT_EQ(row.completeFields, 13);
    EXPECT_EQ(row.takenAtMsecs, 1234);
    EXPECT_EQ(row.fields[0], 0x01112131u);
    EXPECT_EQ(row.fields[10], 0x3F800000u);
    EXPECT_EQ(row.fields[12], 0x0D1D2D3Du);
    EXPECT_EQ(row.encoding, FieldEncoding::Float32);
    EXPECT_EQ(decodeReadings(fakes::replyOf(fullReply(0)), device::DeviceKind::TikaV2, true, false, 0).encoding, FieldEncoding::UInt32);
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

TEST(DecodeReadings, AStatusRowCarriesNoValuesAndAShortReplyOnlyCompleteFields)
{
    for (int status : {1, 252, 255}) {
        QByteArray reply = fullReply(0x3F800000);
        reply[0] = static_cast<char>(status);
        const ReadingRow row = decodeReadings(fakes::replyOf(reply), device::DeviceKind::TikaV1, true, false, 0);
        EXPECT_EQ(row.status, status);
        EXPECT_EQ(row.completeFields, 0) << status;
        EXPECT_EQ(row.tariff, Tariff::None) << status;
    }

    // result length -> complete fields, tariff present (field 11 complete)
    struct Short { int length; int fields; bool tariff; };
    for (const Short s : {Short{4, 0, false}, {5, 1, false}, {44, 10, false}, {45, 11, true}, {54, 13, true}}) {
        const ReadingRow row = decodeReadings(fakes::replyOf(fullReply(0x3F800000).left(s.length)), device::DeviceKind::Qmr51, true, false, 0);
        EXPECT_EQ(row.completeFields, s.fields) << "length " << s.length;
        EXPECT_EQ(row.tariff, s.tariff ? Tariff::Low : Tariff::None) << "length " << s.length;
        for (int k = row.completeFields; k < 13; ++k)
            EXPECT_EQ(row.fields[static_cast<std::size_t>(k)], 0u) << "field " << k + 1;
    }
}

} // namespace
