#include "link/SerialLink.h"
#include "shell/AppState.h"
#include "shell/Waits.h"

namespace comlink {

namespace {
constexpr float kDrainSeconds = 0.5f;
}

SerialLink::SerialLink(platform::SerialPort& port, platform::Clock& clock, platform::EventPump& pump, float& timeOut2)
    : port_(port), clock_(clock), pump_(pump), timeOut2_(timeOut2)
{
}

std::uint8_t SerialLink::OpenCom(std::uint8_t Port)
{
    // An open port is never opened again: that is reported as a failure, like a busy port.
    if (port_.isOpen() || !port_.open(Port))
        return shell::kConnectFailed;

    timeOut2_ = clock_.secondsSinceMidnight() + kDrainSeconds;
    for (;;) {
        if (shell::waitIsOver(clock_.secondsSinceMidnight(), timeOut2_))
            break;
        port_.readAll();
        if (port_.hasFailed())
            return shell::kConnectFailed;
        pump_.processEvents();
        pump_.sleep100ms();
    }
    return Port;
}

} // namespace comlink
