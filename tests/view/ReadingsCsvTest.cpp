#include "view/ReadingsCsv.h"
#include "view/ReadingFormat.h"
#include "view/ReadingsTable.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>
#include <cstring>

namespace {

using device::FieldEncoding;
using device::ReadingRow;

// 2026-12-06 10:00:00 UTC.
constexpr qint64 kStartMsecs = 1796551200000;

// The grid columns a TIKA V2 shows: the three "Diff." columns (6, 11, 16) and separator 19 hidden.
const QList<int> kTikaV2Columns{0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 12, 13, 14, 15, 17, 18, 20, 21};

// A Float32 row with values carries a tariff, as a QMR51's or TIKA V1's does.
ReadingRow valuesRow(qint64 at, FieldEncoding encoding, std::array<quint32, 13> fields, int complete = 13, std::uint8_t status = 0)
{
    const bool tariff = encoding == FieldEncoding::Float32 && status == 0;
    return {at, fields, status, std::uint8_t(complete), encoding, tariff ? device::Tariff::Low : device::Tariff::None};
}

// What the Python reader below cannot tell apart: an exponent, digits beyond the single the device
// sent (both read back as the same number), a negative zero, the texts of non-finite values.
TEST(CsvNumbers, AreWrittenInFixedFormAsTheShortestTextOfTheValue)
{
    view::ReadingsTable table;
    table.append(valuesRow(kStartMsecs, FieldEncoding::Float32, {0x3DCCCCCD, 0x7F800000, 0x80000000, 0, 0x49742400, 0x7FC00000}));
    table.append(valuesRow(kStartMsecs, FieldEncoding::UInt32, {1000000000, 1, 2, 0, 0xFFFFFFFF, 5}));
    const QStringList lines = QString::fromLatin1(view::readingsCsv(table, {3, 4, 5, 8, 9})).split("\r\n");
    EXPECT_EQ(lines.value(1).section(',', 3), "0.1,inf,0,1000000,NaN");
    EXPECT_EQ(lines.value(2).section(',', 3), "1000000000,1,2,4294967295,5");
}

// A log as a TIKA V2 and a QMR51 would leave it: readings, a status row, a cut reply. Python's csv
// module reads the file: the headings (hidden columns left out, the inputs by the names the user
// gave them, quoted) and every value must be the device's, in full precision.
TEST(CsvReadBack, PythonsCsvModuleGetsTheDevicesValuesAndTheHeadingsWhole)
{
    view::ReadingsTable table;
    table.setHeading(20, QStringLiteral("Hall \"A\", meter 1"));
    table.setHeading(21, QStringLiteral("Input 2"));
    table.append(valuesRow(kStartMsecs, FieldEncoding::UInt32,
                           {0xFFFFFFFF, 123456789, 98765432, 0, 230, 4567890, 1234567, 0, 999999999, 0, 67890, 0xFFFFFFFF, 42}));
    table.append(valuesRow(kStartMsecs + 5000, FieldEncoding::Float32, {0x449A522B, 0x4B3C614E, 0x3DCCCCCD, 0x40200000, 0x43660000, 0x49742400,
                           0x44BB8000, 0x3F800000, 0x4640E400, 0x40200000, 0x3F800000, 0x41466666, 0x40200000}));
    table.append(valuesRow(kStartMsecs + 10000, FieldEncoding::Float32, {}, 0, 1)); // "??? P1 busy"
    table.append(valuesRow(kStartMsecs + 20000, FieldEncoding::Float32, {0x44BB8000, 0x44BB8000, 0x44BB8000}, 2));

    QProcess process;
    process.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(QMR_TEST_DATA "/view/read_readings_csv.py"), "/dev/stdin"});
    process.write(view::readingsCsv(table, kTikaV2Columns));
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(300000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QJsonObject read = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    EXPECT_EQ(read.value(QStringLiteral("header")).toVariant().toStringList(),
              QStringList({"Time", "UTC offset", "Status", "Import power (W)", "Import high (Wh)", "Import low (Wh)",
                           "Export power (W)", "Export high (Wh)", "Export low (Wh)", "Tariff", "Gas (m3)", "Water (m3)",
                           "Hall \"A\", meter 1 (pulses)", "Input 2 (pulses)"}));
    const QJsonArray rows = read.value(QStringLiteral("rows")).toArray();
    ASSERT_EQ(rows.size(), table.rowCount());
    for (int r = 0; r < table.rowCount(); ++r) {
        const ReadingRow& row = table.row(r);
        // Whole seconds, as the grid shows them; the time and its UTC offset make the moment.
        EXPECT_EQ(static_cast<qint64>(rows[r][QStringLiteral("ms")].toDouble()), row.takenAtMsecs / 1000 * 1000);
        const QJsonObject values = rows[r][QStringLiteral("values")].toObject();
        EXPECT_EQ(values[QStringLiteral("Status")].toString(), row.status == 1 ? "??? P1 busy" : QString());
        EXPECT_EQ(values[QStringLiteral("Tariff")].toString(), table.cellText(r, 13));
        for (int column : kTikaV2Columns) {
            const int field = view::readingFieldOfColumn(column);
            if (field == 0)
                continue;
            const QString name = view::csvColumnName(column, table.heading(column));
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
            if (row.encoding == FieldEncoding::UInt32)
                EXPECT_EQ(csv.toDouble(), litres ? sent / 1000.0 : double(sent)) << name.toStdString() << " row " << r;
            else
                EXPECT_EQ(static_cast<float>(csv.toDouble()), litres ? single / 1000.0f : single) << name.toStdString() << " row " << r;
        }
    }
}

} // namespace
