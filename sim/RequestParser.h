#pragma once
#include <QByteArray>
#include <QList>
#include <cstdint>
#include <functional>

namespace sim {

// One request as the tool sends it: "*", command, payload, "#".
struct RequestFrame {
    std::uint8_t command = 0;
    QByteArray payload;
    bool operator==(const RequestFrame&) const = default;
};

// Cuts the received byte stream into request frames, the way the device firmware does: a frame
// has no length of its own, so the payload length comes from the command. Bytes in front of a
// "*" are skipped; a frame with an unknown command or without its closing "#" is dropped from its
// "*" and the search goes on with the next "*".
class RequestParser {
public:
    // Payload length of a command, or -1 for a command the device does not know.
    using PayloadLength = std::function<int(std::uint8_t command)>;

    explicit RequestParser(PayloadLength payloadLength) : payloadLength_(std::move(payloadLength)) {}

    // Takes received bytes; returns the frames they complete, in order of arrival.
    QList<RequestFrame> feed(const QByteArray& bytes);

    // True while part of a frame is waiting for the rest.
    bool hasPartialFrame() const { return !pending_.isEmpty(); }

    // Forgets a half-received frame (the device's receive timeout after a pause on the line).
    void discardPartialFrame() { pending_.clear(); }

private:
    PayloadLength payloadLength_;
    QByteArray pending_;
};

} // namespace sim
