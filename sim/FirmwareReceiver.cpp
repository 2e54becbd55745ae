#include "sim/FirmwareReceiver.h"

namespace sim {

namespace {
constexpr int kImageBytesPerBlock = 128;
}

bool FirmwareReceiver::takeBlock(const QByteArray& payload)
{
    if (payload.size() != kBlockPayloadBytes)
        return false;
    const int number = static_cast<std::uint8_t>(payload.at(1));
    blocks_.insert(number, payload.mid(4, kImageBytesPerBlock));
    return true;
}

bool FirmwareReceiver::takeClosingFrame(const QByteArray& payload)
{
    if (payload.size() != kClosingPayloadBytes)
        return false;
    blockCount_ = static_cast<std::uint8_t>(payload.at(1));
    version_ = payload.mid(4, 4);
    return true;
}

} // namespace sim
