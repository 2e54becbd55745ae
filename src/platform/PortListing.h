#pragma once
#include "platform/PortIdentity.h"
#include <QList>
#include <QString>

namespace platform {

// A serial device of the machine with the COM number 1..255 a technician knows it by.
struct NumberedPort {
    // A constructor rather than an aggregate, so that a port given without its identity needs no
    // empty braces for it.
    NumberedPort(int number = 0, QString path = {}, QString text = {}, PortIdentity id = {})
        : portNumber(number), devicePath(std::move(path)), description(std::move(text)), identity(std::move(id)) {}
    int portNumber = 0;
    QString devicePath;   // e.g. /dev/ttyUSB0
    QString description;  // the system's, e.g. "FT232R USB UART"; may be empty
    PortIdentity identity; // what is plugged in; empty for a port the system tells nothing about
    bool operator==(const NumberedPort&) const = default;
};

// The machine's serial devices, numbered the way a technician knows them from the device manager.
class PortListing {
public:
    virtual ~PortListing() = default;

    // Every port, in ascending port number.
    virtual QList<NumberedPort> ports() = 0;

    // The device node of COM<portNumber>, or an empty string when no such port exists.
    virtual QString devicePath(int portNumber) = 0;

    // A note for the user about the last listing (its memory of adapters was damaged and set
    // aside), given once; empty when there is none.
    virtual QString takeNote() { return {}; }
};

} // namespace platform
