#pragma once
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/SerialPort.h"
#include <cstdint>
#include <optional>

namespace comlink {

// Opening the line to a device.
class SerialLink {
public:
    SerialLink(platform::SerialPort& port, platform::Clock& clock, platform::EventPump& pump, double& drainDeadline);

    // Opens COM<portNumber> with the fixed line settings and throws away whatever the device sends for
    // the first half second (it may still be talking from before). Returns portNumber, or nothing when
    // anything failed; a port that does not exist fails at once, without the half-second drain.
    std::optional<std::uint8_t> open(std::uint8_t portNumber);

private:
    platform::SerialPort& port_;
    platform::Clock& clock_;
    platform::EventPump& pump_;
    double& drainDeadline_;
};

} // namespace comlink
