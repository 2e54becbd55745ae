#include "platform/Waits.h"
#include <algorithm>

namespace platform {

namespace {
constexpr double kPassSeconds = 0.2;
constexpr std::chrono::milliseconds kSlice{50};
} // namespace

void Waiting::countDown(double seconds, std::chrono::milliseconds passLength,
                        const std::function<void(double)>& eachPass)
{
    const double end = clock_.elapsedSeconds() + seconds;
    while (clock_.elapsedSeconds() < end) {
        pump_.pause(passLength);
        if (eachPass)
            eachPass(std::max(0.0, end - clock_.elapsedSeconds()));
    }
}

void Waiting::pause(double seconds) { countDown(seconds, kSlice); }

bool Waiting::until(double seconds, const std::function<bool()>& done, const std::function<void(double)>& eachPass)
{
    const double end = clock_.elapsedSeconds() + seconds;
    for (;;) {
        if (done())
            return true;
        if (clock_.elapsedSeconds() >= end)
            return false;
        pause(kPassSeconds);
        if (eachPass)
            eachPass(std::max(0.0, end - clock_.elapsedSeconds()));
    }
}

} // namespace platform
