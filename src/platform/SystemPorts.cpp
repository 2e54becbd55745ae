#include "platform/SystemPorts.h"
#include "platform/SystemPortListing.h"

namespace platform {

std::unique_ptr<PortListing> systemPortListing(const QString& programFolder)
{
    return std::make_unique<SystemPortListing>(programFolder);
}

} // namespace platform
