#pragma once
#include "platform/PortListing.h"
#include "platform/PortNumbering.h"

namespace platform {

// The machine's serial ports, numbered as PortNumbering describes: the links COM<n> in
// <programFolder>/ports and the devices Qt's serial-port listing reports. Both are read afresh
// on every call, so a link made or removed while the tool runs (or an adapter plugged in) shows
// at the next port search.
class SystemPortListing : public PortListing {
public:
    explicit SystemPortListing(QString programFolder);

    QStringList deviceNames() override;
    QString devicePath(int portNumber) override;

private:
    QList<NumberedPort> currentPorts() const;
    QList<PortLink> readLinks() const;

    QString programFolder_;
};

} // namespace platform
