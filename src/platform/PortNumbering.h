#pragma once
#include "platform/PortListing.h"
#include "platform/PortMemory.h"
#include <QList>
#include <QString>

namespace platform {

// How the machine's serial devices get the COM numbers the tool and its users know them by.
//
// A technician can give a device a fixed number with a link <program folder>/ports/COM<n> to its
// device node (the simulator makes such links too). Every other serial device the system lists
// is numbered automatically: /dev/ttyS<k> is COM<k+1>, as the first on-board port is COM1 on the
// machines these devices grew up with. A USB adapter seen before gets the number it had (see
// PortMemory.h); every other device (a new adapter, a ttyAMA, ...) takes the lowest number that no
// present port holds and no remembered adapter owns, in order of its device path. So an adapter keeps
// its number across replugs, whatever ttyUSB name it gets, and a bench of identical adapters without
// serial numbers keeps its numbers by socket.

inline constexpr int kLowestPortNumber = 1;
inline constexpr int kHighestPortNumber = 255; // the tool keeps a port number in one byte

// An entry COM<n> of the ports folder and what it leads to.
struct PortLink {
    int portNumber = 0;              // n
    QString targetPath;              // the canonical path the link resolves to
    bool targetIsCharacterDevice = false;
};

// A serial device the system lists.
struct SystemSerialDevice {
    SystemSerialDevice(QString path = {}, QString text = {}, PortIdentity id = {})
        : devicePath(std::move(path)), description(std::move(text)), identity(std::move(id)) {}
    QString devicePath;              // canonical device node, e.g. /dev/ttyUSB0
    QString description;             // e.g. "FT232R USB UART"; may be empty
    PortIdentity identity;
};

// n for an entry named exactly "COM" + n, n written without leading zeros, 1..255; else 0.
int portNumberOfLinkName(const QString& fileName);

struct Numbering {
    QList<NumberedPort> ports;          // in ascending port number
    QList<RememberedAdapter> memory;    // what to remember from now on
};

// Numbers the ports:
//  - every link that leads to a character device is port n (links that lead nowhere, or to
//    anything else, are ignored); its description and identity are the system's for that device;
//  - every system device no link leads to: /dev/ttyS<k> is COM<k+1> unless that number is
//    taken by a link (or is above 255), in which case it joins the other devices;
//  - a USB adapter found in `memory` gets its number, unless a link or a ttyS holds it: matched by
//    vendor:product and serial number when it has one that no other present adapter reports (those
//    that share one are flagged serialShared), otherwise by vendor:product and location;
//  - the other devices, in natural order of their path (ttyUSB2 before ttyUSB10), take the lowest
//    number that no present port holds and no absent remembered adapter owns (when those are all
//    gone, the lowest no present port holds, and its old owner is forgotten); a device for which no
//    number is left is not listed.
// The memory that comes back has the present adapters first (in port number order), then the absent
// ones as they were, at most kRememberedAdapters; it equals `memory` when nothing changed.
Numbering numberPorts(const QList<PortLink>& links, const QList<SystemSerialDevice>& devices,
                      const QList<RememberedAdapter>& memory);


} // namespace platform
