#pragma once
#include <QString>
#include <optional>

namespace comlink {

// Port list entries read "COM" + n + ":" (e.g. "COM3:").
QString portEntry(int portNumber);

// The port number of a port-list entry: the decimal number at the start of its text from the 4th
// character on ("COM12:" -> 12); 0 when no digits stand there. Numbers that do not fit a port
// number (above 255) give nullopt, so a long number never wraps round to another port.
std::optional<int> portNumberOfEntry(const QString& entry);

// A device name from the system's listing names a serial port when it contains "(COM" and does
// not contain "COM " (exact case). Its number is the one after the FIRST "COM" in the name, blanks
// skipped, 0 without digits. nullopt when the name is no candidate, or its number is above 255.
std::optional<int> candidatePortNumber(const QString& deviceName);

} // namespace comlink
