#include "firmware/UpgradeWaits.h"
#include "platform/Waits.h"
#include <algorithm>

namespace firmware {

namespace {
constexpr double kPassSeconds = 0.2;
// A pause is made of short slices, so it ends close to its deadline whatever the pump's timer
// granularity is.
constexpr std::chrono::milliseconds kSlice{50};
} // namespace

void pauseHandlingEvents(platform::Clock& clock, platform::EventPump& pump, double& deadline, double seconds)
{
    platform::waitHandlingEvents(clock, pump, deadline, seconds, kSlice);
}

bool waitUntil(platform::Clock& clock, platform::EventPump& pump, WaitDeadlines deadlines, double seconds,
               const std::function<bool()>& done, const std::function<void(double)>& eachPass)
{
    deadlines.whole = clock.elapsedSeconds() + seconds;
    for (;;) {
        if (done())
            return true;
        if (clock.elapsedSeconds() >= deadlines.whole)
            return false;
        pauseHandlingEvents(clock, pump, deadlines.pause, kPassSeconds);
        if (eachPass)
            eachPass(std::max(0.0, deadlines.whole - clock.elapsedSeconds()));
    }
}

} // namespace firmware
