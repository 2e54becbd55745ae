#pragma once
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include <chrono>
#include <functional>

namespace shell {

// A wait is over when the clock has reached its deadline, or reads 1.0 s or less: the clock
// counts seconds since midnight, so a deadline set just before midnight is never reached and
// the wrap to zero has to end the wait instead.
inline bool waitIsOver(float nowSeconds, float deadlineSeconds)
{
    return nowSeconds >= deadlineSeconds || nowSeconds <= 1.0f;
}

// Sets deadline := clock + seconds, then handles window events in passes of passLength until the
// wait is over. eachPass, when given, runs after every pass with the seconds still left.
void waitHandlingEvents(platform::Clock& clock, platform::EventPump& pump, float& deadline, float seconds,
                        std::chrono::milliseconds passLength,
                        const std::function<void(float secondsLeft)>& eachPass = {});

} // namespace shell
