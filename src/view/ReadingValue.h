#pragma once
#include "device/ReadingRow.h"
#include <optional>

namespace view {

// The number a reading field stands for, in the unit the grid shows it in: watts, watt-hours,
// cubic metres for gas and water (the device counts litres), pulses for the two inputs.
//
// field: 1 ... 13. Nothing when the row holds no values (a status row, a time-out) or the reply
// ended before the field. A TIKA V2 field is exact (a whole number, or litres / 1000 in double
// precision); a QMR51 or TIKA V1 field is the single-precision value the device sent (gas and
// water divided by 1000 in single precision, as the grid does), widened without change.
// Infinity and not-a-number come back as they are.
std::optional<double> readingFieldValue(const device::ReadingRow& row, int field);

// Fields of the quantities the chart and the export speak of by name.
inline constexpr int kImportPowerField = 1;
inline constexpr int kExportPowerField = 5;
inline constexpr int kGasField = 9;
inline constexpr int kInput1Field = 12;
inline constexpr int kInput2Field = 13;

} // namespace view
