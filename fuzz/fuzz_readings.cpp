// The readings decoder and the grid's cell texts. Whatever the readings reply holds (too short,
// too long, an error status, infinities, not-a-numbers), decoding reads nothing past it, keeps only
// the fields it held in full, and every cell text comes out short and well-formed in a couple of
// locales.
//
// Input: byte 0 picks the device kind (bits 0-1) and the country option buttons (bits 2-3); the
// rest is the reply to command 64, written status byte first.
#include "Bytes.h"
#include "FuzzCheck.h"
#include "device/DeviceKind.h"
#include "view/ReadingFormat.h"
#include "device/ReadingsDecoder.h"
#include <QLocale>
#include <array>
#include <cmath>

namespace {

constexpr std::array<const char*, 4> kDeviceTypes{"QMR51", "TIKA V1", "TIKA V2", ""};
// Separator columns never show anything.
constexpr std::array<int, 6> kSeparators{2, 7, 12, 14, 17, 19};
// 2026-12-06 10:00 UTC: the grid shows the time the reply arrived; that comes from the PC.
constexpr qint64 kTakenAtMsecs = 1796551200000;

const std::array<QLocale, 4>& locales()
{
    static const std::array<QLocale, 4> all{QLocale::c(), QLocale(QLocale::Dutch, QLocale::Netherlands),
                                            QLocale(QLocale::English, QLocale::UnitedStates),
                                            QLocale(QLocale::Arabic, QLocale::Egypt)};
    return all;
}

quint32 bigEndianAt(const QByteArray& bytes, qsizetype index)
{
    quint32 v = 0;
    for (int i = 0; i < 4; ++i)
        v = (v << 8) | fuzzing::byteAt(bytes, index + i);
    return v;
}

bool near(double shown, double expected, double relative)
{
    return std::fabs(shown - expected) <= relative * std::fabs(expected);
}

// The number a cell shows is the number the device sent: a TIKA V2's whole numbers exactly (gas and
// water as m³ to the litre), the single-precision values of the others to 7 significant digits.
void checkShownNumber(const device::ReadingRow& row, int field, const QString& text, const QLocale& locale)
{
    const quint32 bits = row.fields[static_cast<std::size_t>(field - 1)];
    const bool volume = field >= 9 && field <= 11;
    const QString number = text.section(u' ', 0, 0);
    bool ok = false;
    const double shown = locale.toDouble(number, &ok);
    if (row.encoding == device::FieldEncoding::UInt32) {
        FUZZ_CHECK(ok);
        FUZZ_CHECK(volume ? std::fabs(shown * 1000.0 - bits) < 0.5 : shown == bits);
        return;
    }
    const float value = device::floatFromBits(bits);
    if (!std::isfinite(value)) {
        FUZZ_CHECK(text == QStringLiteral("NaN") || text == QStringLiteral("inf") || text == QStringLiteral("-inf"));
        return;
    }
    FUZZ_CHECK(ok);
    if (field >= 12)
        FUZZ_CHECK(near(shown, std::round(double(value)), 1e-12));
    else
        FUZZ_CHECK(near(shown, volume ? double(value / 1000.0f) : double(value), 5e-7));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const QString deviceType = QString::fromLatin1(kDeviceTypes[data[0] & 3]);
    const bool nederland = (data[0] & 4) != 0;
    const bool belgie = (data[0] & 8) != 0;
    const QByteArray result = fuzzing::bytesOf(data + 1, size - 1);

    if (result.isEmpty())
        return 0;
    const device::ReadingRow row =
        device::decodeReadings(fakes::replyOf(result), device::kindNamed(deviceType), nederland, belgie, kTakenAtMsecs);
    FUZZ_CHECK(row.takenAtMsecs == kTakenAtMsecs);
    FUZZ_CHECK(row.completeFields <= 13);
    if (result.isEmpty() || result.at(0) != 0) {
        FUZZ_CHECK(row.status != 0 && row.completeFields == 0 && row.tariff == device::Tariff::None);
    } else {
        FUZZ_CHECK(row.status == 0);
        FUZZ_CHECK(row.completeFields == std::min<qsizetype>(13, (result.size() - 1) / 4));
        for (int k = 0; k < row.completeFields; ++k)
            FUZZ_CHECK(row.fields[static_cast<std::size_t>(k)] == bigEndianAt(result, 1 + 4 * k));
        for (int k = row.completeFields; k < 13; ++k)
            FUZZ_CHECK(row.fields[static_cast<std::size_t>(k)] == 0);
    }
    if (device::isTikaV2(device::kindNamed(deviceType)))
        FUZZ_CHECK(row.encoding == device::FieldEncoding::UInt32 && row.tariff == device::Tariff::None);

    for (const QLocale& locale : locales()) {
        for (int column = -1; column <= view::kReadingColumnCount; ++column) {
            const QString text = view::readingCellText(row, column, locale);
            if (column < 0 || column >= view::kReadingColumnCount) {
                FUZZ_CHECK(text.isEmpty());
                continue;
            }
            if (column <= 1)
                continue; // date and time
            // The longest: a pulse count of -3.4e38 in full, 39 digits, the sign and (Arabic) a
            // direction mark in front of it.
            FUZZ_CHECK(text.size() <= 44);
            for (int separator : kSeparators)
                FUZZ_CHECK(column != separator || text.isEmpty());
            const int field = view::readingFieldOfColumn(column);
            if (field > row.completeFields)
                FUZZ_CHECK(text.isEmpty() || (column == 3 && row.status != 0));
            // A number never carries digit grouping: a meter total must read as one number.
            if (field != 0 && !text.isEmpty() && locale.groupSeparator() != locale.decimalPoint())
                FUZZ_CHECK(!text.contains(locale.groupSeparator()));
            if (field != 0 && field <= row.completeFields && &locale != &locales().back())
                checkShownNumber(row, field, text, locale);
        }
    }
    return 0;
}
