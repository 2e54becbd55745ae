#include "firmware/ui/UpgradeWaits.h"
#include "shell/Waits.h"

namespace firmware {

namespace {
constexpr float kPassSeconds = 0.2f;
// A pause is made of short slices, so it ends close to its deadline whatever the pump's timer
// granularity is.
constexpr std::chrono::milliseconds kSlice{50};
} // namespace

void pauseHandlingEvents(platform::Clock& clock, platform::EventPump& pump, float& deadline, float seconds)
{
    shell::waitHandlingEvents(clock, pump, deadline, seconds, kSlice);
}

bool waitUntil(platform::Clock& clock, platform::EventPump& pump, WaitDeadlines deadlines, float seconds,
               const std::function<bool()>& done, const std::function<void(float)>& eachPass)
{
    deadlines.whole = clock.secondsSinceMidnight() + seconds;
    for (;;) {
        if (done())
            return true;
        if (shell::waitIsOver(clock.secondsSinceMidnight(), deadlines.whole))
            return false;
        pauseHandlingEvents(clock, pump, deadlines.pause, kPassSeconds);
        if (eachPass)
            eachPass(deadlines.whole - clock.secondsSinceMidnight());
    }
}

} // namespace firmware
