#pragma once
#include "platform/PortListing.h"
#include <QJsonObject>

namespace shell::cli {

// A port as `ports --json` lists it: {"port": "COM3", "path", "description", "usb", "byId", "byPath"},
// "usb" as platform::usbJson gives it.
QJsonObject portJson(const platform::NumberedPort& port);

} // namespace shell::cli
