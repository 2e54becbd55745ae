#pragma once
#include "platform/PortListing.h"
#include <QList>
#include <QString>

namespace platform {

// How the machine's serial devices get the COM numbers the tool and its users know them by.
//
// A technician can give a device a fixed number with a link <program folder>/ports/COM<n> to its
// device node (the simulator makes such links too). Every other serial device the system lists
// is numbered automatically: /dev/ttyS<k> is COM<k+1>, as the first on-board port is COM1 on the
// machines these devices grew up with; every other device (ttyUSB, ttyACM, ...) takes the lowest
// number still free, in order of its device path.

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
    QString devicePath;              // canonical device node, e.g. /dev/ttyUSB0
    QString description;             // e.g. "FT232R USB UART"; may be empty
};

// n for an entry named exactly "COM" + n, n written without leading zeros, 1..255; else 0.
int portNumberOfLinkName(const QString& fileName);

// Numbers the ports:
//  - every link that leads to a character device is port n (links that lead nowhere, or to
//    anything else, are ignored); its description is the system's for that device, if listed;
//  - every system device no link leads to: /dev/ttyS<k> is COM<k+1> unless that number is
//    taken by a link (or is above 255), in which case it joins the other devices;
//  - the other devices, in natural order of their path (ttyUSB2 before ttyUSB10), take the
//    lowest numbers still free; a device for which no number is left is not listed.
// Result in ascending port number.
QList<NumberedPort> numberPorts(const QList<PortLink>& links, const QList<SystemSerialDevice>& devices);


} // namespace platform
