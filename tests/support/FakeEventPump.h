#pragma once
#include "FakeClock.h"
#include "platform/EventPump.h"
#include <functional>

namespace fakes {

// Counts the event passes a handler lets through and moves the fake clock for every sleep or
// pause. onEvents runs at each pass: a test puts there what "the user did meanwhile".
class FakeEventPump : public platform::EventPump {
public:
    explicit FakeEventPump(FakeClock& clock) : clock_(clock) {}
    void processEvents() override { ++passes; if (onEvents) onEvents(); }
    void sleep100ms() override { clock_.advance(0.1); }
    void pause(std::chrono::milliseconds d) override
    {
        clock_.advance(d.count() / 1000.0);
        processEvents();
    }
    int passes = 0;
    std::function<void()> onEvents;

private:
    FakeClock& clock_;
};

} // namespace fakes
