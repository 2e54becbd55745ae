#include "device/Captions.h"

namespace device {

namespace {
QString versionOfTool() { return QString::number(kVersionMajor) + '.' + QString::number(kVersionRevision); }
}

QString startCaption() { return QStringLiteral("QMR51-TIKA V") + versionOfTool(); }

QString closedCaption() { return startCaption() + QStringLiteral(" ----"); }

QString versionText(const std::array<std::uint8_t, 4>& v)
{
    return QStringLiteral("%1.%2.%3.%4").arg(v[0]).arg(v[1]).arg(v[2]).arg(v[3]);
}

QString connectedCaption(const QByteArray& serial, int port, device::DeviceKind kind,
                         const std::array<std::uint8_t, 4>& firmware)
{
    // Latin-1 maps every byte to the character with the same code, so nothing of the serial is lost.
    return QStringLiteral("Visualizer V") + versionOfTool() + QStringLiteral(" s/n:") + QString::fromLatin1(serial)
        + QStringLiteral(" Listening to COM") + QString::number(port) + ' ' + device::displayName(kind) + QStringLiteral(" FW V")
        + versionText(firmware);
}

} // namespace device
