#pragma once
#include <QByteArray>
#include <cstdint>

namespace firmware {

// The 16-bit CRC that protects every frame of a QMR51 firmware transfer and the image as a whole.
// The QMR51 boot loader checks the same value, so every detail below is fixed by the device.

// One byte into the register: reflected polynomial 0x8408 (x^16 + x^12 + x^5 + 1), least
// significant bit of b first.
std::uint16_t CRC16Update(std::uint16_t R, std::uint8_t b);

// The register starts at 0xFFFF and runs over Data in consecutive blocks of BlokLen bytes. After
// each block it is closed: XOR 0xFFFF, then its two bytes exchanged; that value is where the next
// block starts (it is not restarted). Returns the final register high byte first, two bytes.
// For a single block this is the published CRC-16/X-25 sent low byte first ("123456789" with
// BlokLen 9 gives 0x6E 0x90). An empty Data gives 0xFF 0xFF.
// Refused, with an EMPTY QByteArray as the answer: BlokLen <= 0 or above 32767, a Data length that
// is not a whole multiple of BlokLen, or a Data longer than 32767 bytes (the boot loader counts
// positions in signed 16 bits: at most 255 blocks of 128 bytes).
QByteArray CRC16(const QByteArray& Data, int BlokLen);

inline constexpr int kMaxCrcDataBytes = 32767;

} // namespace firmware
