#pragma once
#include <QString>

class QComboBox;

namespace comlink {

// The port list cmbComPort: entries read "COM" + n + ":" and carry their number n and device
// path beside the text, so nothing has to read the number back out of a text.

// Appends COM<portNumber>: with its device path (shown as the entry's tool tip).
void addPortEntry(QComboBox& list, int portNumber, const QString& devicePath);

// The number of the selected entry; 0 (no port) when none is selected.
int selectedPortNumber(const QComboBox& list);

} // namespace comlink
