#pragma once
#include <QDateTime>

namespace platform {

// Every wait of the tool measures elapsed time on a steady clock: deadline := elapsed + interval.
// That clock never jumps, so a wait lasts what it says across midnight, when daylight-saving time
// ends and an hour repeats, and when NTP steps the time of day. The time of day is only for what a
// user reads (grid rows, file names).
class Clock {
public:
    virtual ~Clock() = default;
    // Seconds on a steady clock since an arbitrary start; only differences mean anything.
    virtual double elapsedSeconds() = 0;
    // Local date and time, for the readings grid and file names.
    virtual QDateTime now() = 0;
};

} // namespace platform
