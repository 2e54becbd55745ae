#pragma once
#include <QtGlobal>

namespace view {

// The range and ticks of a chart's value axis: whole steps of 1, 2 or 5 times a power of ten, so
// a technician reads "0, 500, 1000, 1500 W" and not "0, 437.5, 875". The range holds every value
// given, with the ends on a tick.
struct AxisScale {
    double low = 0;
    double high = 1;
    double step = 1;
    int tickCount = 2; // ticks including both ends
};

// Scale for the values from low to high (low <= high; swapped otherwise). includeZero stretches
// the range to 0 (power starts at nothing; a counter's total does not). A flat line (low == high)
// gets one step around it; maxTicks >= 2 bounds the number of ticks. Non-finite input gives 0 .. 1.
AxisScale niceAxisScale(double low, double high, int maxTicks, bool includeZero);

// The time axis of a readings chart: ticks on round times of the local clock (every 15 s, 1 min,
// 5 min, 1 h, 6 h, a day, ...), the first at or before the first reading, the last after the newest
// one, at least a minute in all, at most maxTicks ticks. All times in milliseconds since the epoch;
// utcOffsetSeconds is the local clock's offset, so an hour tick reads ":00" on the user's clock.
struct TimeScale {
    qint64 fromMsecs = 0;
    qint64 toMsecs = 0;
    qint64 stepMsecs = 0;
    int tickCount = 2;
};
TimeScale niceTimeScale(qint64 firstMsecs, qint64 lastMsecs, int maxTicks, int utcOffsetSeconds);

} // namespace view
