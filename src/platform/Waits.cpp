#include "platform/Waits.h"
#include <algorithm>

namespace platform {

void waitHandlingEvents(Clock& clock, EventPump& pump, double& deadline, double seconds,
                        std::chrono::milliseconds passLength, const std::function<void(double)>& eachPass)
{
    deadline = clock.elapsedSeconds() + seconds;
    while (clock.elapsedSeconds() < deadline) {
        pump.pause(passLength);
        if (eachPass)
            eachPass(std::max(0.0, deadline - clock.elapsedSeconds()));
    }
}

} // namespace platform
