#pragma once
#include <QByteArray>
#include <QString>

namespace platform {

// Appends one line (its '\n' included) to the file at path and has it on the disk before
// returning, so a crash or a power cut afterwards cannot lose it, and one during the call loses at
// most this line, never an earlier one. The folder and the file are created as needed.
//
// The line goes out in one write to a file opened for appending, so lines that several processes
// append to one file at once stay whole and never overwrite each other. When the file does not end
// with a line end (a write that a crash cut off), a '\n' is put before the line in that same write:
// the cut line stays a damaged line of its own and the new one stands whole after it.
//
// Returns the reason in the system's words when the line is not safely written (a write that took
// only part of the line included), an empty text when it is. Linux: DurableAppend.cpp,
// Windows: windows/DurableAppend.cpp.
QString durableAppend(const QString& path, const QByteArray& line);

} // namespace platform
