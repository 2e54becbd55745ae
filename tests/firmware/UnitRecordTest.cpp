#include "QtPrinters.h"
#include "firmware/UnitRecord.h"
#include <QJsonObject>
#include <gtest/gtest.h>

using device::UnitClass;
using firmware::UnitRecord;

namespace {

UnitRecord flashed(const QString& serial, const QString& startUtc)
{
    UnitRecord r;
    r.startedAtUtc = QDateTime::fromString(startUtc, Qt::ISODateWithMs);
    r.serial = serial;
    r.resultClass = UnitClass::Passed;
    return r;
}

UnitRecord everyField()
{
    UnitRecord r = flashed(QStringLiteral("22M01234"), QStringLiteral("2026-12-06T10:00:00.250Z"));
    r.durationMs = 83412;
    r.station = QStringLiteral("bench-2");
    r.toolVersion = QStringLiteral("2.3.0.1");
    r.command = QStringLiteral("flash");
    r.portNumber = 3;
    r.devicePath = QStringLiteral("/dev/ttyUSB0");
    r.adapter = QJsonObject{{QStringLiteral("vendorId"), QStringLiteral("0403")}, {QStringLiteral("serialShared"), false}};
    r.kind = QStringLiteral("TIKA V2");
    r.firmwareBefore = QStringLiteral("25.0.1.1");
    r.firmwareAfter = QStringLiteral("25.0.1.2");
    r.imageName = QStringLiteral("TIKAv2.bin");
    r.imageBytes = 1048576;
    r.imageSha256 = QString(64, QLatin1Char('a'));
    r.resultClass = UnitClass::Transfer;
    r.message = QStringLiteral("Block 12, \"busy\"\nretried – gave up");
    r.attempt = 2;
    r.reconnectMs = 7040;
    return r;
}

} // namespace

// The line is what other programs read: its keys, their order and their forms are pinned here.
TEST(UnitRecord, EveryFieldGoesIntoOneLineInItsFixedOrderAndComesBackAsItWas)
{
    const UnitRecord r = everyField();
    const QByteArray line = firmware::recordLine(r);
    EXPECT_EQ(line, QByteArray(
        R"({"start":"2026-12-06T10:00:00.250Z","durationMs":83412,"station":"bench-2","toolVersion":"2.3.0.1",)"
        R"("command":"flash","port":"COM3","devicePath":"/dev/ttyUSB0","adapter":{"serialShared":false,"vendorId":"0403"},)"
        R"("kind":"TIKA V2","serial":"22M01234","firmwareBefore":"25.0.1.1","firmwareAfter":"25.0.1.2","image":"TIKAv2.bin",)"
        R"("imageBytes":1048576,"imageSha256":"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa","result":"fail",)"
        R"("class":"transfer","message":"Block 12, \"busy\"\nretried – gave up","attempt":2,"reconnectMs":7040})" "\n"));
    const firmware::RecordFileRead read = firmware::readRecordLines(line);
    ASSERT_EQ(read.records.size(), 1);
    EXPECT_EQ(read.records[0], r);
    EXPECT_TRUE(read.damagedLines.isEmpty());

    for (const char* name : {"none", "passed", "no-device", "refused-input", "download", "transfer", "esptool", "version", "interrupted"})
        EXPECT_EQ(firmware::resultClassName(firmware::resultClassNamed(QLatin1String(name))), QLatin1String(name));
    EXPECT_EQ(firmware::resultClassNamed(QStringLiteral("a-later-class")), std::nullopt);

    // A month's file holds the attempts that started in that month by the UTC clock.
    const QDateTime newYearsEveInTheAzores = QDateTime::fromString(QStringLiteral("2026-12-31T23:30:00-01:00"), Qt::ISODate);
    EXPECT_EQ(firmware::defaultRecordFile(QStringLiteral("/opt/qmr"), newYearsEveInTheAzores),
              QStringLiteral("/opt/qmr/records/2027-01.jsonl"));
}

// A crash mid-write leaves a line without its end; the next record starts on a line of its own.
TEST(UnitRecord, AFileWithCutAndForeignLinesKeepsEveryWholeRecordAndNamesTheOthers)
{
    const UnitRecord a = flashed(QStringLiteral("A"), QStringLiteral("2026-12-01T08:00:00Z"));
    const UnitRecord c = flashed(QStringLiteral("C"), QStringLiteral("2026-12-01T09:00:00Z"));
    const QByteArray content = firmware::recordLine(a) + firmware::recordLine(everyField()).left(70) + "\n{}\ngarbage\n\n"
        + firmware::recordLine(c) + firmware::recordLine(a).left(30);
    const firmware::RecordFileRead read = firmware::readRecordLines(content);
    EXPECT_EQ(read.records, (QList<UnitRecord>{a, c}));
    EXPECT_EQ(read.damagedLines, (QList<int>{2, 3, 4, 7}));
    EXPECT_EQ(firmware::readRecordLines(firmware::recordLine(c).chopped(1)).records, QList<UnitRecord>{c});
}

TEST(UnitRecord, TheFilterKeepsOneSerialAndTheRecordsFromAMomentOn)
{
    const UnitRecord early = flashed(QStringLiteral("X"), QStringLiteral("2026-11-30T23:30:00Z"));
    const UnitRecord late = flashed(QStringLiteral("X"), QStringLiteral("2026-12-01T00:30:00Z"));
    const UnitRecord other = flashed(QStringLiteral("Y"), QStringLiteral("2026-12-02T00:00:00Z"));
    const QDateTime decemberInAmsterdam = QDateTime::fromString(QStringLiteral("2026-12-01T01:30:00+01:00"), Qt::ISODate);
    const struct {
        firmware::RecordFilter filter;
        QList<UnitRecord> kept;
    } cases[] = {
        {{}, {early, late, other}},
        {{QStringLiteral("X"), {}}, {early, late}},
        {{{}, decemberInAmsterdam}, {late, other}},
        {{QStringLiteral("X"), decemberInAmsterdam}, {late}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(firmware::filteredRecords({early, late, other}, c.filter), c.kept) << c.filter.serial.toStdString();
}

TEST(UnitRecord, TheCsvHasTheLinesKeysAndQuotesAMessageWithCommaQuoteAndLineBreak)
{
    EXPECT_EQ(firmware::recordsCsv({everyField()}),
              QStringLiteral("start,durationMs,station,toolVersion,command,port,devicePath,adapter,kind,serial,"
                             "firmwareBefore,firmwareAfter,image,imageBytes,imageSha256,result,class,message,attempt,reconnectMs\r\n"
                             "2026-12-06T10:00:00.250Z,83412,bench-2,2.3.0.1,flash,COM3,/dev/ttyUSB0,"
                             "\"{\"\"serialShared\"\":false,\"\"vendorId\"\":\"\"0403\"\"}\",TIKA V2,22M01234,25.0.1.1,25.0.1.2,"
                             "TIKAv2.bin,1048576,%1,fail,transfer,\"Block 12, \"\"busy\"\"\nretried – gave up\",2,7040\r\n")
                  .arg(QString(64, QLatin1Char('a')))
                  .toUtf8());
}
