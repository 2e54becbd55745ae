#include "view/ReadingFormat.h"
#include "view/GridColumns.h"
#include "device/ReadingsDecoder.h"
#include <QDateTime>
#include <cmath>

namespace view {

namespace {

// Column of each field k (index k - 1).
constexpr std::array<int, device::kReadingFieldCount> kFieldColumns{3, 4, 5, 6, 8, 9, 10, 11, 15, 16, 18, 20, 21};
constexpr int kStatusColumn = 3;
// Gas and water (fields 9 ... 11) come in litres and are shown in cubic metres.
constexpr int kFirstVolumeField = 9;
constexpr int kLastVolumeField = 11;
// The two pulse inputs (fields 12, 13) are plain counts.
constexpr int kFirstInputField = 12;
// Significant digits of the general number form: a double shows up to 15, a single up to 7.
constexpr int kDoubleDigits = 15;
constexpr int kSingleDigits = 7;

QString unitOf(int field)
{
    if (field == 1 || field == 5)
        return QStringLiteral(" W");
    if (field >= kFirstVolumeField && field <= kLastVolumeField)
        return QStringLiteral(" m\u00B3");
    if (field < kFirstInputField)
        return QStringLiteral(" Wh");
    return {};
}

QString statusText(std::uint8_t status)
{
    switch (status) {
    case 1: return QStringLiteral("??? P1 busy");
    case 2: return QStringLiteral("??? Overflow");
    case 3: return QStringLiteral("??? P1 error");
    default: return {};
    }
}

QString tariffText(device::Tariff tariff)
{
    switch (tariff) {
    case device::Tariff::Low: return QStringLiteral("Low");
    case device::Tariff::High: return QStringLiteral("High");
    case device::Tariff::None: break;
    }
    return {};
}

// The locale as given, but never grouping digits: a meter reading of 4294967295 must read as one
// number, not "4.294.967.295" (which a Dutch reader takes for a decimal fraction).
QLocale ungrouped(const QLocale& locale)
{
    if (locale.numberOptions().testFlag(QLocale::OmitGroupSeparator))
        return locale;
    QLocale plain = locale;
    plain.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return plain;
}

QString nonFiniteText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    return value < 0 ? QStringLiteral("-inf") : QStringLiteral("inf");
}

// General form: at most `digits` significant digits, trailing zeros dropped, exponent only where
// the magnitude needs more digits than that.
QString generalText(double value, int digits, const QLocale& locale)
{
    if (!std::isfinite(value))
        return nonFiniteText(value);
    return ungrouped(locale).toString(value, 'G', digits);
}

// A whole number, halves rounded away from zero ("#0"); no "-0" for small negative values.
QString wholeNumberText(double value, const QLocale& locale)
{
    if (!std::isfinite(value))
        return nonFiniteText(value);
    const double rounded = std::round(value);
    return ungrouped(locale).toString(rounded == 0 ? 0.0 : rounded, 'f', 0);
}

// A meter quantity: the number in general form and its unit; a non-finite value has no unit.
QString quantityText(double value, int digits, int field, const QLocale& locale)
{
    if (!std::isfinite(value))
        return nonFiniteText(value);
    return generalText(value, digits, locale) + unitOf(field);
}

QString uintFieldText(quint32 bits, int field, const QLocale& locale)
{
    double value = bits;
    if (field >= kFirstVolumeField && field <= kLastVolumeField)
        value /= 1000.0;
    return quantityText(value, kDoubleDigits, field, locale);
}

QString floatFieldText(quint32 bits, int field, const QLocale& locale)
{
    float value = device::floatFromBits(bits);
    if (field >= kFirstInputField)
        return wholeNumberText(value, locale);
    if (field >= kFirstVolumeField)
        value = value / 1000.0f; // the quotient stays a single, and is shown with single precision
    return quantityText(value, kSingleDigits, field, locale);
}

QDateTime takenAt(const device::ReadingRow& row) { return QDateTime::fromMSecsSinceEpoch(row.takenAtMsecs); }

} // namespace

int readingFieldOfColumn(int column)
{
    for (int k = 0; k < device::kReadingFieldCount; ++k) {
        if (kFieldColumns[static_cast<std::size_t>(k)] == column)
            return k + 1;
    }
    return 0;
}

QStringList dateTextSamples(const QLocale& locale)
{
    QStringList samples;
    for (int month = 1; month <= 12; ++month)
        samples.append(locale.toString(QDate(2026, month, 28), QLocale::ShortFormat));
    return samples;
}

QStringList timeTextSamples(const QLocale& locale)
{
    QStringList samples;
    const QString format = longTimeFormatWithoutZone(locale);
    for (int hour = 0; hour < 24; ++hour)
        samples.append(locale.toString(QTime(hour, 58, 58), format));
    return samples;
}

QString longTimeFormatWithoutZone(const QLocale& locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't') {
            // The zone name ("t", "tttt"), with the blank that separated it from the time.
            if (!out.isEmpty() && out.back().isSpace())
                out.chop(1);
            continue;
        }
        out.append(c);
    }
    out.remove(QStringLiteral("()")); // some locales bracket the zone: "H:mm:ss (t)"
    return out.trimmed();
}

QString readingCellText(const device::ReadingRow& row, int column, const QLocale& locale)
{
    if (column == kDateColumn)
        return locale.toString(takenAt(row).date(), QLocale::ShortFormat);
    if (column == kTimeColumn)
        return locale.toString(takenAt(row).time(), longTimeFormatWithoutZone(locale));
    if (row.status != 0)
        return column == kStatusColumn ? statusText(row.status) : QString();
    if (column == kTariffColumn)
        return tariffText(row.tariff);

    const int field = readingFieldOfColumn(column);
    if (field == 0 || field > row.completeFields)
        return {};
    const quint32 bits = row.fields[static_cast<std::size_t>(field - 1)];
    return row.encoding == device::FieldEncoding::UInt32 ? uintFieldText(bits, field, locale)
                                                 : floatFieldText(bits, field, locale);
}

} // namespace view
