#pragma once
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include <chrono>
#include <functional>

namespace platform {

// Sets deadline := elapsed + seconds on the steady clock, then handles window events in passes of
// passLength until the deadline has passed. eachPass, when given, runs after every pass with the
// seconds still left (never below zero). The deadline lives in the caller's field so that whoever
// shows a wait's progress can read it.
void waitHandlingEvents(Clock& clock, EventPump& pump, double& deadline, double seconds,
                        std::chrono::milliseconds passLength,
                        const std::function<void(double secondsLeft)>& eachPass = {});

} // namespace platform
