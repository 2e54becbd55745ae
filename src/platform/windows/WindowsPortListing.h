#pragma once
#include "platform/PortListing.h"
#include <QElapsedTimer>

namespace platform {

// The machine's serial ports as Windows knows them: its COM ports, COM3 being port 3 (the number
// Device Manager shows). The device path is the port's name, COM3. Ports named otherwise and
// numbers above 255 are not listed: the tool keeps a port number in one byte.
class WindowsPortListing : public PortListing {
public:
    QList<NumberedPort> ports() override;
    QString devicePath(int portNumber) override;

private:
    // Asking Windows for its ports takes a while and a port search asks for every port it tries;
    // the answer is kept for a moment, short enough that an adapter plugged in shows at the next
    // search.
    static constexpr qint64 kListKeptMs = 2000;
    QList<NumberedPort> ports_;
    QElapsedTimer age_;
};

} // namespace platform
