#pragma once
#include "view/GridColumns.h"
#include "device/ReadingRow.h"
#include <QLocale>
#include <QString>
#include <QStringList>

namespace view {

// Cell texts of the readings grid, made from a stored row in the user's locale.
//
// Columns: 0 date, 1 time, 2/7/12/14/17/19 separators (always empty), 3 import power (or the
// module's status text), 4/5 import high/low, 6 import difference, 8 export power, 9/10 export
// high/low, 11 export difference, 13 tariff, 15 gas, 16 gas difference, 18 water, 20/21 the two
// pulse inputs. A column outside 0 ... 21, or a value the reply did not hold in full, is empty.
//
// Values: a TIKA V2 sends whole numbers, shown in full (gas and water in litres, shown as m³ with
// three decimals at most); the QMR51 and TIKA V1 send single-precision numbers, shown with at most
// 7 significant digits (larger or tiny magnitudes in exponent form, "1,234568E+07"). Numbers use
// the locale's decimal separator and no digit grouping. Infinity and not-a-number show as "inf",
// "-inf" and "NaN" without a unit: they are no quantity of the meter.
inline constexpr int kReadingColumnCount = kGridColumns;

QString readingCellText(const device::ReadingRow& row, int column, const QLocale& locale);

// The field (1 ... 13) whose value a column shows; 0 for every other column (date, time,
// separators, tariff).
int readingFieldOfColumn(int column);

// The locale's long time format (with seconds) without its time-zone name: "HH:mm:ss t" becomes
// "HH:mm:ss", "h:mm:ss AP t" "h:mm:ss AP". The readings are local times; the zone adds nothing.
QString longTimeFormatWithoutZone(const QLocale& locale);

// Texts the Date and Time columns may show in this locale, among them the widest: the 28th of
// every month, and every hour at 58 minutes 58 seconds (a 12-hour clock names AM and PM).
QStringList dateTextSamples(const QLocale& locale);
QStringList timeTextSamples(const QLocale& locale);

} // namespace view
