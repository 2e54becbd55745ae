#pragma once
#include "sim/DeviceProfile.h"
#include <QByteArray>
#include <cstdint>

namespace sim {

// The data and frames a device sends back. Pure functions of the profile.

// Identification data (the answer to 86): firmware a.b.c.d, then for a QMR51 the four settings
// and the serial (16 bytes); for a TIKA the first fourteen settings bytes and the serial (26
// bytes), followed when delays are reported by the four delays and two spare bytes (32 bytes).
QByteArray identificationData(const DeviceProfile& profile);

// Readings data (the answer to 64): a QMR51 sends the thirteen fields as big-endian floats (52
// bytes); a TIKA sends its status byte first (53 bytes), a TIKA V2 its fields as big-endian
// unsigned 32-bit whole numbers (rounded, held within 0 .. 4294967295).
QByteArray readingsData(const DeviceProfile& profile);

// "*", marker, length, data, end byte. The length byte counts the data alone; data longer than
// 255 bytes is cut to 255.
QByteArray standardReply(std::uint8_t marker, const QByteArray& data, char endByte = '#');

// "*E", high and low byte of the data length, data, end byte. For the debug log, which may be
// longer than a standard reply can carry.
QByteArray longReply(const QByteArray& data, char endByte = '#');

// The answer to a frame that needs only a yes or no: "*U#" when taken, "*X#" when refused.
QByteArray acknowledgement(bool taken);

} // namespace sim
