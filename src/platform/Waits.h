#pragma once
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include <chrono>
#include <functional>

namespace platform {

// The waits of a flow that must keep the window alive: each handles the events of the thread it
// runs on all the time, so a progress window repaints and its Cancel can be clicked. Time is
// measured on the steady clock, so a wall clock set back or forward never stretches a wait.
class Waiting {
public:
    Waiting(Clock& clock, EventPump& pump) : clock_(clock), pump_(pump) {}

    double elapsedSeconds() const { return clock_.elapsedSeconds(); }
    // Handles what is pending once.
    void processEvents() { pump_.processEvents(); }
    // A pause of `seconds`, made of short slices so it ends close to its end whatever the pump's
    // timer granularity is.
    void pause(double seconds);
    // Waits `seconds` in passes of passLength; eachPass, when given, runs after every pass with the
    // seconds still left (never below zero).
    void countDown(double seconds, std::chrono::milliseconds passLength,
                   const std::function<void(double secondsLeft)>& eachPass = {});
    // Waits until done() says so or `seconds` have passed. done() is asked before every pass; a
    // pass is a 0.2 s pause followed by eachPass(seconds left). True when done() ended the wait,
    // false when the time ran out.
    bool until(double seconds, const std::function<bool()>& done,
               const std::function<void(double secondsLeft)>& eachPass = {});

private:
    Clock& clock_;
    EventPump& pump_;
};

} // namespace platform
