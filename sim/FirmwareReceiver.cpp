#include "sim/FirmwareReceiver.h"
#include "sim/BootLoaderCrc.h"
#include <utility>

namespace sim {

namespace {
constexpr int kImageBytesPerBlock = 128;
constexpr int kBlockCrcOffset = 132;
constexpr int kClosingCrcOffset = 10;
constexpr int kClosingLengthByte = 6;

std::uint8_t byteAt(const QByteArray& bytes, int i) { return static_cast<std::uint8_t>(bytes.at(i)); }

// The CRC at the end of a frame matches the bytes in front of it, taken as one block.
bool frameCrcMatches(const QByteArray& payload, int crcOffset)
{
    return BootLoaderCrc::of(payload.left(crcOffset), crcOffset) == payload.mid(crcOffset, 2);
}
} // namespace

bool FirmwareReceiver::takeFault(QMap<int, int>& faults, int number)
{
    auto it = faults.find(number);
    if (it == faults.end() || it.value() <= 0)
        return false;
    --it.value();
    return true;
}

FirmwareReceiver::Verdict FirmwareReceiver::takeBlock(const QByteArray& received)
{
    if (received.size() != kBlockPayloadBytes)
        return Verdict::Ignore;
    const int number = byteAt(received, 1);
    if (takeFault(faults_.dropBlock, number))
        return Verdict::Ignore;
    QByteArray payload = received;
    if (takeFault(faults_.corruptBlock, number))
        payload[4 + number % kImageBytesPerBlock] = static_cast<char>(payload.at(4 + number % kImageBytesPerBlock) ^ 0x10);
    if (!frameCrcMatches(payload, kBlockCrcOffset))
        return Verdict::Ignore;
    if (byteAt(payload, 0) != 0 || byteAt(payload, 2) != 0 || byteAt(payload, 3) != kImageBytesPerBlock)
        return Verdict::Refuse;
    blocks_.insert(number, payload.mid(4, kImageBytesPerBlock));
    return Verdict::Acknowledge;
}

FirmwareReceiver::Verdict FirmwareReceiver::takeClosingFrame(const QByteArray& received)
{
    if (received.size() != kClosingPayloadBytes)
        return Verdict::Ignore;
    QByteArray payload = received;
    if (faults_.corruptClosing > 0) {
        --faults_.corruptClosing;
        payload[1] = static_cast<char>(payload.at(1) ^ 0x01);
    }
    if (!frameCrcMatches(payload, kClosingCrcOffset))
        return Verdict::Ignore;
    if (byteAt(payload, 0) != 0 || byteAt(payload, 2) != 0 || byteAt(payload, 3) != kClosingLengthByte)
        return Verdict::Refuse;
    const int count = byteAt(payload, 1);
    blockCount_ = count;
    version_ = payload.mid(4, 4);

    QByteArray image;
    for (int block = 0; block < count; ++block) {
        if (!blocks_.contains(block))
            return Verdict::Refuse; // the image is not whole: the old firmware stays
        image += blocks_.value(block);
    }
    if (count == 0 || BootLoaderCrc::of(image, kImageBytesPerBlock) != payload.mid(8, 2))
        return Verdict::Refuse;
    installed_ = image;
    blocks_.clear();
    restart_ = true;
    return Verdict::Acknowledge;
}

} // namespace sim
