#pragma once
#include "platform/PortListing.h"
#include <QJsonObject>
#include <QJsonValue>

namespace shell::cli {

// The adapter behind a port for --json: {"vendorId", "productId", "manufacturer", "product",
// "serial", "location", "serialShared"}, or null for a port that is not USB.
QJsonValue usbJson(const platform::PortIdentity& id);

// A port as `ports --json` lists it: {"port": "COM3", "path", "description", "usb", "byId", "byPath"}.
QJsonObject portJson(const platform::NumberedPort& port);

} // namespace shell::cli
