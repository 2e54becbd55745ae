#include "platform/PortIdentity.h"
#include <QJsonObject>
#include <QStringList>

namespace platform {

QString PortIdentity::location() const
{
    if (usbPath.isEmpty() || interfaceNumber <= 0)
        return usbPath;
    return QStringLiteral("%1:1.%2").arg(usbPath).arg(interfaceNumber);
}

QString PortIdentity::vendorProduct() const
{
    return vendorId.isEmpty() ? QString() : vendorId + QLatin1Char(':') + productId;
}

QString PortIdentity::adapterText() const
{
    if (!isUsb())
        return {};
    QStringList parts;
    parts.append(product.isEmpty() ? QStringLiteral("USB serial %1").arg(vendorProduct()) : product);
    if (!serialNumber.isEmpty())
        parts.append(QStringLiteral("serial %1%2").arg(serialNumber, serialShared ? QStringLiteral(" (shared)") : QString()));
    parts.append(QStringLiteral("USB ") + location());
    return parts.join(QStringLiteral(", "));
}

QJsonValue usbJson(const PortIdentity& id)
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

} // namespace platform
