#include "platform/windows/WindowsPortListing.h"
#include "platform/PortNumbering.h"
#include <QSerialPortInfo>
#include <algorithm>

namespace platform {

QList<NumberedPort> WindowsPortListing::ports()
{
    if (age_.isValid() && age_.elapsed() < kListKeptMs)
        return ports_;
    ports_.clear();
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        // Windows names its ports as the links of the Linux ports folder are named: COM<n>.
        const int number = portNumberOfLinkName(info.portName());
        const bool listed = std::any_of(ports_.cbegin(), ports_.cend(),
                                        [number](const NumberedPort& p) { return p.portNumber == number; });
        if (number != 0 && !listed)
            ports_.append({number, info.portName(), info.description()});
    }
    std::sort(ports_.begin(), ports_.end(),
              [](const NumberedPort& a, const NumberedPort& b) { return a.portNumber < b.portNumber; });
    age_.start();
    return ports_;
}

QString WindowsPortListing::devicePath(int portNumber)
{
    for (const NumberedPort& port : ports()) {
        if (port.portNumber == portNumber)
            return port.devicePath;
    }
    return {};
}

} // namespace platform
