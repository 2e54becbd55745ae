#include "shell/cli/AdapterJson.h"

namespace shell::cli {

QJsonValue usbJson(const platform::PortIdentity& id)
{
    if (!id.isUsb())
        return QJsonValue::Null;
    return QJsonObject{{QStringLiteral("vendorId"), id.vendorId},
                       {QStringLiteral("productId"), id.productId},
                       {QStringLiteral("manufacturer"), id.manufacturer},
                       {QStringLiteral("product"), id.product},
                       {QStringLiteral("serial"), id.serialNumber},
                       {QStringLiteral("location"), id.location()},
                       {QStringLiteral("serialShared"), id.serialShared}};
}

QJsonObject portJson(const platform::NumberedPort& port)
{
    return {{QStringLiteral("port"), QStringLiteral("COM%1").arg(port.portNumber)},
            {QStringLiteral("path"), port.devicePath},
            {QStringLiteral("description"), port.description},
            {QStringLiteral("usb"), usbJson(port.identity)},
            {QStringLiteral("byId"), port.identity.byId},
            {QStringLiteral("byPath"), port.identity.byPath}};
}

} // namespace shell::cli
