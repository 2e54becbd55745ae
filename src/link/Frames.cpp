#include "link/Frames.h"
#include "link/Commands.h"

namespace comlink {

QByteArray requestFrame(std::uint8_t command, const QByteArray& payload)
{
    QByteArray frame;
    frame.reserve(payload.size() + 3);
    frame.append(kFrameStart);
    frame.append(static_cast<char>(command));
    frame.append(payload);
    frame.append(kFrameEnd);
    return frame;
}

bool containsAcknowledgement(const QByteArray& received) { return received.contains("*U#"); }

} // namespace comlink
