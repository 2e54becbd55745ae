#include "firmware/UnitRecord.h"
#include "device/Captions.h"
#include "device/CsvField.h"
#include "device/DeviceKind.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <utility>

namespace firmware {

namespace {

using Field = std::pair<QLatin1String, QJsonValue>;

QString startText(const QDateTime& start) { return start.toUTC().toString(Qt::ISODateWithMs); }

// The record's keys and values in the order of its line; the CSV has the same columns.
QList<Field> fields(const UnitRecord& r)
{
    return {
        {QLatin1String("start"), startText(r.startedAtUtc)},
        {QLatin1String("durationMs"), r.durationMs},
        {QLatin1String("station"), r.station},
        {QLatin1String("toolVersion"), r.toolVersion},
        {QLatin1String("command"), r.command},
        {QLatin1String("port"), r.portNumber > 0 ? QStringLiteral("COM%1").arg(r.portNumber) : QString()},
        {QLatin1String("devicePath"), r.devicePath},
        {QLatin1String("adapter"), r.adapter.isObject() ? r.adapter : QJsonValue(QJsonValue::Null)},
        {QLatin1String("kind"), r.kind},
        {QLatin1String("serial"), r.serial},
        {QLatin1String("firmwareBefore"), r.firmwareBefore},
        {QLatin1String("firmwareAfter"), r.firmwareAfter},
        {QLatin1String("image"), r.imageName},
        {QLatin1String("imageBytes"), r.imageBytes},
        {QLatin1String("imageSha256"), r.imageSha256},
        {QLatin1String("result"), r.passed() ? QStringLiteral("pass") : QStringLiteral("fail")},
        {QLatin1String("class"), resultClassName(r.resultClass)},
        {QLatin1String("message"), r.message},
        {QLatin1String("attempt"), r.attempt},
        {QLatin1String("reconnectMs"), r.reconnectMs},
    };
}

// A value as JSON text: Qt writes whole documents only, so the value goes in an array of one.
QByteArray jsonText(const QJsonValue& value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

std::optional<UnitRecord> recordOf(const QByteArray& line)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject o = document.object();
    UnitRecord r;
    r.startedAtUtc = QDateTime::fromString(o.value(QLatin1String("start")).toString(), Qt::ISODateWithMs).toUTC();
    if (!r.startedAtUtc.isValid())
        return std::nullopt;
    const auto text = [&o](const char* key) { return o.value(QLatin1String(key)).toString(); };
    const auto number = [&o](const char* key, qint64 otherwise) { return o.value(QLatin1String(key)).toInteger(otherwise); };
    r.durationMs = number("durationMs", 0);
    r.station = text("station");
    r.toolVersion = text("toolVersion");
    r.command = text("command");
    const QString port = text("port");
    r.portNumber = port.startsWith(QLatin1String("COM")) ? port.mid(3).toInt() : 0;
    r.devicePath = text("devicePath");
    r.adapter = o.value(QLatin1String("adapter")).isObject() ? o.value(QLatin1String("adapter")) : QJsonValue();
    r.kind = text("kind");
    r.serial = text("serial");
    r.firmwareBefore = text("firmwareBefore");
    r.firmwareAfter = text("firmwareAfter");
    r.imageName = text("image");
    r.imageBytes = number("imageBytes", 0);
    r.imageSha256 = text("imageSha256");
    r.resultClass = resultClassNamed(text("class"));
    // The class is what counts; "result" alone still tells a pass whose class a later version renamed.
    if (!r.resultClass && text("result") == QLatin1String("pass"))
        r.resultClass = device::UnitClass::Passed;
    r.message = text("message");
    r.attempt = static_cast<int>(number("attempt", 1));
    r.reconnectMs = number("reconnectMs", -1);
    return r;
}

QString orDash(const QString& text) { return text.isEmpty() ? QStringLiteral("-") : text; }

} // namespace

QString resultClassName(std::optional<device::UnitClass> resultClass)
{
    return resultClass ? device::unitClassName(*resultClass) : QStringLiteral("none");
}

std::optional<device::UnitClass> resultClassNamed(const QString& name) { return device::unitClassNamed(name); }

UnitRecord recordOfAttempt(const device::UnitAttempt& a, const QString& station, const QString& toolVersion,
                           const QString& command, const QJsonValue& adapter)
{
    UnitRecord r;
    r.startedAtUtc = a.startUtc.toUTC();
    r.durationMs = a.durationMs;
    r.station = station;
    r.toolVersion = toolVersion;
    r.command = command;
    r.portNumber = a.portNumber;
    r.devicePath = a.devicePath;
    r.adapter = adapter;
    r.kind = a.kind ? device::displayName(*a.kind) : QString();
    r.serial = QString::fromLatin1(a.serial);
    r.firmwareBefore = a.firmwareBefore ? device::versionText(*a.firmwareBefore) : QString();
    r.firmwareAfter = a.firmwareAfter ? device::versionText(*a.firmwareAfter) : QString();
    r.imageName = a.imageName;
    r.imageBytes = std::max<qint64>(0, a.imageBytes);
    r.imageSha256 = a.imageSha256;
    r.resultClass = a.result;
    r.message = a.message;
    r.attempt = a.attempt;
    r.reconnectMs = a.reconnectMs.value_or(-1);
    return r;
}

QByteArray recordLine(const UnitRecord& record)
{
    QByteArray line = "{";
    for (const Field& f : fields(record)) {
        if (line.size() > 1)
            line += ',';
        line += '"' + QByteArray(f.first.data(), f.first.size()) + "\":" + jsonText(f.second);
    }
    return line + "}\n";
}

RecordFileRead readRecordLines(const QByteArray& fileContent)
{
    RecordFileRead read;
    const QList<QByteArray> lines = fileContent.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].trimmed().isEmpty())
            continue;
        if (std::optional<UnitRecord> record = recordOf(lines[i]))
            read.records.append(std::move(*record));
        else
            read.damagedLines.append(static_cast<int>(i + 1));
    }
    return read;
}

