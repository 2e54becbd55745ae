#pragma once
#include "platform/PortListing.h"
#include <QString>
#include <memory>

namespace platform {

// The machine's serial ports, numbered the way this system's users know them: on Linux the
// COM<n> links in <programFolder>/ports and the devices the system lists (SystemPortListing); on
// Windows the system's own COM ports, COM3 being port 3 (programFolder is not used there).
std::unique_ptr<PortListing> systemPortListing(const QString& programFolder);

} // namespace platform
