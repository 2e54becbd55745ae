#pragma once
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/SerialPort.h"
#include <cstdint>

namespace comlink {

// Opening the line to a device.
class SerialLink {
public:
    SerialLink(platform::SerialPort& port, platform::Clock& clock, platform::EventPump& pump, float& timeOut2);

    // Opens COM<Port> with the fixed line settings and throws away whatever the device sends for
    // the first half second (it may still be talking from before). Returns Port, or 99 when
    // anything failed; a port that does not exist fails at once, without the half-second drain.
    std::uint8_t OpenCom(std::uint8_t Port);

private:
    platform::SerialPort& port_;
    platform::Clock& clock_;
    platform::EventPump& pump_;
    float& timeOut2_;
};

} // namespace comlink