QList<UnitRecord> filteredRecords(const QList<UnitRecord>& records, const RecordFilter& filter)
{
    QList<UnitRecord> kept;
    for (const UnitRecord& r : records) {
        if ((filter.serial.isEmpty() || r.serial == filter.serial) && (!filter.since || r.startedAtUtc >= *filter.since))
            kept.append(r);
    }
    return kept;
}

QStringList recordTextFields(const UnitRecord& r)
{
    const QString result = r.passed()                          ? QStringLiteral("pass")
        : !r.resultClass ? QStringLiteral("fail")
                                             : QStringLiteral("fail/") + resultClassName(r.resultClass);
    return {r.startedAtUtc.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
            orDash(r.serial),
            orDash(r.kind),
            r.portNumber > 0 ? QStringLiteral("COM%1").arg(r.portNumber) : QStringLiteral("-"),
            orDash(r.firmwareBefore) + QStringLiteral(" -> ") + orDash(r.firmwareAfter),
            result,
            QString::number(static_cast<double>(r.durationMs) / 1000.0, 'f', 1) + QStringLiteral(" s")};
}

QByteArray recordsCsv(const QList<UnitRecord>& records)
{
    QStringList header;
    for (const Field& f : fields(UnitRecord{}))
        header.append(f.first);
    QString out = header.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (const UnitRecord& r : records) {
        QStringList row;
        for (const Field& f : fields(r)) {
            const QJsonValue& v = f.second;
            const QString text = v.isString() ? v.toString()
                : v.isNull()                  ? QString()
                                              : QString::fromUtf8(jsonText(v));
            row.append(device::csvField(text));
        }
        out += row.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return out.toUtf8();
}

QString recordFileName(const QDate& monthUtc)
{
    return QStringLiteral("records/%1.jsonl").arg(monthUtc.toString(QStringLiteral("yyyy-MM")));
}

QString defaultRecordFile(const QString& programFolder, const QDateTime& startUtc)
{
    return programFolder + QLatin1Char('/') + recordFileName(startUtc.toUTC().date());
}

} // namespace firmware
