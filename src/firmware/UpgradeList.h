#pragma once
#include <QByteArray>
#include <array>
#include <cstdint>
#include <optional>

namespace firmware {

// The firmware server's upgrade list is a binary file; the QMR51's latest firmware version a.b.c.d
// sits in its bytes 41..44 (counting from 1). A list shorter than 92 bytes has not arrived whole.
inline constexpr int kUpgradeListMinBytes = 92;

// The latest version from the list's content; nothing when the content is shorter than 92 bytes.
std::optional<std::array<std::uint8_t, 4>> latestFirmwareVersion(const QByteArray& listContent);

} // namespace firmware
