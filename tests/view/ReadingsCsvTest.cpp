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
QList<int> allColumns()
{
    QList<int> all;
    for (int c = 0; c < 22; ++c)
        all.append(c);
    return all;
}

ReadingRow valuesRow(qint64 at, FieldEncoding encoding, std::array<quint32, 13> fields, int complete = 13)
{
    ReadingRow row;
    row.takenAtMsecs = at;
    row.fields = fields;
    row.encoding = encoding;
    row.completeFields = static_cast<std::uint8_t>(complete);
    if (encoding == FieldEncoding::Float32)
        row.tariff = view::Tariff::Low;
    return row;
}

ReadingRow statusRow(qint64 at, std::uint8_t status)
{
    ReadingRow row;
    row.takenAtMsecs = at;
    row.status = status;
    return row;
}

QStringList csvLines(const view::ReadingsTable& table, const QList<int>& columns)
{
    QString text = QString::fromLatin1(view::readingsCsv(table, columns));
    EXPECT_TRUE(text.endsWith(QLatin1String("\r\n")));
    text.chop(2);
    return text.split(QStringLiteral("\r\n"));
}

// ----- the text of single fields -----------------------------------------------------------------

struct QuoteCase {
    const char* text;
    const char* field;
};

TEST(CsvField, QuotesOnlyWhatWouldBreakTheLine)
{
    const QuoteCase cases[] = {
        {"??? P1 busy", "??? P1 busy"}, {"", ""},           {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""}, {"two\nlines", "\"two\nlines\""}, {"cr\r", "\"cr\r\""},
    };
    for (const QuoteCase& c : cases)
        EXPECT_EQ(view::csvField(QString::fromLatin1(c.text)), QString::fromLatin1(c.field)) << c.text;
}

struct NumberCase {
    const char* name;
    FieldEncoding encoding;
    int field;        // 1 ... 13
    quint32 bits;
    const char* text; // as written in the file
};
void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.name; }

class CsvNumbers : public testing::TestWithParam<NumberCase> {};

