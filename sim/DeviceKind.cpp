#include "sim/DeviceKind.h"

namespace sim {

std::optional<DeviceKind> parseDeviceKind(const QString& name)
{
    if (name == QLatin1String("qmr51"))
        return DeviceKind::Qmr51;
    if (name == QLatin1String("tika1"))
        return DeviceKind::TikaV1;
    if (name == QLatin1String("tika2"))
        return DeviceKind::TikaV2;
    return std::nullopt;
}

QString deviceKindName(DeviceKind kind)
{
    switch (kind) {
    case DeviceKind::Qmr51:
        return QStringLiteral("QMR51");
    case DeviceKind::TikaV1:
        return QStringLiteral("TIKA V1");
    case DeviceKind::TikaV2:
        return QStringLiteral("TIKA V2");
    }
    return {};
}

} // namespace sim
