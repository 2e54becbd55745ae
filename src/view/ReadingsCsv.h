#pragma once
#include "view/ReadingsTable.h"
#include <QByteArray>
#include <QList>
#include <QString>

namespace view {

// The readings log as a CSV file (RFC 4180) that a spreadsheet and Python's csv module read as it
// is: plain ASCII (so no reader has to guess a character set; cubic metres are "m3"), comma
// separated, CR LF line ends, a field quoted only when it holds a comma, a quote or a line break.
//
// Columns: "Time", the local date and time of the reading in ISO 8601 ("2026-12-06T10:00:00",
// which LibreOffice takes for a date and Python's datetime.fromisoformat reads); "UTC offset" of
// that local time ("+01:00"; the two joined are an exact moment); "Status", the module's status
// text ("??? P1 busy") or empty; then one column per shown quantity, in grid order, named with its
// group and unit ("Import power (W)", "Gas (m3)", "Input 1 (pulses)"). shownColumns are grid
// columns (0 ... 21); columns missing there (hidden in the grid), the date and time columns and the
// separators give no column of their own.
//
// Numbers use a dot and full precision, never an exponent: a TIKA V2 value exactly, a QMR51 or
// TIKA V1 value as the shortest decimal that reads back as the very single-precision number the
// device sent (the grid rounds to 7 digits). A row without values (status row, time-out) has empty
// number fields; infinity and not-a-number are written as the grid shows them ("inf", "NaN").
QByteArray readingsCsv(const ReadingsTable& table, const QList<int>& shownColumns);

// The header of a quantity column of the grid ("Export low (Wh)"); empty for the date, time and
// separator columns. headingOfColumn is the grid's heading (which names the two inputs).
QString csvColumnName(int gridColumn, const QString& headingOfColumn);

} // namespace view
