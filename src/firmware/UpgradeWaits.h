#pragma once
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include <functional>

namespace firmware {

// The waits of an upgrade keep the window alive: they handle window events all the time, so the
// progress window repaints and its Cancel button can be clicked. Every wait measures elapsed time
// on the steady clock (deadline := elapsed + interval).

// Where the deadlines live: the session's, so whoever shows a wait's progress can read them.
// `whole` holds the deadline of a whole wait, `pause` the deadline of the 0.2 s pauses inside it.
struct WaitDeadlines {
    double& whole;
    double& pause;
};

// A pause of `seconds` that handles window events; its deadline goes in `deadline`.
void pauseHandlingEvents(platform::Clock& clock, platform::EventPump& pump, double& deadline, double seconds);

// Waits until done() says so or `seconds` have passed. done() is asked before every pass; a pass
// is a 0.2 s pause (deadline in deadlines.pause) followed by eachPass(seconds left of the whole
// wait). True when done() ended the wait, false when the time ran out.
bool waitUntil(platform::Clock& clock, platform::EventPump& pump, WaitDeadlines deadlines, double seconds,
               const std::function<bool()>& done, const std::function<void(double secondsLeft)>& eachPass = {});

} // namespace firmware
