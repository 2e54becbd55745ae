#pragma once
#include "platform/Clock.h"

namespace fakes {

// Time only moves when a test (or a fake that "waits") moves it. Wraps at midnight like the real
// clock does.
class FakeClock : public platform::Clock {
public:
    explicit FakeClock(float startSeconds = 36000.0f) : seconds_(startSeconds) {}
    float secondsSinceMidnight() override { return static_cast<float>(seconds_); }
    QDateTime now() override;
    void set(double seconds) { seconds_ = seconds; }
    void advance(double seconds);
    double exact() const { return seconds_; }
    double totalAdvanced() const { return advanced_; }

private:
    double seconds_;
    double advanced_ = 0;
    int dayOffset_ = 0;
};

} // namespace fakes
