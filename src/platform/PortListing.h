#pragma once
#include <QString>
#include <QStringList>

namespace platform {

// The machine's serial devices, each carrying a COM number 1..255 the way a technician knows
// them from the device manager. Display names end in " (COM<n>)" and never contain "COM "
// (COM and a blank), so the port search can read the number back from the name.
class PortListing {
public:
    virtual ~PortListing() = default;

    // Display names, in ascending port number, e.g. "FT232R USB UART /dev/ttyUSB0 (COM3)".
    virtual QStringList deviceNames() = 0;

    // The device node of COM<portNumber>, or an empty string when no such port exists.
    virtual QString devicePath(int portNumber) = 0;
};

} // namespace platform
