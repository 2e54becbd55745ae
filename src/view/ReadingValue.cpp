#include "view/ReadingValue.h"
#include "device/ReadingsDecoder.h"

namespace view {

namespace {
// Gas and water (fields 9 ... 11) come in litres.
constexpr int kFirstVolumeField = 9;
constexpr int kLastVolumeField = 11;
} // namespace

std::optional<double> readingFieldValue(const device::ReadingRow& row, int field)
{
    if (row.status != 0 || field < 1 || field > row.completeFields)
        return std::nullopt;
    const quint32 bits = row.fields[static_cast<std::size_t>(field - 1)];
    const bool volume = field >= kFirstVolumeField && field <= kLastVolumeField;
    if (row.encoding == device::FieldEncoding::UInt32)
        return volume ? bits / 1000.0 : static_cast<double>(bits);
    const float value = device::floatFromBits(bits);
    return volume ? static_cast<double>(value / 1000.0f) : static_cast<double>(value);
}

} // namespace view
