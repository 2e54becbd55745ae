#pragma once
#include <QByteArray>
#include <QString>

namespace platform {

// Writes content as the file at path, whole or not at all: into a new file beside it that takes
// the old one's place only once every byte is written, so a disk that fills up (or any failing
// write) leaves the old file as it was, never an empty or cut-off one. Returns the reason in the
// system's words when it fails, an empty text when the file is saved.
//
// QSaveFile alone is not enough here: with Qt 6.4 a write that stops part-way only shows when its
// buffer is flushed, and commit() would put the cut-off file in place.
QString saveWholeFile(const QString& path, const QByteArray& content);

} // namespace platform
