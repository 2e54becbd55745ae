#include "device/ReadingsDecoder.h"
#include <algorithm>
#include <bit>

namespace device {

namespace {

constexpr int kFieldBytes = 4;
// The bit pattern of the single-precision 1.0 that marks tariff 1.
constexpr quint32 kTariffOneBits = 0x3F800000u;
// The tariff indicator is read from field 11 (reply bytes 40 ... 43). The readings reply has no
// field of its own for the tariff: its 53 bytes are the status and the thirteen values, all of
// which have a column. So the indicator shares its place with the value shown as "Water"; keep the
// comparison with 1.0 and the country rule if the device's documentation names another place.
constexpr int kTariffField = 11;

quint32 fieldBits(const QByteArray& data, int field)
{
    const int first = kFieldBytes * field;
    quint32 bits = 0;
    for (int i = 0; i < kFieldBytes; ++i)
        bits = (bits << 8) | static_cast<std::uint8_t>(data.at(first + i));
    return bits;
}

} // namespace

float floatFromBits(quint32 bits) { return std::bit_cast<float>(bits); }

Tariff tariffFor(quint32 indicatorBits, bool nederlandSelected, bool belgieSelected)
{
    const bool lowHere = indicatorBits == kTariffOneBits ? nederlandSelected : belgieSelected;
    return lowHere ? Tariff::Low : Tariff::High;
}

TariffCountry tariffCountryOfProtocol(int protocolPosition)
{
    constexpr int kBelgianProtocol = 3;
    return {protocolPosition >= 0 && protocolPosition < kBelgianProtocol, protocolPosition == kBelgianProtocol};
}

ReadingRow decodeReadings(const comlink::Reply& reply, std::optional<device::DeviceKind> kind, bool nederlandSelected,
                          bool belgieSelected, qint64 takenAtMsecs)
{
    ReadingRow row;
    row.takenAtMsecs = takenAtMsecs;
    row.encoding = device::isTikaV2(kind) ? FieldEncoding::UInt32 : FieldEncoding::Float32;
    row.status = reply.status;
    if (row.status != 0)
        return row;

    const int available = static_cast<int>(reply.data.size() / kFieldBytes);
    row.completeFields = static_cast<std::uint8_t>(std::min(available, kReadingFieldCount));
    for (int k = 0; k < row.completeFields; ++k)
        row.fields[static_cast<std::size_t>(k)] = fieldBits(reply.data, k);

    if (row.encoding == FieldEncoding::Float32 && row.completeFields >= kTariffField)
        row.tariff = tariffFor(row.fields[kTariffField - 1], nederlandSelected, belgieSelected);
    return row;
}

} // namespace device
