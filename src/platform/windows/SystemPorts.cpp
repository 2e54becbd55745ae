#include "platform/SystemPorts.h"
#include "platform/windows/WindowsPortListing.h"

namespace platform {

std::unique_ptr<PortListing> systemPortListing(const QString&)
{
    return std::make_unique<WindowsPortListing>();
}

} // namespace platform
