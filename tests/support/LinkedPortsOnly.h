#pragma once
#include "platform/SystemPortListing.h"

namespace fakes {

// Lists only the devices behind ports/ links: the machine's own serial ports (a VM's ttyS0..3)
// would make a search slow and its result depend on the machine.
class LinkedPortsOnly : public platform::PortListing {
public:
    explicit LinkedPortsOnly(const QString& folder) : system_(folder) {}
    QList<platform::NumberedPort> ports() override
    {
        QList<platform::NumberedPort> found = system_.ports();
        found.removeIf([](const platform::NumberedPort& p) { return !p.devicePath.startsWith(QLatin1String("/dev/pts/")); });
        return found;
    }
    QString devicePath(int portNumber) override { return system_.devicePath(portNumber); }

private:
    platform::SystemPortListing system_;
};

} // namespace fakes
