#pragma once
#include <QByteArray>
#include <QObject>

namespace shell {
class Tool;
}

namespace diagnostics {

// The debug view: the frame fraDebug takes the place of the readings grid, and its buttons read
// the device's debug log (command 68) into the log box, save it and open it in an editor, empty
// the box, and go back to the grid.
//
// The log is a byte string, not text: the module writes what it likes, CR LF and bytes 0x80-0xFF
// included. The box shows it byte for byte as Latin-1, but a text box is no faithful store (line
// breaks become paragraphs, a no-break space comes back as a space), so the bytes as read are kept
// beside it and it is they that are saved. The box is read-only for the same reason: an edit there
// would not be in the saved file.
class DebugLogView {
public:
    explicit DebugLogView(shell::Tool& tool);

    // Enters the debug view: refresh held, grid hidden, fraDebug over the grid's place (the
    // grid's left and width, from the top of the window down to the grid's bottom), in front.
    void cmdDebug_Click();
    // Leaves it: grid shown, frame hidden, refresh running again (while a device is connected).
    void cmdStopDebugLog_Click();
    // Empties the box and the log kept with it.
    void cmldClear_Click();
    // In its turn (after a request under way), reads the log once and appends it to what is there, with nothing between. A module that has
    // no log to give says why in a single status byte (1 P1 busy, 2 overflow, 3 P1 not connected),
    // shown as a message; a failed exchange is shown as a message too and appends nothing.
    void cmdReadDebugLog_Click();
    // Proposes "<caption>-debuglog-<date>-<time>.txt" ('/' and ':' removed) in the save dialog,
    // writes the log as read plus CR LF, and opens the file for the user. A cancelled dialog does
    // nothing; a file that cannot be written is reported by name and reason, nothing is opened, and
    // a file that was there before is left as it was.
    void cmdSaveDebugLog_Click();

    // The log bytes collected since the last Clear, exactly as the device sent them.
    const QByteArray& log() const { return log_; }

private:
    void readOnce();

    shell::Tool& tool_;
    QByteArray log_;
    // Context of the control connections: they end with this handler.
    QObject connections_;
};

} // namespace diagnostics
