#include "Bytes.h"
#include "view/ReadingFormat.h"
#include "view/ReadingsDecoder.h"
#include <QDateTime>
#include "QtPrinters.h"
#include <gtest/gtest.h>

using fakes::bytes;

using namespace view;

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kDutch(QLocale::Dutch, QLocale::Netherlands);

// A valid reply whose field k (1 ... 13) holds `field`, every other field zero.
ReadingRow rowWith(device::DeviceKind kind, int k, const QByteArray& field)
{
    QByteArray reply = bytes({0}) + QByteArray(52, '\0') + "#";
    reply.replace(1 + 4 * (k - 1), 4, field);
    return decodeReadings(fakes::replyOf(reply), kind, true, false, 0);
}

// A TIKA V2 sends whole numbers (gas and water in litres), the others singles shown with 7 digits;
// the inputs are whole pulses, halves rounded away from zero. Digits are never grouped.
TEST(ReadingCells, ShowTheFieldInItsColumn)
{
    using device::DeviceKind;
    struct Case {
        DeviceKind kind;
        int field;
        QByteArray bits;
        int column;
        const QLocale* locale;
        QString expected;
    };
    const Case cases[] = {
        {DeviceKind::TikaV2, 9, bytes({0, 0, 0x30, 0x39}), 15, &kDutch, "12,345 m\u00B3"},
        {DeviceKind::TikaV2, 1, bytes({0xFF, 0xFF, 0xFF, 0xFF}), 3, &kDutch, "4294967295 W"},
        {DeviceKind::TikaV1, 9, bytes({0x46, 0x40, 0xE4, 0}), 15, &kDutch, "12,345 m\u00B3"},
        {DeviceKind::Qmr51, 1, bytes({0x3D, 0xCC, 0xCC, 0xCD}), 3, &kEnglish, "0.1 W"},
        {DeviceKind::Qmr51, 6, bytes({0x4B, 0x3C, 0x61, 0x4E}), 9, &kDutch, "1,234568E+07 Wh"},
        {DeviceKind::Qmr51, 12, bytes({0x41, 0x48, 0, 0}), 20, &kEnglish, "13"},
        {DeviceKind::Qmr51, 12, bytes({0xBE, 0xCC, 0xCC, 0xCD}), 20, &kEnglish, "0"},
        {DeviceKind::Qmr51, 9, bytes({0xFF, 0x80, 0, 0}), 15, &kEnglish, "-inf"},
        {DeviceKind::TikaV1, 2, bytes({0x7F, 0xC0, 0, 0}), 4, &kEnglish, "NaN"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(readingCellText(rowWith(c.kind, c.field, c.bits), c.column, *c.locale), c.expected) << c.expected.toStdString();
}

TEST(ReadingCells, EveryFieldInItsColumnWithItsUnit)
{
    QByteArray reply = bytes({0});
    for (int k = 1; k <= 13; ++k)
        reply += bytes({0, 0, 0, k});
    const ReadingRow row = decodeReadings(fakes::replyOf(reply), device::DeviceKind::TikaV2, true, false, 0);
    const QStringList expected = {"",       "",        "",        "1 W",       "2 Wh",     "3 Wh",
                                  "4 Wh",   "",        "5 W",     "6 Wh",      "7 Wh",     "8 Wh",
                                  "",       "",        "",        "0.009 m\u00B3", "0.01 m\u00B3", "",
                                  "0.011 m\u00B3", "",  "12",     "13"};
    for (int column = 2; column < kReadingColumnCount; ++column)
        EXPECT_EQ(readingCellText(row, column, kEnglish), expected[column]) << "column " << column;
}

TEST(ReadingCells, TariffStatusRowsAndCutReplies)
{
    QByteArray reply = bytes({0}) + QByteArray(52, '\0');
    reply.replace(41, 4, bytes({0x3F, 0x80, 0, 0}));
    EXPECT_EQ(readingCellText(decodeReadings(fakes::replyOf(reply), device::DeviceKind::Qmr51, true, false, 0), 13, kEnglish), "Low");
    EXPECT_EQ(readingCellText(decodeReadings(fakes::replyOf(reply), device::DeviceKind::Qmr51, false, true, 0), 13, kEnglish), "High");

    for (auto [status, text] : {std::pair{1, "??? P1 busy"}, {2, "??? Overflow"}, {3, "??? P1 error"}, {252, ""}}) {
        const ReadingRow row = decodeReadings(fakes::replyOf(bytes({status}) + QByteArray(53, '\x44')), device::DeviceKind::TikaV1, true, false, 0);
        EXPECT_EQ(readingCellText(row, 3, kEnglish), text) << status;
        EXPECT_FALSE(readingCellText(row, 1, kEnglish).isEmpty());
        for (int column = 4; column < kReadingColumnCount; ++column)
            EXPECT_EQ(readingCellText(row, column, kEnglish), "") << status << " column " << column;
    }

    const ReadingRow cut = decodeReadings(fakes::replyOf(bytes({0, 0x44, 0x7A, 0, 0, 0x44, 0x7A, 0, 0, 0x44, 0x7A})),
                                          device::DeviceKind::Qmr51, true, false, 0);
    EXPECT_EQ(readingCellText(cut, 4, kEnglish), "1000 Wh");
    EXPECT_EQ(readingCellText(cut, 5, kEnglish), "");
}

TEST(ReadingCells, DateAndTimeInTheUsersFormats)
{
    const qint64 taken = QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)).toMSecsSinceEpoch();
    const ReadingRow row = decodeReadings(fakes::replyOf(bytes({252})), device::DeviceKind::Qmr51, true, false, taken);
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
