#pragma once
#include <QObject>
#include <QString>

namespace shell {
class Tool;
}

namespace view {

// The "Export…" button: writes the readings log of the current connection (every grid row since
// the connect) to a CSV file the user picks, with the columns the grid shows (see readingsCsv).
// The button is enabled while the log holds a row. The file is written whole or not at all: a
// failed write leaves an earlier file of that name as it was, and is reported with the file's name
// and the system's reason.
class ReadingsExport {
public:
    explicit ReadingsExport(shell::Tool& tool);

    void cmdExport_Click();

    // "readings-<yyyyMMdd>-<HHmmss>.csv" for the moment given.
    static QString proposedFileName(const QDateTime& now);

private:
    void followRowCount();

    shell::Tool& tool_;
    // Context of the control connections: they end with this handler.
    QObject connections_;
};

} // namespace view
