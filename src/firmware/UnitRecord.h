#pragma once
#include "device/UnitAttempt.h"
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace firmware {

// The class of an attempt's end is the line's own (device::UnitClass): its names are what the
// record says. A class word this version does not know (a later version's) reads as none.
QString resultClassName(std::optional<device::UnitClass> resultClass);
std::optional<device::UnitClass> resultClassNamed(const QString& name);

// One attempt on one unit (an upgrade, a flash, a configuration), by qmr51ctl or by the window:
// what the station did to which device through which adapter, and how it ended. A text the attempt
// did not learn stays empty; a number it did not learn keeps its default.
struct UnitRecord {
    QDateTime startedAtUtc;   // when the attempt began; written as UTC ("2026-12-06T10:00:00.250Z")
    qint64 durationMs = 0;    // wall time of the whole attempt
    QString station;          // the computer's host name: which bench of a line it ran on
    QString toolVersion;      // qmr51ctl's or the window's version, e.g. "2.3.0.1"
    QString command;          // what the user asked for: "flash", "upgrade", "set out1.level=1500"
    int portNumber = 0;       // COM<n> as the tool numbers it; 0: no port
    QString devicePath;       // "/dev/ttyUSB0", "COM3"
    QJsonValue adapter;       // the USB adapter (platform::usbJson), or null for none / not USB
    QString kind;             // "QMR51", "TIKA V1", "TIKA V2"; empty when nothing answered
    QString serial;           // the device's serial number as it reported it
    QString firmwareBefore;   // "a.b.c.d" before the attempt; empty when unknown
    QString firmwareAfter;    // "a.b.c.d" the device reported afterwards; empty when unknown
    QString imageName;        // the image's file name, "QMR51v2.hex", "TIKAv2.bin"
    qint64 imageBytes = 0;    // the image file's size; 0 without an image
    QString imageSha256;      // 64 lowercase hex digits of the image file; empty without an image
    std::optional<device::UnitClass> resultClass;
    QString message;          // the sentence the user was shown at the end
    int attempt = 1;          // 1 for the first try on this unit, 2 for a retry, ...
    qint64 reconnectMs = -1;  // time from the device's restart until it answered again; -1: none

    bool passed() const { return resultClass == device::UnitClass::Passed; }
    bool operator==(const UnitRecord&) const = default;
};

// The record as one line of its file: a compact JSON object and '\n'. Keys, always all and in this
// order: "start", "durationMs", "station", "toolVersion", "command", "port" ("COM3", or "" for
// none), "devicePath", "adapter" (object or null), "kind", "serial", "firmwareBefore",
// "firmwareAfter", "image", "imageBytes", "imageSha256", "result" ("pass" or "fail"), "class",
// "message", "attempt", "reconnectMs". A reader that knows them by name also reads later versions
// that add keys.
QByteArray recordLine(const UnitRecord& record);

// The record of an attempt of a line (or of the window): station, tool version and command come from
// the face that ran it; the adapter is the port's USB identity (platform::usbJson), null for none.
UnitRecord recordOfAttempt(const device::UnitAttempt& attempt, const QString& station, const QString& toolVersion,
                           const QString& command, const QJsonValue& adapter);

// What a record file holds: every whole record in file order, and the 1-based numbers of the lines
// that are not one. A line cut by a crash or a power cut in the middle of its write, or any other
// text that is not a JSON object with a valid "start", is skipped and reported; the lines around it
// are read as they are. A last line without its '\n' counts when it is whole. Empty lines are
// neither records nor damage.
struct RecordFileRead {
    QList<UnitRecord> records;
    QList<int> damagedLines;
};
RecordFileRead readRecordLines(const QByteArray& fileContent);

// Which records to list: serial empty for any; a record counts from sinceUtc on (its start at or
// after that moment; any time spec, compared as moments), or always when sinceUtc is not set.
struct RecordFilter {
    QString serial;
    std::optional<QDateTime> since;
};
QList<UnitRecord> filteredRecords(const QList<UnitRecord>& records, const RecordFilter& filter);

// The columns of the listing for a person: start (local time, "2026-12-06 11:00:00"), serial, kind,
// port ("COM3"), firmware ("2.1.0.5 -> 2.1.0.6", "-" for an unknown version), result ("pass",
// "fail/transfer", "fail" without a class), duration ("83.4 s"). Empty texts as "-". The caller
// escapes them for the terminal.
QStringList recordTextFields(const UnitRecord& record);

// The records as a CSV file (RFC 4180, CR LF line ends): a header of the record line's keys, then
// one row per record with the same values; "adapter" holds the adapter's compact JSON, empty for none.
QByteArray recordsCsv(const QList<UnitRecord>& records);

// The file of a month's records, relative to the program folder: "records/2026-12.jsonl".
QString recordFileName(const QDate& monthUtc);
// Where an attempt started at startUtc is recorded by default: the program folder's file of the
// month of its UTC start.
QString defaultRecordFile(const QString& programFolder, const QDateTime& startUtc);

} // namespace firmware
