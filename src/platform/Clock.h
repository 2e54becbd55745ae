#pragma once
#include <QDateTime>

namespace platform {

// Every wait of the tool is measured against the time of day: a deadline is "now + interval"
// in seconds since local midnight, and a wait also ends when the clock reads 1.0 s or less, so
// nothing hangs across midnight when the count starts again from zero.
class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since local midnight, single precision, 0 .. 86400.
    virtual float secondsSinceMidnight() = 0;
    // Local date and time, for the readings grid and file names.
    virtual QDateTime now() = 0;
};

} // namespace platform
