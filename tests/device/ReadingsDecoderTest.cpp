// How a readings reply becomes a row: the tariff it names and how its fields are read. What holds
// for any reply fuzz/fuzz_readings.cpp checks as properties.
#include "Bytes.h"
#include "QtPrinters.h"
#include "device/ReadingsDecoder.h"
#include <gtest/gtest.h>

namespace {

// An indicator of 1.0 is the low tariff in the Netherlands, any other value in Belgium; a TIKA V2
// sends no indicator, and a reply cut before the indicator (field 11, bytes 42 ... 45 after the
// status, most significant first) has no tariff.
TEST(DecodeReadings, TariffByIndicatorAndCountry)
{
    struct Case { device::DeviceKind kind; quint32 indicator; bool nl, be; device::Tariff expected; int length = 54; };
    const Case cases[] = {
        {device::DeviceKind::Qmr51, 0x3F800000, true, false, device::Tariff::Low},
        {device::DeviceKind::Qmr51, 0x3F800000, false, true, device::Tariff::High},
        {device::DeviceKind::TikaV1, 0x40000000, true, false, device::Tariff::High},
        {device::DeviceKind::TikaV1, 0x40000000, false, true, device::Tariff::Low},
        {device::DeviceKind::Qmr51, 0x3F800000, false, false, device::Tariff::High},
        {device::DeviceKind::TikaV2, 0x3F800000, true, false, device::Tariff::None},
        {device::DeviceKind::Qmr51, 0x3F800000, true, false, device::Tariff::None, 44},
        {device::DeviceKind::Qmr51, 0x3F800000, true, false, device::Tariff::Low, 45},
    };
    for (const Case& c : cases) {
        const auto byte = [&c](int shift) { return int(c.indicator >> shift & 0xFF); };
        const QByteArray reply = fakes::bytes({0}) + QByteArray(40, '\x44') + fakes::bytes({byte(24), byte(16), byte(8), byte(0)})
                                 + QByteArray(8, '\x44') + "#";
        const device::ReadingRow row = device::decodeReadings(fakes::replyOf(reply.left(c.length)), c.kind, c.nl, c.be, 0);
        EXPECT_EQ(row.tariff, c.expected) << std::hex << c.indicator << " NL " << c.nl << " BE " << c.be << " length " << std::dec << c.length;
        EXPECT_EQ(row.encoding, c.kind == device::DeviceKind::TikaV2 ? device::FieldEncoding::UInt32 : device::FieldEncoding::Float32);
    }
}

} // namespace
