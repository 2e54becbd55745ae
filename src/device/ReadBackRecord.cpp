#include "device/ReadBackRecord.h"
#include "device/SettingsLimits.h"
#include <algorithm>

namespace device {

namespace {

int clampInto(int value, SettingRange range) { return std::clamp(value, range.minimum, range.maximum); }

void readOutput(const QByteArray& reply, int i, SettingsRecord& record)
{
    const auto k = static_cast<std::size_t>(i);
    const TikaOutputBytes out = tikaOutputBytes(reply, i);
    record.divider[k] = std::max(dividerShown(out.divider, kDividerRange.maximum), kDividerRange.minimum);
    if (out.function >= kOutputFunctionCount)
        return; // shown as the first function; the rest of the output keeps its start values
    record.outputFunction[k] = out.function;
    record.powerLevelW[k] = powerLevelShown(out.powerLevelW, kPowerLevelRangeW.maximum);
    record.powerDiffW[k] = powerDiffShown(out.powerDiffW, powerDiffUpperBound(out.function, record.powerLevelW[k]));
    if (out.hasDelays) {
        record.delayMinutes[2 * k] = delayShown(out.delayOnMinutes, kDelayRangeMinutes.maximum);
        record.delayMinutes[2 * k + 1] = delayShown(out.delayOffMinutes, kDelayRangeMinutes.maximum);
    }
}

} // namespace

SettingsRecord readBackRecord(const QByteArray& reply, DeviceKind kind)
{
    SettingsRecord record;
    if (!isTika(kind)) {
        const QmrReadBack fields = qmrReadBack(reply);
        record.intervalSeconds = clampInto(fields.intervalSeconds, kIntervalRangeSeconds);
        record.protocolPosition = fields.protocolPosition;
        record.divider[0] = clampInto(fields.divider, kDividerRange);
        return record;
    }
    record.intervalSeconds = kTikaIntervalSeconds;
    record.protocolPosition = tikaProtocolPositionOf(reply);
    record.modbusAddress = tikaModbusAddress(reply);
    readOutput(reply, 0, record);
    readOutput(reply, 1, record);
    return record;
}

} // namespace device
