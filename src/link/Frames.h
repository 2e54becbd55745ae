#pragma once
#include <QByteArray>
#include <cstdint>

namespace comlink {

// "*" + command + payload + "#". No length, no checksum, no escaping: the device knows each
// command's payload length.
QByteArray requestFrame(std::uint8_t command, const QByteArray& payload);

// The devices acknowledge with the three bytes "*U#" anywhere in what they send back.
bool containsAcknowledgement(const QByteArray& received);

} // namespace comlink
