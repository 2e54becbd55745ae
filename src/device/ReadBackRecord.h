#pragma once
#include "device/DeviceKind.h"
#include "device/SettingsRecord.h"
#include <QByteArray>

namespace device {

// The settings a freshly opened window shows after connecting to a device, read from the device's
// identification reply (data first, accepted by identifyDevice) by the read-back rules with the
// editor's bounds (SettingsLimits): an interval outside 5 ... 60 s moves to the nearer bound, a
// divider above 200 reads 1 on a TIKA (200 on a QMR51) and 0 reads 1, a power level or delay above
// its bound reads the bound, a "not set" difference reads 100 W, and an output function the tool does
// not know reads "Import High" and leaves that output's other values at their start values. Sending
// this record back unchanged gives the device what the window would send.
SettingsRecord readBackRecord(const QByteArray& reply, DeviceKind kind);

} // namespace device
