#include "platform/PortIdentity.h"
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

} // namespace platform
