#pragma once
#include <QString>

class QComboBox;

namespace comlink {

// The port list cmbComPort: entries read "COM" + n + ":" and carry their number n and device
// path beside the text, so nothing has to read the number back out of a text.

// Appends COM<portNumber>: with its device path and, for a USB adapter, the adapter as the user knows
// it ("FT232R USB UART, serial A50285BI, USB 1-3.4"): both in the entry's tool tip, the adapter (or
// else the path) in portEntryNote.
void addPortEntry(QComboBox& list, int portNumber, const QString& devicePath, const QString& adapter = {});

// What the status line tells of entry `index` after its "COM3:": the adapter, or the device path.
QString portEntryNote(const QComboBox& list, int index);

// The number of the selected entry; 0 (no port) when none is selected.
int selectedPortNumber(const QComboBox& list);

} // namespace comlink
