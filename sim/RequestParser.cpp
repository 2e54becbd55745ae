#include "sim/RequestParser.h"

namespace sim {

QList<RequestFrame> RequestParser::feed(const QByteArray& bytes)
{
    pending_.append(bytes);
    QList<RequestFrame> frames;
    for (;;) {
        const qsizetype start = pending_.indexOf('*');
        if (start < 0) {
            pending_.clear();
            break;
        }
        pending_.remove(0, start);
        if (pending_.size() < 2)
            break;
        const auto command = static_cast<std::uint8_t>(pending_.at(1));
        const int length = payloadLength_(command);
        if (length < 0) {
            pending_.remove(0, 1);
            continue;
        }
        if (pending_.size() < length + 3)
            break;
        if (pending_.at(length + 2) != '#') {
            pending_.remove(0, 1);
            continue;
        }
        frames.append({command, pending_.mid(2, length)});
        pending_.remove(0, length + 3);
    }
    return frames;
}

} // namespace sim
