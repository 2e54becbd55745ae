#include "shell/cli/AdapterJson.h"

namespace shell::cli {

QJsonObject portJson(const platform::NumberedPort& port)
{
    return {{QStringLiteral("port"), QStringLiteral("COM%1").arg(port.portNumber)},
            {QStringLiteral("path"), port.devicePath},
            {QStringLiteral("description"), port.description},
            {QStringLiteral("usb"), platform::usbJson(port.identity)},
            {QStringLiteral("byId"), port.identity.byId},
            {QStringLiteral("byPath"), port.identity.byPath}};
}

} // namespace shell::cli
