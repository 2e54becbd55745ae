#include "device/DeviceKind.h"
#include <array>

namespace device {

namespace {
constexpr std::array<DeviceKind, 3> kKinds{DeviceKind::Qmr51, DeviceKind::TikaV1, DeviceKind::TikaV2};
}

QString displayName(DeviceKind kind)
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

std::optional<DeviceKind> kindNamed(const QString& name)
{
    for (const DeviceKind kind : kKinds) {
        if (displayName(kind) == name)
            return kind;
    }
    return std::nullopt;
}

} // namespace device
