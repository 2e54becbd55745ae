// Windows has no ports/ folder and no pseudo-terminals: no demo ever left a link there, and the
// demo's number is the lowest one no COM port of the machine has.
#include "platform/DemoLinks.h"
#include "platform/PortNumbering.h"

namespace platform {

QString demoNotePath(const QString& linkPath) { return linkPath + QStringLiteral(".demo"); }

bool writeDemoNote(const QString&, qint64) { return false; }

bool isLeftoverDemoLink(const QString&) { return false; }

int removeLeftoverDemoLinks(const QString&) { return 0; }

int freeDemoPortNumber(const QString&, PortListing& ports)
{
    for (int n = kLowestPortNumber; n <= kHighestPortNumber; ++n) {
        if (ports.devicePath(n).isEmpty())
            return n;
    }
    return 0;
}

} // namespace platform
