#include "shell/Waits.h"

namespace shell {

void waitHandlingEvents(platform::Clock& clock, platform::EventPump& pump, float& deadline, float seconds,
                        std::chrono::milliseconds passLength, const std::function<void(float)>& eachPass)
{
    deadline = clock.secondsSinceMidnight() + seconds;
    for (;;) {
        const float now = clock.secondsSinceMidnight();
        if (waitIsOver(now, deadline))
            return;
        pump.pause(passLength);
        if (eachPass)
            eachPass(deadline - clock.secondsSinceMidnight());
    }
}

} // namespace shell
