#include "view/ReadingsCsv.h"
#include "view/ReadingFormat.h"
#include "view/ReadingsTable.h"
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QFile>
#include <gtest/gtest.h>
#include <cstring>

namespace {

using view::FieldEncoding;
using view::ReadingRow;

// 2026-12-06 10:00:00 UTC.
constexpr qint64 kStartMsecs = 1796551200000;

// The grid columns a TIKA V2 shows: the three "Diff." columns (6, 11, 16) and separator 19 hidden.
const QList<int> kTikaV2Columns{0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 12, 13, 14, 15, 17, 18, 20, 21};

ReadingRow valuesRow(qint64 at, FieldEncoding encoding, std::array<quint32, 13> fields, int complete = 13,
                     std::uint8_t status = 0)
{
    ReadingRow row;
    row.takenAtMsecs = at;
    row.fields = fields;
    row.encoding = encoding;
    row.completeFields = static_cast<std::uint8_t>(complete);
    row.status = status;
    if (encoding == FieldEncoding::Float32 && status == 0)
        row.tariff = view::Tariff::Low;
    return row;
}

// What the Python reader below cannot tell apart: an exponent, digits beyond the single the device
// sent (both read back as the same number), a negative zero, the texts of non-finite values.
TEST(CsvNumbers, AreWrittenInFixedFormAsTheShortestTextOfTheValue)
{
    struct Case { FieldEncoding encoding; int field; quint32 bits; const char* column; const char* text; };
    const Case cases[] = {
        {FieldEncoding::Float32, 1, 0x3DCCCCCD, "Import power (W)", "0.1"},
        {FieldEncoding::Float32, 5, 0x49742400, "Export power (W)", "1000000"},
        {FieldEncoding::Float32, 3, 0x80000000, "Import low (Wh)", "0"},
        {FieldEncoding::Float32, 2, 0x7F800000, "Import high (Wh)", "inf"},
        {FieldEncoding::Float32, 6, 0x7FC00000, "Export high (Wh)", "NaN"},
        {FieldEncoding::UInt32, 7, 1000000000, "Export low (Wh)", "1000000000"},
    };
    for (const Case& c : cases) {
        std::array<quint32, 13> fields{};
        fields[static_cast<size_t>(c.field - 1)] = c.bits;
        view::ReadingsTable table;
        table.append(valuesRow(kStartMsecs, c.encoding, fields));
        const QStringList lines = QString::fromLatin1(view::readingsCsv(table, kTikaV2Columns)).split("\r\n");
        const qsizetype column = lines[0].split(',').indexOf(QString::fromLatin1(c.column));
        ASSERT_GE(column, 3) << c.column;
        EXPECT_EQ(lines.value(1).split(',').value(column), QString::fromLatin1(c.text)) << c.column;
    }
}

TEST(CsvColumns, HiddenColumnsAreLeftOutAndTheInputsTakeTheGridsNames)
{
    view::ReadingsTable table;
    table.setHeading(20, QStringLiteral("Input 1"));
    table.setHeading(21, QStringLiteral("Input 2"));
    EXPECT_EQ(QString::fromLatin1(view::readingsCsv(table, kTikaV2Columns)),
              QStringLiteral("Time,UTC offset,Status,Import power (W),Import high (Wh),Import low (Wh),Export power (W),"
                             "Export high (Wh),Export low (Wh),Tariff,Gas (m3),Water (m3),Input 1 (pulses),"
                             "Input 2 (pulses)\r\n"));
}

// A log as a TIKA V2 or a QMR51 would leave it: readings, a status row, a time-out, a cut reply.
// Python's csv module reads the file; every value must be the device's, in full precision.
class CsvReadBack : public testing::TestWithParam<FieldEncoding> {};

TEST_P(CsvReadBack, PythonsCsvModuleGetsTheDevicesValuesAndTheHeadingsWhole)
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    ASSERT_FALSE(python.isEmpty());
    const FieldEncoding encoding = GetParam();
    view::ReadingsTable table;
    table.setLocale(QLocale::c());
    QList<int> columns = kTikaV2Columns;
    if (encoding == FieldEncoding::UInt32) { // the inputs go by the names the user gave them, quoted
        table.setHeading(20, QStringLiteral("Hall \"A\", meter 1"));
        table.setHeading(21, QStringLiteral("Input 2"));
        table.append(valuesRow(kStartMsecs, encoding,
                               {1500, 123456789, 98765432, 0, 230, 4567890, 1234567, 0, 12345, 0, 67890, 41, 42}));
        table.append(valuesRow(kStartMsecs + 5000, encoding,
                               {0xFFFFFFFF, 1, 2, 0, 0, 3, 4, 0, 999999999, 0, 1, 0xFFFFFFFF, 0}));
    } else {
        columns = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21};
        table.append(valuesRow(kStartMsecs, encoding,
                               {0x449A522B, 0x4B3C614E, 0x3DCCCCCD, 0x40200000, 0x43660000, 0x49742400, 0x44BB8000,
                                0x3F800000, 0x4640E400, 0x40200000, 0x3F800000, 0x41466666, 0x40200000}));
    }
    table.append(valuesRow(kStartMsecs + 10000, encoding, {}, 0, 1));   // "??? P1 busy"
    table.append(valuesRow(kStartMsecs + 15000, encoding, {}, 0, 252)); // time-out
    table.append(valuesRow(kStartMsecs + 20000, encoding, {0x44BB8000, 0x44BB8000, 0x44BB8000}, 2));

    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("readings.csv")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(view::readingsCsv(table, columns));
    file.close();
    QProcess process;
    process.start(python, {QStringLiteral(QMR_TEST_DATA "/view/read_readings_csv.py"), file.fileName()});
    ASSERT_TRUE(process.waitForFinished(300000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QJsonObject read = QJsonDocument::fromJson(process.readAllStandardOutput()).object();

    const QJsonArray header = read.value(QStringLiteral("header")).toArray();
    const QJsonArray rows = read.value(QStringLiteral("rows")).toArray();
    ASSERT_EQ(rows.size(), table.rowCount());
    for (int r = 0; r < table.rowCount(); ++r) {
        const ReadingRow& row = table.row(r);
        // Whole seconds, as the grid shows them; the time and its UTC offset make the moment.
        EXPECT_EQ(static_cast<qint64>(rows[r][QStringLiteral("ms")].toDouble()), row.takenAtMsecs / 1000 * 1000);
        const QJsonObject values = rows[r][QStringLiteral("values")].toObject();
        EXPECT_EQ(values[QStringLiteral("Status")].toString(), row.status == 1 ? "??? P1 busy" : QString());
        EXPECT_EQ(values[QStringLiteral("Tariff")].toString(), table.cellText(r, 13));
        for (int column : columns) {
            const int field = view::readingFieldOfColumn(column);
            if (field == 0)
                continue;
            const QString name = view::csvColumnName(column, table.heading(column));
            ASSERT_TRUE(header.contains(name)) << name.toStdString();
            const QJsonValue csv = values[name];
            if (row.status != 0 || field > row.completeFields) {
                EXPECT_TRUE(csv.isNull()) << name.toStdString() << " row " << r;
                continue;
            }
            // The number the device sent, in full: gas and water come in litres and go out in m3;
            // a single read back as a single is the device's own, bit for bit.
            const quint32 sent = row.fields[static_cast<size_t>(field - 1)];
            const bool litres = field >= 9 && field <= 11;
            float single = 0;
            std::memcpy(&single, &sent, sizeof single);
            if (encoding == FieldEncoding::UInt32)
                EXPECT_EQ(csv.toDouble(), litres ? sent / 1000.0 : double(sent)) << name.toStdString() << " row " << r;
            else
                EXPECT_EQ(static_cast<float>(csv.toDouble()), litres ? single / 1000.0f : single)
                    << name.toStdString() << " row " << r;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Devices, CsvReadBack, testing::Values(FieldEncoding::UInt32, FieldEncoding::Float32),
                         [](const testing::TestParamInfo<FieldEncoding>& info) {
                             return info.param == FieldEncoding::UInt32 ? std::string("TikaV2") : std::string("Qmr51");
                         });

} // namespace
