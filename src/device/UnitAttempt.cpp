#include "device/UnitAttempt.h"

namespace device {

QString unitClassName(UnitClass unitClass)
{
    switch (unitClass) {
    case UnitClass::Passed:
        return QStringLiteral("passed");
    case UnitClass::NoDevice:
        return QStringLiteral("no-device");
    case UnitClass::RefusedInput:
        return QStringLiteral("refused-input");
    case UnitClass::Download:
        return QStringLiteral("download");
    case UnitClass::Transfer:
        return QStringLiteral("transfer");
    case UnitClass::Esptool:
        return QStringLiteral("esptool");
    case UnitClass::Version:
        return QStringLiteral("version");
    case UnitClass::Interrupted:
        break;
    }
    return QStringLiteral("interrupted");
}

std::optional<UnitClass> unitClassNamed(const QString& name)
{
    for (UnitClass c : {UnitClass::Passed, UnitClass::NoDevice, UnitClass::RefusedInput, UnitClass::Download,
                        UnitClass::Transfer, UnitClass::Esptool, UnitClass::Version, UnitClass::Interrupted})
        if (unitClassName(c) == name)
            return c;
    return std::nullopt;
}

} // namespace device
