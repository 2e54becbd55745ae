#pragma once
#include <QElapsedTimer>
#include "platform/PortListing.h"
#include "platform/PortNumbering.h"

namespace platform {

// The machine's serial ports, numbered as PortNumbering describes: the links COM<n> in
// <programFolder>/ports (but for a demo's leftover links, see DemoLinks.h) and the devices Qt's
// serial-port listing reports. Both are read afresh on every call, so a link made or removed while
// the tool runs (or an adapter plugged in) shows at the next port search.
class SystemPortListing : public PortListing {
public:
    explicit SystemPortListing(QString programFolder);

    QList<NumberedPort> ports() override;
    QString devicePath(int portNumber) override;

private:
    QList<PortLink> readLinks() const;
    const QList<SystemSerialDevice>& systemDevices();

    // Asking the system for its serial devices takes about 15 ms; a port search asks for every
    // port it tries. The answer is kept for a moment, short enough that an adapter plugged in
    // shows at the next search.
    static constexpr qint64 kSystemListKeptMs = 2000;
    QList<SystemSerialDevice> systemDevices_;
    QElapsedTimer systemDevicesAge_;

    QString programFolder_;
};

} // namespace platform
