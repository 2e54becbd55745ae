#pragma once
#include "link/Commands.h"
#include <QByteArray>
#include <QString>

namespace diagnostics {

// What the "Read" button does with the result of the debug-log command 68.
struct DebugLogReadOutcome {
    // Text for a message box (OK button only); empty when there is nothing to say.
    QString message;
    // Log bytes to append to the log box, behind the text already there with nothing between.
    // Empty when nothing is appended.
    QByteArray appendBytes;
};

// Interprets the reply to command 68:
// - status 0 with exactly one data byte: the module reports why it has no log: 1 "P1 busy. Please
//   retry", 2 "Buffer (1200bytes) overflow", 3 "P1 not connected or protocol not set correctly";
//   any other single byte: nothing at all;
// - status 0 otherwise: the data is log text, appended as it is;
// - 250 "RX Length Overflow", 251 "Wrong end character received", 252 "RX timed out";
// - any other status: nothing.
DebugLogReadOutcome interpretDebugLogResult(const comlink::Reply& reply);

// The log is a byte string from the device, not text in any particular character set. The log box
// shows byte n as the character U+00nn (Latin-1), one character for every byte 0 ... 255; the
// bytes themselves are kept beside the box and saved as they came.
QString logBytesToText(const QByteArray& bytes);

// The file name proposed in the save dialog:
// caption + "-debuglog-" + date + "-" + time + ".txt", with every '/' and ':' removed (file systems
// refuse them; the caption holds "s/n:" and the time its colons). dateText and timeText are the
// current date and time in the user's short date and long time formats.
QString proposedDebugLogFileName(const QString& caption, const QString& dateText, const QString& timeText);

// What a saved debug-log file holds: the log bytes exactly as the device sent them, then CR LF.
QByteArray debugLogFileContent(const QByteArray& log);

} // namespace diagnostics
