// qmr51ctl records over a program folder's record files, as the flows append them.
#include "CtlHarness.h"
#include "QtPrinters.h"
#include "firmware/UnitRecordFile.h"
#include <QFile>

namespace {

firmware::UnitRecord attempt(const QString& serial, const QString& startUtc, device::UnitClass result)
{
    firmware::UnitRecord r;
    r.startedAtUtc = QDateTime::fromString(startUtc, Qt::ISODate);
    r.serial = serial;
    r.resultClass = result;
    r.message = QStringLiteral("COM3, \"TIKA V2\": done");
    return r;
}

} // namespace

// December's file is written before November's: the listing goes by month all the same. A line a
// crash cut off is named on standard error and the records around it are listed.
TEST(RecordsCommand, OneUnitsRecordsAsCsvOldestMonthFirstPastADamagedLine)
{
    ctl::Ctl h;
    const auto first = attempt("22M01234", "2026-11-30T23:00:00Z", device::UnitClass::Transfer);
    const auto second = attempt("22M01234", "2026-12-01T08:00:00Z", device::UnitClass::Passed);
    const auto other = attempt("22M09999", "2026-12-01T09:00:00Z", device::UnitClass::Passed);
    for (const auto& r : {second, other})
        ASSERT_EQ(firmware::appendUnitRecord(firmware::defaultRecordFile(h.folder.path(), r.startedAtUtc), r), QString());
    const QString november = firmware::defaultRecordFile(h.folder.path(), first.startedAtUtc);
    QFile cut(november);
    ASSERT_TRUE(QDir().mkpath(h.folder.filePath("records")) && cut.open(QIODevice::WriteOnly) && cut.write("{\"start\":\"2026-11") > 0);
    cut.close();
    ASSERT_EQ(firmware::appendUnitRecord(november, first), QString());

    EXPECT_EQ(h.run({"records", "--serial", "22M01234", "--format", "csv"}), 0) << h.err().toStdString();
    EXPECT_EQ(h.console.stdOut, firmware::recordsCsv({first, second}));
    EXPECT_EQ(h.err(), QStringLiteral("records/2026-11.jsonl line 1 is damaged and was skipped\n"));

    ctl::play(h, {
        {{"records", "--since", "2026-12-01T08:30:00Z"}, 0, "22M09999\t-\t-\t- -> -\tpass\t0.0 s"},
        {{"records", "--since", "last week"}, 2, "--since takes a date (2026-12-06) or a time"},
        {{"records", "--record", h.folder.filePath("elsewhere.jsonl")}, 1, "No record could be read."},
    });
}
