#pragma once
#include "platform/PortListing.h"
#include "platform/PortNumbering.h"

namespace platform {

// The machine's serial ports, numbered as PortNumbering describes: the links COM<n> in
// <programFolder>/ports (but for a demo's leftover links, see DemoLinks.h) and the devices sysfs
// describes (see SysfsPorts.h), with the adapters remembered in <programFolder>/port-numbers.json.
// All are read afresh on every call (32 ports take well under 5 ms), so a link made or removed while
// the tool runs, or an adapter plugged in, shows at the next port search; the memory is written
// only when it changes.
class SystemPortListing : public PortListing {
public:
    explicit SystemPortListing(QString programFolder);

    QList<NumberedPort> ports() override;
    QString devicePath(int portNumber) override;
    QString takeNote() override { return std::exchange(note_, QString()); }

private:
    QList<PortLink> readLinks() const;
    // Keeps a note for the user and tells it on standard error at once (for the command line); the
    // same note again (a folder that cannot be written, listing after listing) is not told twice.
    void tell(const QString& note);

    QString programFolder_;
    QString note_;
    QString told_;
};

} // namespace platform
