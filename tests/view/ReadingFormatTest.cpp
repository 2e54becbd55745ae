#include "Bytes.h"
#include "view/ReadingFormat.h"
#include "view/ReadingsDecoder.h"
#include <QDateTime>
#include "QtPrinters.h"
#include <gtest/gtest.h>

// Readable QStrings in failure messages.

using fakes::bytes;

using namespace view;

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kDutch(QLocale::Dutch, QLocale::Netherlands);


// A valid reply whose field k (1 ... 13) holds `field`, every other field zero.
ReadingRow rowWith(const char* deviceType, int k, const QByteArray& field)
{
    QByteArray reply = bytes({0}) + QByteArray(52, '\0') + "#";
    reply.replace(1 + 4 * (k - 1), 4, field);
    return decodeReadings(reply, device::kindNamed(QString::fromLatin1(deviceType)), true, false, 0);
}

struct CellCase {
    const char* name;
    const char* deviceType;
    int field;
    QByteArray bits;
    int column;
    const QLocale* locale;
    QString expected;
};

void PrintTo(const CellCase& c, std::ostream* os) { *os << c.name; }

class Cell : public ::testing::TestWithParam<CellCase> {};

TEST_P(Cell, ShowsTheFieldInItsColumn)
{
    const CellCase& c = GetParam();
    EXPECT_EQ(readingCellText(rowWith(c.deviceType, c.field, c.bits), c.column, *c.locale), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, Cell,
    ::testing::Values(
        CellCase{"QMR51_power_1000", "QMR51", 1, bytes({0x44, 0x7A, 0, 0}), 3, &kDutch, "1000 W"},
        CellCase{"V2_gas_comma", "TIKA V2", 9, bytes({0, 0, 0x30, 0x39}), 15, &kDutch, "12,345 m\u00B3"},
        CellCase{"V2_gas_point", "TIKA V2", 9, bytes({0, 0, 0x30, 0x39}), 15, &kEnglish, "12.345 m\u00B3"},
        CellCase{"V2_largest_power_ungrouped", "TIKA V2", 1, bytes({0xFF, 0xFF, 0xFF, 0xFF}), 3, &kDutch,
                 "4294967295 W"},
        CellCase{"V2_largest_water", "TIKA V2", 11, bytes({0xFF, 0xFF, 0xFF, 0xFF}), 18, &kEnglish,
                 "4294967.295 m\u00B3"},
        CellCase{"V2_input_without_unit", "TIKA V2", 13, bytes({0xFF, 0xFF, 0xFF, 0xFF}), 21, &kEnglish,
                 "4294967295"},
        CellCase{"V2_zero_energy", "TIKA V2", 2, bytes({0, 0, 0, 0}), 4, &kEnglish, "0 Wh"},
        CellCase{"V1_gas_single", "TIKA V1", 9, bytes({0x46, 0x40, 0xE4, 0}), 15, &kDutch, "12,345 m\u00B3"},
        CellCase{"single_shows_seven_digits", "QMR51", 1, bytes({0x3D, 0xCC, 0xCC, 0xCD}), 3, &kEnglish, "0.1 W"},
        CellCase{"single_seven_digit_energy", "QMR51", 6, bytes({0x49, 0x96, 0xB4, 0x38}), 9, &kEnglish,
                 "1234567 Wh"},
        CellCase{"single_eight_digits_in_exponent_form", "QMR51", 6, bytes({0x4B, 0x3C, 0x61, 0x4E}), 9, &kDutch,
                 "1,234568E+07 Wh"},
        CellCase{"single_negative_export", "QMR51", 5, bytes({0xC3, 0x48, 0, 0}), 8, &kEnglish, "-200 W"},
        CellCase{"input_12_4_rounds_down", "QMR51", 12, bytes({0x41, 0x46, 0x66, 0x66}), 20, &kEnglish, "12"},
        CellCase{"input_12_5_rounds_away_from_zero", "QMR51", 12, bytes({0x41, 0x48, 0, 0}), 20, &kEnglish, "13"},
        CellCase{"input_2_5_rounds_up", "TIKA V1", 13, bytes({0x40, 0x20, 0, 0}), 21, &kEnglish, "3"},
        CellCase{"input_minus_12_5", "QMR51", 13, bytes({0xC1, 0x48, 0, 0}), 21, &kEnglish, "-13"},
        CellCase{"input_minus_0_4_is_0", "QMR51", 12, bytes({0xBE, 0xCC, 0xCC, 0xCD}), 20, &kEnglish, "0"},
        CellCase{"input_large_ungrouped", "QMR51", 12, bytes({0x4E, 0x6E, 0x6B, 0x28}), 20, &kDutch, "1000000000"},
        CellCase{"infinity", "QMR51", 1, bytes({0x7F, 0x80, 0, 0}), 3, &kEnglish, "inf"},
        CellCase{"minus_infinity", "QMR51", 9, bytes({0xFF, 0x80, 0, 0}), 15, &kEnglish, "-inf"},
        CellCase{"not_a_number", "TIKA V1", 2, bytes({0x7F, 0xC0, 0, 0}), 4, &kEnglish, "NaN"},
        CellCase{"not_a_number_input", "QMR51", 12, bytes({0xFF, 0xFF, 0xFF, 0xFF}), 20, &kEnglish, "NaN"},
        CellCase{"column_out_of_range", "QMR51", 1, bytes({0x44, 0x7A, 0, 0}), 22, &kEnglish, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadingCells, EveryFieldInItsColumnWithItsUnit)
{
    QByteArray reply = bytes({0});
    for (int k = 1; k <= 13; ++k)
        reply += bytes({0, 0, 0, k});
    const ReadingRow row = decodeReadings(reply, device::DeviceKind::TikaV2, true, false, 0);
    const QStringList expected = {"",       "",        "",        "1 W",       "2 Wh",     "3 Wh",
                                  "4 Wh",   "",        "5 W",     "6 Wh",      "7 Wh",     "8 Wh",
                                  "",       "",        "",        "0.009 m\u00B3", "0.01 m\u00B3", "",
                                  "0.011 m\u00B3", "",  "12",     "13"};
    for (int column = 2; column < kReadingColumnCount; ++column)
        EXPECT_EQ(readingCellText(row, column, kEnglish), expected[column]) << "column " << column;
}

TEST(ReadingCells, TariffColumnForSinglePrecisionDevices)
{
    QByteArray reply = bytes({0}) + QByteArray(52, '\0');
    reply.replace(41, 4, bytes({0x3F, 0x80, 0, 0}));
    EXPECT_EQ(readingCellText(decodeReadings(reply, device::DeviceKind::Qmr51, true, false, 0), 13, kEnglish), "Low");
    EXPECT_EQ(readingCellText(decodeReadings(reply, device::DeviceKind::Qmr51, false, true, 0), 13, kEnglish), "High");
    EXPECT_EQ(readingCellText(decodeReadings(reply, device::DeviceKind::TikaV2, true, false, 0), 13, kEnglish), "");
}

TEST(ReadingCells, StatusRowsShowTheStatusTextOnly)
{
    const std::pair<int, QString> cases[] = {
        {1, "??? P1 busy"}, {2, "??? Overflow"}, {3, "??? P1 error"}, {4, ""}, {252, ""}};
    for (const auto& [status, text] : cases) {
        const ReadingRow row = decodeReadings(bytes({status}) + QByteArray(53, '\x44'), device::DeviceKind::TikaV1, true, false, 0);
        EXPECT_EQ(readingCellText(row, 3, kEnglish), text) << status;
        EXPECT_FALSE(readingCellText(row, 0, kEnglish).isEmpty());
        EXPECT_FALSE(readingCellText(row, 1, kEnglish).isEmpty());
        for (int column = 4; column < kReadingColumnCount; ++column)
            EXPECT_EQ(readingCellText(row, column, kEnglish), "") << status << " column " << column;
    }
}

TEST(ReadingCells, ShortReplyShowsCompleteFieldsOnly)
{
    const ReadingRow row = decodeReadings(bytes({0, 0x44, 0x7A, 0, 0, 0x44, 0x7A, 0, 0, 0x44, 0x7A}), device::DeviceKind::Qmr51, true,
                                          false, 0);
    EXPECT_EQ(readingCellText(row, 3, kEnglish), "1000 W");
    EXPECT_EQ(readingCellText(row, 4, kEnglish), "1000 Wh");
    EXPECT_EQ(readingCellText(row, 5, kEnglish), "");
    EXPECT_EQ(readingCellText(row, 13, kEnglish), "");
}

TEST(ReadingCells, DateAndTimeInTheUsersFormats)
{
    const qint64 taken = QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)).toMSecsSinceEpoch();
    const ReadingRow row = decodeReadings(bytes({252}), device::DeviceKind::Qmr51, true, false, taken);
    EXPECT_EQ(readingCellText(row, 0, kDutch), "05-03-2024");
    EXPECT_EQ(readingCellText(row, 1, kDutch), "14:07:09");
    EXPECT_EQ(readingCellText(row, 0, kEnglish), "3/5/24");
    EXPECT_EQ(readingCellText(row, 1, kEnglish), "2:07:09 PM");
}

TEST(ReadingCells, LongTimeFormatKeepsSecondsAndDropsTheZoneInEveryLocale)
{
    const QList<QLocale> all = QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    ASSERT_GT(all.size(), 100);
    for (const QLocale& locale : all) {
        const QString format = longTimeFormatWithoutZone(locale);
        QString unquoted;
        bool quoted = false;
        for (QChar c : format) {
            if (c == u'\'')
                quoted = !quoted;
            else if (!quoted)
                unquoted += c;
        }
        EXPECT_FALSE(unquoted.contains(u't')) << locale.name().toStdString() << ": " << format.toStdString();
        EXPECT_TRUE(unquoted.contains(u's')) << locale.name().toStdString() << ": " << format.toStdString();
        EXPECT_EQ(format, format.trimmed()) << locale.name().toStdString();
        EXPECT_FALSE(format.contains(QStringLiteral("()"))) << locale.name().toStdString();
    }
}

} // namespace
