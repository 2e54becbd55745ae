#include "Bytes.h"
#include "view/ReadingsDecoder.h"
#include <gtest/gtest.h>

using fakes::bytes;

using namespace view;

namespace {


// Status 0 and thirteen fields; field k holds the bytes k, k+16, k+32, k+48 unless `tariff` is set,
// which goes to bytes 42 ... 45. The exchange leaves the '#' behind the data.
QByteArray fullReply(quint32 tariffBits = 0x00000000)
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
    const ReadingRow row = decodeReadings(fullReply(0x3F800000), device::DeviceKind::Qmr51, true, false, 1234);
    EXPECT_EQ(row.status, 0);
    EXPECT_EQ(row.completeFields, 13);
    EXPECT_EQ(row.takenAtMsecs, 1234);
    EXPECT_EQ(row.fields[0], 0x01112131u);
    EXPECT_EQ(row.fields[9], 0x0A1A2A3Au);
    EXPECT_EQ(row.fields[10], 0x3F800000u);
    EXPECT_EQ(row.fields[12], 0x0D1D2D3Du);
    EXPECT_EQ(row.encoding, FieldEncoding::Float32);
    EXPECT_EQ(decodeReadings(fullReply(), device::DeviceKind::TikaV2, true, false, 0).encoding, FieldEncoding::UInt32);
}

struct TariffCase {
    const char* deviceType;
    quint32 indicator;
    bool nederland;
    bool belgie;
    Tariff expected;
};

TEST(DecodeReadings, TariffByIndicatorAndCountry)
{
    const TariffCase cases[] = {
        {"QMR51", 0x3F800000, true, false, Tariff::Low},   {"QMR51", 0x3F800000, false, true, Tariff::High},
        {"QMR51", 0x40000000, true, false, Tariff::High},  {"QMR51", 0x40000000, false, true, Tariff::Low},
        {"QMR51", 0x3F800000, false, false, Tariff::High}, {"QMR51", 0x40000000, false, false, Tariff::High},
        {"TIKA V1", 0x3F800000, true, false, Tariff::Low}, {"TIKA V1", 0x3F800001, true, false, Tariff::High},
        {"TIKA V1", 0x00000000, false, true, Tariff::Low}, {"TIKA V2", 0x3F800000, true, false, Tariff::None},
        {"TIKA V2", 0x40000000, false, true, Tariff::None},
    };
    for (const TariffCase& c : cases) {
        EXPECT_EQ(decodeReadings(fullReply(c.indicator), device::kindNamed(QString::fromLatin1(c.deviceType)), c.nederland, c.belgie, 0).tariff, c.expected)
            << c.deviceType << " " << std::hex << c.indicator << " NL " << c.nederland << " BE " << c.belgie;
    }
}

TEST(DecodeReadings, AStatusOtherThanZeroCarriesNoValues)
{
    for (int status : {1, 2, 3, 7, 250, 251, 252, 255}) {
        QByteArray reply = fullReply(0x3F800000);
        reply[0] = static_cast<char>(status);
        const ReadingRow row = decodeReadings(reply, device::DeviceKind::TikaV1, true, false, 0);
        EXPECT_EQ(row.status, status);
        EXPECT_EQ(row.completeFields, 0) << status;
        EXPECT_EQ(row.tariff, Tariff::None) << status;
    }
    EXPECT_EQ(decodeReadings(bytes({252}), device::DeviceKind::Qmr51, true, false, 0).status, 252);
    EXPECT_EQ(decodeReadings(QByteArray(), device::DeviceKind::Qmr51, true, false, 0).status, 252); // never valid
}

TEST(DecodeReadings, AShortReplyKeepsOnlyCompleteFields)
{
    // result length -> complete fields, tariff present (field 11 = bytes 42 ... 45)
    struct Short { int length; int fields; bool tariff; };
    for (const Short s : {Short{1, 0, false}, {4, 0, false}, {5, 1, false}, {8, 1, false}, {44, 10, false},
                          {45, 11, true}, {53, 13, true}, {54, 13, true}}) {
        const ReadingRow row = decodeReadings(fullReply(0x3F800000).left(s.length), device::DeviceKind::Qmr51, true, false, 0);
        EXPECT_EQ(row.status, 0);
        EXPECT_EQ(row.completeFields, s.fields) << "length " << s.length;
        EXPECT_EQ(row.tariff, s.tariff ? Tariff::Low : Tariff::None) << "length " << s.length;
        for (int k = row.completeFields; k < 13; ++k)
            EXPECT_EQ(row.fields[static_cast<std::size_t>(k)], 0u) << "field " << k + 1;
    }
}

} // namespace
