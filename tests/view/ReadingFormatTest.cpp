// A row's cells. What holds for any reply (fields kept only in full, the number a cell shows is the
// one sent, no digit grouping, empty separators and missing fields) fuzz/fuzz_readings.cpp checks
// as properties.
#include "Bytes.h"
#include "QtPrinters.h"
#include "view/ReadingFormat.h"
#include <QDateTime>
#include <gtest/gtest.h>

using namespace view;

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kDutch(QLocale::Dutch, QLocale::Netherlands);

// A complete row whose field k (1 ... 13) holds `bits`, every other field zero.
device::ReadingRow rowWith(device::FieldEncoding encoding, int k = 1, quint32 bits = 0)
{
    device::ReadingRow row{.completeFields = 13, .encoding = encoding};
    row.fields[static_cast<std::size_t>(k - 1)] = bits;
    return row;
}

// A TIKA V2 sends whole numbers (gas and water in litres), the others singles shown with 7 digits;
// the inputs are whole pulses, halves rounded away from zero. Digits are never grouped.
TEST(ReadingCells, ShowTheFieldInItsColumn)
{
    constexpr auto Float32 = device::FieldEncoding::Float32; // a QMR51's or TIKA V1's
    struct Case { int field; quint32 bits; int column; const QLocale* locale; QString expected; };
    const Case cases[] = {
        {9, 0x4640E400, 15, &kDutch, "12,345 m\u00B3"}, {1, 0x3DCCCCCD, 3, &kEnglish, "0.1 W"}, {6, 0x4B3C614E, 9, &kDutch, "1,234568E+07 Wh"},
        {12, 0xBECCCCCD, 20, &kEnglish, "0"}, {9, 0xFF800000, 15, &kEnglish, "-inf"}, {2, 0x7FC00000, 4, &kEnglish, "NaN"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(readingCellText(rowWith(Float32, c.field, c.bits), c.column, *c.locale), c.expected) << c.expected.toStdString();
}

TEST(ReadingCells, EveryFieldInItsColumnWithItsUnit)
{
    device::ReadingRow row = rowWith(device::FieldEncoding::UInt32);
    for (int k = 1; k <= 13; ++k)
        row.fields[static_cast<std::size_t>(k - 1)] = quint32(k);
    const QStringList expected = {"", "", "", "1 W", "2 Wh", "3 Wh", "4 Wh", "", "5 W", "6 Wh", "7 Wh", "8 Wh", "", "", "",
                                  "0.009 m\u00B3", "0.01 m\u00B3", "", "0.011 m\u00B3", "", "12", "13"};
    for (int column = 2; column < kReadingColumnCount; ++column)
        EXPECT_EQ(readingCellText(row, column, kEnglish), expected[column]) << "column " << column;
}

// The date and time in the user's formats, the tariff, and a status instead of the values.
TEST(ReadingCells, DateTimeTariffAndStatus)
{
    device::ReadingRow row = rowWith(device::FieldEncoding::Float32, 1, 0x447A0000);
    row.takenAtMsecs = QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)).toMSecsSinceEpoch();
    for (auto [locale, date, time] : {std::tuple{&kDutch, "05-03-2024", "14:07:09"}, {&kEnglish, "3/5/24", "2:07:09 PM"}})
        EXPECT_EQ(readingCellText(row, 0, *locale) + " | " + readingCellText(row, 1, *locale), QString(date) + " | " + time);
    for (auto [tariff, text] : {std::pair{device::Tariff::Low, "Low"}, {device::Tariff::High, "High"}}) {
        row.tariff = tariff;
        EXPECT_EQ(readingCellText(row, 13, kEnglish), text);
    }
    for (auto [status, text] : {std::pair{1, "??? P1 busy"}, {2, "??? Overflow"}, {3, "??? P1 error"}, {252, ""}}) {
        row.status = static_cast<std::uint8_t>(status);
        EXPECT_EQ(readingCellText(row, 3, kEnglish), text) << status;
    }
}

TEST(ReadingCells, LongTimeFormatKeepsSecondsAndDropsTheZoneInEveryLocale)
{
    const QList<QLocale> all = QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    ASSERT_GT(all.size(), 100);
    for (const QLocale& locale : all) {
        const QString format = longTimeFormatWithoutZone(locale);
        const QStringList parts = format.split(u'\''); // every second part is quoted text
        QString unquoted;
        for (qsizetype i = 0; i < parts.size(); i += 2)
            unquoted += parts[i];
        EXPECT_FALSE(unquoted.contains(u't') || unquoted.contains(QStringLiteral("()")) || !unquoted.contains(u's'))
            << locale.name().toStdString() << ": " << format.toStdString();
    }
}

} // namespace
