#include "view/ReadingsCsv.h"
#include "device/CsvField.h"
#include "view/GridColumns.h"
#include "view/ReadingFormat.h"
#include "view/ReadingValue.h"
#include <QDateTime>
#include <cstdlib>
#include <charconv>
#include <cmath>

namespace view {

using device::csvField;

namespace {

constexpr int kStatusColumn = 3;

// Names of the quantity columns, the group first: the grid's headings repeat ("Power" twice,
// "Diff." three times) and lean on the captions above them.
struct CsvName {
    int column;
    const char* name;
};
constexpr CsvName kCsvNames[] = {
    {3, "Import power (W)"}, {4, "Import high (Wh)"},  {5, "Import low (Wh)"},   {6, "Import diff. (Wh)"},
    {8, "Export power (W)"}, {9, "Export high (Wh)"},  {10, "Export low (Wh)"},  {11, "Export diff. (Wh)"},
    {13, "Tariff"},          {15, "Gas (m3)"},         {16, "Gas diff. (m3)"},   {18, "Water (m3)"},
};

// Shortest fixed-point text that reads back as the same value of type T.
template <typename T>
QString shortestFixed(T value)
{
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (result.ec != std::errc())
        return {};
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString numberField(const device::ReadingRow& row, int field)
{
    const std::optional<double> value = readingFieldValue(row, field);
    if (!value)
        return {};
    if (std::isnan(*value))
        return QStringLiteral("NaN");
    if (std::isinf(*value))
        return *value < 0 ? QStringLiteral("-inf") : QStringLiteral("inf");
    // A single-precision value written as a double would carry digits the device never sent
    // (0.1f is 0.100000001490116...): write the single itself.
    if (row.encoding == device::FieldEncoding::Float32)
        return shortestFixed(static_cast<float>(*value));
    return shortestFixed(*value);
}

QDateTime localTime(const device::ReadingRow& row) { return QDateTime::fromMSecsSinceEpoch(row.takenAtMsecs); }

// Local wall time as the grid shows it. A spreadsheet takes this form for a date and time; with
// an offset after it, it would keep the text.
QString timestamp(const QDateTime& local) { return local.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")); }

// "+01:00", "-03:30", "+00:00": which local time it was, so a summer-time change in a long log
// stays unambiguous.
QString utcOffset(const QDateTime& local)
{
    const int seconds = local.offsetFromUtc();
    const int minutes = std::abs(seconds) / 60;
    return QStringLiteral("%1%2:%3")
        .arg(seconds < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

QString csvColumnName(int gridColumn, const QString& headingOfColumn)
{
    for (const CsvName& n : kCsvNames) {
        if (n.column == gridColumn)
            return QString::fromUtf8(n.name);
    }
    if (gridColumn >= kFirstInputColumn && gridColumn <= kLastInputColumn)
        return headingOfColumn + QStringLiteral(" (pulses)");
    return {};
}

QByteArray readingsCsv(const ReadingsTable& table, const QList<int>& shownColumns)
{
    QList<int> columns;
    QStringList header{QStringLiteral("Time"), QStringLiteral("UTC offset"), QStringLiteral("Status")};
    for (int c = 0; c < kGridColumns; ++c) {
        const QString name = csvColumnName(c, table.heading(c));
        if (name.isEmpty() || !shownColumns.contains(c))
            continue;
        columns.append(c);
        header.append(csvField(name));
    }

    const QLocale c = QLocale::c();
    QString out = header.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (int r = 0; r < table.rowCount(); ++r) {
        const device::ReadingRow& row = table.row(r);
        const QDateTime local = localTime(row);
        QStringList line{timestamp(local), utcOffset(local),
                         row.status != 0 ? csvField(readingCellText(row, kStatusColumn, c)) : QString()};
        for (int column : columns) {
            if (column == kTariffColumn)
                line.append(csvField(readingCellText(row, column, c)));
            else
                line.append(numberField(row, readingFieldOfColumn(column)));
        }
        out += line.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return out.toUtf8();
}

} // namespace view
