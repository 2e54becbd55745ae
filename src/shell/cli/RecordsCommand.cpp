// records: what each unit got and when, from this station's record files or the file named.
#include "firmware/UnitRecord.h"
#include "shell/TerminalText.h"
#include "shell/cli/Commands.h"
#include "shell/cli/ExitCode.h"
#include <QDir>
#include <QFile>

namespace shell::cli {

namespace {

struct RecordFile {
    QString shown; // as messages name it: "records/2026-12.jsonl", or the file as the user gave it
    QString path;
};

// The file given with --record, or every month's file of the program folder, oldest month first
// (the names sort by month).
QList<RecordFile> recordFiles(const Context& c)
{
    if (!c.options.recordFile.isEmpty())
        return {{c.options.recordFile, c.options.recordFile}};
    const QDir folder(c.programFolder + QStringLiteral("/records"));
    QList<RecordFile> files;
    for (const QString& name : folder.entryList({QStringLiteral("*.jsonl")}, QDir::Files, QDir::Name))
        files.append({QStringLiteral("records/") + name, folder.filePath(name)});
    return files;
}

QByteArray textLines(const QList<firmware::UnitRecord>& records)
{
    QByteArray text;
    for (const firmware::UnitRecord& r : records) {
        QList<QByteArray> columns;
        for (const QString& field : firmware::recordTextFields(r))
            columns.append(escapedForTerminal(field.toUtf8(), LineFeeds::Escaped));
        text += columns.join('\t') + '\n';
    }
    return text;
}

} // namespace

int recordsCommand(Context& c)
{
    if (!c.options.words.isEmpty())
        return c.fail(kUsageError, QStringLiteral("records takes no word %1").arg(c.options.words.first()));
    const QList<RecordFile> files = recordFiles(c);
    if (files.isEmpty())
        return c.fail(kDeviceFailure, QStringLiteral("There are no records in %1 yet.")
                                          .arg(QDir::toNativeSeparators(c.programFolder + QStringLiteral("/records"))));
    QList<firmware::UnitRecord> records;
    bool damage = false;
    bool opened = false;
    for (const RecordFile& f : files) {
        QFile file(f.path);
        if (!file.open(QIODevice::ReadOnly)) {
            c.message(QStringLiteral("%1 cannot be read: %2").arg(f.shown, file.errorString()));
            continue;
        }
        opened = true;
        const firmware::RecordFileRead read = firmware::readRecordLines(file.readAll());
        for (int line : read.damagedLines)
            c.message(QStringLiteral("%1 line %2 is damaged and was skipped").arg(f.shown).arg(line));
        damage = damage || !read.damagedLines.isEmpty();
        records += read.records;
    }
    // Damaged lines beside whole records are a note; a listing that could read nothing at all is a failure.
    if (records.isEmpty() && (!opened || damage))
        return c.fail(kDeviceFailure, QStringLiteral("No record could be read."));

    records = firmware::filteredRecords(records, {c.options.serial, c.options.since});
    if (c.options.json || c.options.format == QLatin1String("json")) {
        for (const firmware::UnitRecord& r : records)
            c.env.console.out(firmware::recordLine(r));
    } else if (c.options.format == QLatin1String("csv")) {
        c.env.console.out(firmware::recordsCsv(records));
    } else {
        c.env.console.out(textLines(records));
    }
    return kSuccess;
}

} // namespace shell::cli
