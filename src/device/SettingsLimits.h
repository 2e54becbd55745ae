#pragma once
#include "device/DeviceKind.h"
#include "device/SettingsRecord.h"
#include <QStringList>

namespace device {

// What the settings editor lets a user give each setting: the bounds and start values of its
// controls as the window opens. The window sets its controls up with them, and qmr51ctl refuses
// values outside them.
struct SettingRange {
    int minimum;
    int maximum;
    bool contains(int value) const { return value >= minimum && value <= maximum; }
};

inline constexpr SettingRange kPowerLevelRangeW{0, 32767};
// The maximum of a difference is lower for most functions: see powerDiffUpperBound.
inline constexpr SettingRange kPowerDiffRangeW{0, kMaxPowerDiffW};
inline constexpr SettingRange kDelayRangeMinutes{0, 250};
// A divider of 0 would divide by zero in the module.
inline constexpr SettingRange kDividerRange{1, 200};
// 0 means no Modbus address ("n/a").
inline constexpr SettingRange kModbusAddressRange{0, 255};
// The QMR51 refresh interval moves in steps of 5 seconds.
inline constexpr SettingRange kIntervalRangeSeconds{5, 60};
inline constexpr int kIntervalStepSeconds = 5;

inline constexpr int kDividerStart = 10;
inline constexpr int kModbusAddressStart = 1;
inline constexpr int kIntervalStartSeconds = 60;
// A TIKA module keeps no interval; the window polls it every 5 s.
inline constexpr int kTikaIntervalSeconds = 5;

// True for the two functions whose output switches on a power level: "Import Power >" and
// "Export Power >". Only they use the level, the difference and the two delays of the output.
inline bool usesPowerSettings(int function)
{
    return function >= kOutputFunctionCount - 2 && function < kOutputFunctionCount;
}

// The DSMR protocol list as the window fills it at connect; a record's protocolPosition is a
// position in it. A QMR51 takes the first four, a TIKA module all six.
inline constexpr int kQmrProtocolCount = 4;
inline QStringList protocolNames(DeviceKind kind)
{
    QStringList names{QStringLiteral("2.0 (NL)"), QStringLiteral("4.0 (NL)"), QStringLiteral("5.0 (NL)"),
                      QStringLiteral("BE")};
    if (isTika(kind))
        names << QStringLiteral("DK") << QStringLiteral("A1");
    return names;
}

} // namespace device
