#include "link/SerialLink.h"

namespace comlink {

namespace {
constexpr double kDrainSeconds = 0.5;
}

SerialLink::SerialLink(platform::SerialPort& port, platform::Clock& clock, platform::EventPump& pump, double& drainDeadline)
    : port_(port), clock_(clock), pump_(pump), drainDeadline_(drainDeadline)
{
}

std::optional<std::uint8_t> SerialLink::open(std::uint8_t portNumber)
{
    // An open port is never opened again: that is reported as a failure, like a busy port.
    if (port_.isOpen() || !port_.open(portNumber))
        return std::nullopt;

    drainDeadline_ = clock_.elapsedSeconds() + kDrainSeconds;
    while (clock_.elapsedSeconds() < drainDeadline_) {
        port_.readAll();
        if (port_.hasFailed())
            return std::nullopt;
        pump_.processEvents();
        pump_.sleep100ms();
    }
    return portNumber;
}

} // namespace comlink
