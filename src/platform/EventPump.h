#pragma once
#include <chrono>

namespace platform {

// The window keeps working while a handler waits only where that handler lets pending events
// through. These are the points where it does.
class EventPump {
public:
    virtual ~EventPump() = default;
    // Handles every pending window event once and returns.
    virtual void processEvents() = 0;
    // Sleeps 100 ms without handling events (the pace of the port drain).
    virtual void sleep100ms() = 0;
    // Handles window events as they come for about the given time, then returns.
    virtual void pause(std::chrono::milliseconds duration) = 0;
};

} // namespace platform
