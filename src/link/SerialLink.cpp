#include "link/SerialLink.h"

namespace comlink {

namespace {
constexpr double kDrainSeconds = 0.5;
}

SerialLink::SerialLink(platform::SerialPort& port, platform::Clock& clock, platform::EventPump& pump, double& timeOut2)
    : port_(port), clock_(clock), pump_(pump), timeOut2_(timeOut2)
{
}

std::optional<std::uint8_t> SerialLink::OpenCom(std::uint8_t Port)
{
    // An open port is never opened again: that is reported as a failure, like a busy port.
    if (port_.isOpen() || !port_.open(Port))
        return std::nullopt;

    timeOut2_ = clock_.elapsedSeconds() + kDrainSeconds;
    while (clock_.elapsedSeconds() < timeOut2_) {
        port_.readAll();
        if (port_.hasFailed())
            return std::nullopt;
        pump_.processEvents();
        pump_.sleep100ms();
    }
    return Port;
}

} // namespace comlink
