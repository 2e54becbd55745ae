#pragma once
#include "platform/Clock.h"

namespace fakes {

// Time only moves when a test (or a fake that "waits") moves it. Two clocks, as on a real machine:
// the steady one the waits use, and the time of day (from 10:00:00 on 6 Dec 2026, local time) that
// readings and file names show. advance() moves both; setWallClock() moves only the time of day, the
// way midnight, a daylight-saving change or NTP does.
class FakeClock : public platform::Clock {
public:
    explicit FakeClock(double startSeconds = 36000.0);
    double elapsedSeconds() override { return steady_; }
    QDateTime now() override;
    void advance(double seconds);
    void setWallClock(const QDateTime& dateTime);
    // Seconds on the steady clock.
    double exact() const { return steady_; }
    double totalAdvanced() const { return advanced_; }

private:
    double steady_, advanced_ = 0;
    QDateTime wallBase_;
    double wallSeconds_;
};

} // namespace fakes
