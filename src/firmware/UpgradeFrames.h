#pragma once
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace firmware {

// The QMR51 takes its new firmware in 128-byte blocks, each in a command-208 frame, and then one
// command-210 closing frame that carries the block count, the new version and the CRC of the whole
// image. The block number travels in one byte, so an image has at most 255 blocks.
inline constexpr int kBlockBytes = 128;
inline constexpr int kMaxBlocks = 255;
inline constexpr int kDataFrameBytes = 134;
inline constexpr int kClosingFrameBytes = 12;

// The image lengthened at its end with 0x00 bytes to a whole number of 128-byte blocks. An image
// that already is a whole number of blocks (the empty one too) comes back as it is.
QByteArray padToBlocks(const QByteArray& image);

// Number of 128-byte blocks the image fills once padded (130 bytes -> 2).
int blockCount(const QByteArray& image);

// Why this image must not go to the QMR51: it holds no data, or it needs more than 255 blocks.
// Empty when it may be sent.
QString imageRefusal(const QByteArray& image);

// Payload of command 208 for block `block` (numbered from 0): 0x00, block number, 0x00, 0x80,
// the 128 image bytes from block * 128 (zero-padded past the image's end), then CRC16 of those
// first 132 bytes as one block. Empty when the image may not be sent or `block` is not one of it.
QByteArray dataBlockFrame(const QByteArray& image, int block);

// Payload of command 210: 0x00, block count, 0x00, 0x06 (bytes before the frame CRC), version
// a b c d, CRC16 of the whole padded image in 128-byte blocks, then CRC16 of those first 10 bytes
// as one block. The count is always the whole image's, even when a transfer was cancelled early.
// Empty when the image may not be sent.
QByteArray closingFrame(const QByteArray& image, const std::array<std::uint8_t, 4>& version);

} // namespace firmware
