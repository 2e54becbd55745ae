// The frames of a QMR51 upgrade, made from any image: empty, one byte, a whole number of blocks,
// just over the 255 blocks the device takes. What goes out is either nothing (a refused image) or
// 134-byte block frames and one 12-byte closing frame with right CRCs, never a frame that reads
// past the image.
//
// Input: bytes 0-1 give the image length (0 ... 39999, so images past 255 blocks are reached),
// byte 2 a block number to ask for, bytes 3-6 the version for the closing frame; the rest,
// repeated to the length, is the image (0xFF when there is no rest, like unwritten flash).
#include "FuzzCheck.h"
#include "UpgradeFrameChecks.h"

namespace {
constexpr int kLongestImage = 40000;
constexpr int kHeaderBytes = 7;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < kHeaderBytes)
        return 0;
    const int length = ((data[0] << 8) | data[1]) % kLongestImage;
    const int askedBlock = data[2];
    const std::array<std::uint8_t, 4> version{data[3], data[4], data[5], data[6]};
    const QByteArray pattern = fuzzing::bytesOf(data + kHeaderBytes, size - kHeaderBytes);

    QByteArray image;
    if (pattern.isEmpty()) {
        image = QByteArray(length, '\xFF');
    } else {
        image = pattern.repeated((length + pattern.size() - 1) / pattern.size()).left(length);
    }
    const int lastBlock = static_cast<int>((image.size() + 127) / 128) - 1;
    fuzzing::checkUpgradeFrames(image, version, {-1, 0, askedBlock, lastBlock, lastBlock + 1});
    return 0;
}