TEST_P(CsvNumbers, AreWrittenWithADotInFullPrecisionWithoutExponent)
{
    const NumberCase& c = GetParam();
    std::array<quint32, 13> fields{};
    fields[static_cast<size_t>(c.field - 1)] = c.bits;
    view::ReadingsTable table;
    table.append(valuesRow(kStartMsecs, c.encoding, fields));
    const QStringList lines = csvLines(table, allColumns());
    ASSERT_EQ(lines.size(), 2);
    const QStringList header = lines[0].split(QLatin1Char(','));
    const QStringList values = lines[1].split(QLatin1Char(','));
    const int column = static_cast<int>(header.indexOf(QString::fromUtf8(
        std::array{"Import power (W)", "Import high (Wh)", "Import low (Wh)", "Import diff. (Wh)", "Export power (W)",
                   "Export high (Wh)", "Export low (Wh)", "Export diff. (Wh)", "Gas (m3)", "Gas diff. (m3)",
                   "Water (m3)", "Extern1 (pulses)", "Extern2 (pulses)"}[static_cast<size_t>(c.field - 1)])));
    ASSERT_GE(column, 0);
    EXPECT_EQ(values.value(column), QString::fromLatin1(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Table, CsvNumbers,
    testing::Values(
        NumberCase{"float_tenth_as_the_single_it_is", FieldEncoding::Float32, 1, 0x3DCCCCCD, "0.1"},
        NumberCase{"float_more_digits_than_the_grid", FieldEncoding::Float32, 2, 0x449A522B, "1234.5677"},
        NumberCase{"float_million_without_exponent", FieldEncoding::Float32, 5, 0x49742400, "1000000"},
        NumberCase{"float_negative_zero_is_zero", FieldEncoding::Float32, 3, 0x80000000, "0"},
        NumberCase{"float_gas_litres_to_m3", FieldEncoding::Float32, 9, 0x4640E400, "12.345"},
        NumberCase{"float_input_keeps_its_fraction", FieldEncoding::Float32, 12, 0x41466666, "12.4"},
        NumberCase{"float_infinity_as_the_grid_shows", FieldEncoding::Float32, 4, 0x7F800000, "inf"},
        NumberCase{"float_nan_as_the_grid_shows", FieldEncoding::Float32, 6, 0x7FC00000, "NaN"},
        NumberCase{"uint_largest_whole", FieldEncoding::UInt32, 1, 0xFFFFFFFF, "4294967295"},
        NumberCase{"uint_million_without_exponent", FieldEncoding::UInt32, 6, 1000000, "1000000"},
        NumberCase{"uint_gas_litres_to_m3", FieldEncoding::UInt32, 9, 12345, "12.345"},
        NumberCase{"uint_water_largest", FieldEncoding::UInt32, 11, 0xFFFFFFFF, "4294967.295"},
        NumberCase{"uint_input_count", FieldEncoding::UInt32, 13, 77, "77"}),
    [](const testing::TestParamInfo<NumberCase>& info) { return std::string(info.param.name); });

TEST(CsvColumns, HiddenColumnsAreLeftOutAndTheInputsTakeTheGridsNames)
{
    view::ReadingsTable table;
    table.setHeading(20, QStringLiteral("Input 1"));
    table.setHeading(21, QStringLiteral("Input 2"));
    EXPECT_EQ(csvLines(table, kTikaV2Columns).value(0),
              QStringLiteral("Time,UTC offset,Status,Import power (W),Import high (Wh),Import low (Wh),Export power (W),"
                             "Export high (Wh),Export low (Wh),Tariff,Gas (m3),Water (m3),Input 1 (pulses),"
                             "Input 2 (pulses)"));
    // A TIKA V1 shows no inputs at all.
    const QList<int> tikaV1 = {0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 12, 13, 14, 15, 17, 18};
    EXPECT_EQ(csvLines(table, tikaV1).value(0),
              QStringLiteral("Time,UTC offset,Status,Import power (W),Import high (Wh),Import low (Wh),Export power (W),"
                             "Export high (Wh),Export low (Wh),Tariff,Gas (m3),Water (m3)"));
}

TEST(CsvRows, StatusRowsKeepTheirTextAndRowsWithoutReplyKeepTheirTime)
{
    view::ReadingsTable table;
    table.append(statusRow(kStartMsecs, 1));
    table.append(statusRow(kStartMsecs + 5000, 2));
    table.append(statusRow(kStartMsecs + 10000, 3));
    table.append(statusRow(kStartMsecs + 15000, 252)); // the exchange timed out
    const QStringList lines = csvLines(table, kTikaV2Columns);
    ASSERT_EQ(lines.size(), 5);
    const char* statuses[] = {"??? P1 busy", "??? Overflow", "??? P1 error", ""};
    for (int r = 0; r < 4; ++r) {
        const QStringList fields = lines[r + 1].split(QLatin1Char(','));
        ASSERT_EQ(fields.size(), 14) << lines[r + 1].toStdString();
        EXPECT_EQ(fields[2], QString::fromLatin1(statuses[r]));
        for (int f = 3; f < fields.size(); ++f)
            EXPECT_EQ(fields[f], QString()) << "row " << r << " field " << f;
        const QDateTime local = QDateTime::fromMSecsSinceEpoch(kStartMsecs + r * 5000);
        EXPECT_EQ(fields[0], local.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")));
    }
}

// ----- independent readers -----------------------------------------------------------------------

// A log as a TIKA V2 or a QMR51 would leave it: readings, a status row, a time-out, a cut reply.
struct Log {
    view::ReadingsTable table;
    QList<int> columns;
    FieldEncoding encoding;
};

void fillLog(Log& log, FieldEncoding encoding)
{
    log.encoding = encoding;
    log.table.setLocale(QLocale::c());
    log.columns = encoding == FieldEncoding::UInt32 ? kTikaV2Columns : allColumns();
    if (encoding == FieldEncoding::UInt32) {
        log.table.setHeading(20, QStringLiteral("Input 1"));
        log.table.setHeading(21, QStringLiteral("Input 2"));
        log.table.append(valuesRow(kStartMsecs, encoding,
                                   {1500, 123456789, 98765432, 0, 230, 4567890, 1234567, 0, 12345, 0, 67890, 41, 42}));
        log.table.append(valuesRow(kStartMsecs + 5000, encoding,
                                   {0xFFFFFFFF, 1, 2, 0, 0, 3, 4, 0, 999999999, 0, 1, 0xFFFFFFFF, 0}));
    } else {
        log.table.append(valuesRow(kStartMsecs, encoding,
                                   {0x449A522B, 0x4B3C614E, 0x3DCCCCCD, 0x40200000, 0x43660000, 0x49742400,
                                    0x44BB8000, 0x3F800000, 0x4640E400, 0x40200000, 0x3F800000, 0x41466666,
                                    0x40200000}));
        log.table.append(valuesRow(kStartMsecs + 5000, encoding,
                                   {0x3F800000, 0x3DCCCCCD, 0x449A522B, 0, 0, 0, 0, 0, 0x4B3C614E, 0, 0, 0, 0}));
    }
    log.table.append(statusRow(kStartMsecs + 10000, 1));
    log.table.append(statusRow(kStartMsecs + 15000, 252));
    log.table.append(valuesRow(kStartMsecs + 20000, encoding, {0x44BB8000, 0x44BB8000, 0x44BB8000}, 2));
}

QString writeCsv(const QTemporaryDir& dir, const Log& log)
{
    const QString path = dir.filePath(QStringLiteral("readings.csv"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(view::readingsCsv(log.table, log.columns));
    return path;
}

QJsonDocument runJson(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(300000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(process.readAllStandardOutput(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return doc;
}

// The number the grid shows in a cell: its text without the unit.
double gridNumber(const QString& text) { return QLocale::c().toDouble(text.section(QLatin1Char(' '), 0, 0)); }

class CsvReadBack : public testing::TestWithParam<FieldEncoding> {};

TEST_P(CsvReadBack, PythonsCsvModuleGetsTheGridsValuesInFullPrecision)
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    Log log;
    fillLog(log, GetParam());
    QTemporaryDir dir;
    const QJsonObject read =
        runJson(python, {QStringLiteral(QMR_TEST_DATA "/view/read_readings_csv.py"), writeCsv(dir, log)}).object();

    const QJsonArray header = read.value(QStringLiteral("header")).toArray();
    const QJsonArray rows = read.value(QStringLiteral("rows")).toArray();
    ASSERT_EQ(rows.size(), log.table.rowCount());
    for (int r = 0; r < log.table.rowCount(); ++r) {
        const ReadingRow& row = log.table.row(r);
        const QJsonObject got = rows[r].toObject();
        // Whole seconds, as the grid shows them.
        EXPECT_EQ(static_cast<qint64>(got.value(QStringLiteral("ms")).toDouble()), row.takenAtMsecs / 1000 * 1000);
        const QJsonObject values = got.value(QStringLiteral("values")).toObject();
        const bool moduleStatus = row.status >= 1 && row.status <= 3;
        EXPECT_EQ(values.value(QStringLiteral("Status")).toString(), moduleStatus ? log.table.cellText(r, 3) : QString());
        for (int column : log.columns) {
            const QString name = view::csvColumnName(column, log.table.heading(column));
            if (name.isEmpty())
                continue;
            ASSERT_TRUE(header.contains(name)) << name.toStdString();
            const QString grid = log.table.cellText(r, column);
            const QJsonValue csv = values.value(name);
            if (column == 13) {
                EXPECT_EQ(csv.toString(), grid);
                continue;
            }
            if (grid.isEmpty() || row.status != 0) {
                EXPECT_TRUE(csv.isNull()) << name.toStdString() << " row " << r;
                continue;
            }
            ASSERT_TRUE(csv.isDouble()) << name.toStdString() << " row " << r;
            const double value = csv.toDouble();
            const double shown = gridNumber(grid);
            if (log.encoding == FieldEncoding::UInt32) {
                EXPECT_EQ(value, shown) << name.toStdString(); // the grid shows a TIKA V2 value in full
                continue;
            }
            // The grid rounds a single to 7 digits (the inputs to whole pulses); the file keeps the
            // single itself: read back as a single it is the device's number, bit for bit.
            const double roundedTo = (column >= 20) ? 0.5 : std::abs(shown) * 5e-7;
            EXPECT_NEAR(value, shown, roundedTo) << name.toStdString();
            const int field = view::readingFieldOfColumn(column);
            const quint32 sent = row.fields[static_cast<size_t>(field - 1)];
            float single = 0;
            std::memcpy(&single, &sent, sizeof single);
            if (field >= 9 && field <= 11)
                single /= 1000.0f; // litres, shown in m3
            EXPECT_EQ(static_cast<float>(value), single) << name.toStdString() << " row " << r;
        }
    }
}

TEST_P(CsvReadBack, LibreOfficeTakesTimesForDatesAndValuesForNumbers)
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (python.isEmpty() || soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice (soffice) or python3 is not installed";
    Log log;
    fillLog(log, GetParam());
    QTemporaryDir dir;
    const QJsonArray sheet = runJson(python, {QStringLiteral(QMR_TEST_DATA "/view/libreoffice_cells.py"), soffice,
                                              writeCsv(dir, log), dir.path()})
                                 .array();
    ASSERT_GE(sheet.size(), log.table.rowCount() + 1);
    const QJsonArray header = sheet[0].toArray();
    EXPECT_EQ(header[0].toObject().value(QStringLiteral("value")).toString(), QStringLiteral("Time"));
    const int columnCount = static_cast<int>(csvLines(log.table, log.columns).value(0).count(u',')) + 1;
    EXPECT_EQ(header.size(), columnCount);
    for (int r = 0; r < log.table.rowCount(); ++r) {
        const QJsonArray cells = sheet[r + 1].toArray();
        const QJsonObject time = cells[0].toObject();
        EXPECT_EQ(time.value(QStringLiteral("type")).toString(), QStringLiteral("date")) << "row " << r;
        EXPECT_EQ(time.value(QStringLiteral("value")).toString(),
                  QDateTime::fromMSecsSinceEpoch(log.table.row(r).takenAtMsecs)
                      .toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")));
        const QString status = cells[2].toObject().value(QStringLiteral("value")).toString();
        EXPECT_EQ(status, log.table.row(r).status == 1 ? QStringLiteral("??? P1 busy") : QString());
        // Import power: a number wherever the grid shows one.
        const QJsonObject power = cells[3].toObject();
        if (log.table.row(r).status == 0) {
            EXPECT_EQ(power.value(QStringLiteral("type")).toString(), QStringLiteral("float")) << "row " << r;
            EXPECT_NEAR(power.value(QStringLiteral("value")).toDouble(), gridNumber(log.table.cellText(r, 3)),
                        std::abs(gridNumber(log.table.cellText(r, 3))) * 5e-7);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Devices, CsvReadBack, testing::Values(FieldEncoding::UInt32, FieldEncoding::Float32),
                         [](const testing::TestParamInfo<FieldEncoding>& info) {
                             return info.param == FieldEncoding::UInt32 ? std::string("TikaV2") : std::string("Qmr51");
                         });

} // namespace
