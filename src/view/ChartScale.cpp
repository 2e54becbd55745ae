#include "view/ChartScale.h"
#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

namespace view {

namespace {

// The smallest of 1, 2, 5 times a power of ten that is at least `rough`.
double niceStep(double rough)
{
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        if (factor * magnitude >= rough * (1 - 1e-12))
            return factor * magnitude;
    }
    return 10.0 * magnitude;
}

} // namespace

AxisScale niceAxisScale(double low, double high, int maxTicks, bool includeZero)
{
    if (!std::isfinite(low) || !std::isfinite(high))
        return {};
    if (low > high)
        std::swap(low, high);
    if (includeZero) {
        low = std::min(low, 0.0);
        high = std::max(high, 0.0);
    }
    maxTicks = std::max(2, maxTicks);
    if (high == low) {
        // A flat line sits in the middle of a band one unit of its own size wide.
        const double half = low == 0 ? 1.0 : niceStep(std::abs(low) / 10);
        high += half;
        if (!includeZero || low != 0)
            low -= half;
    }
    AxisScale scale;
    scale.step = niceStep((high - low) / (maxTicks - 1));
    for (;;) {
        scale.low = std::floor(low / scale.step) * scale.step;
        scale.high = std::ceil(high / scale.step) * scale.step;
        scale.tickCount = static_cast<int>(std::lround((scale.high - scale.low) / scale.step)) + 1;
        if (scale.tickCount <= maxTicks)
            break;
        // Rounding both ends out can cost one tick too many: take the next larger step.
        scale.step = niceStep(scale.step * 1.5);
    }
    // -0 would show as "-0" on the axis.
    if (scale.low == 0)
        scale.low = 0;
    return scale;
}

namespace {

constexpr qint64 kSecond = 1000;
constexpr qint64 kMinute = 60 * kSecond;
constexpr qint64 kHour = 60 * kMinute;
constexpr qint64 kDay = 24 * kHour;
// Steps a clock is read in.
constexpr qint64 kTimeSteps[] = {15 * kSecond, 30 * kSecond, kMinute,     2 * kMinute, 5 * kMinute, 10 * kMinute,
                                 15 * kMinute, 30 * kMinute, kHour,       2 * kHour,   3 * kHour,   6 * kHour,
                                 12 * kHour,   kDay,         2 * kDay,    7 * kDay,    14 * kDay,   28 * kDay};
constexpr qint64 kShortestAxis = kMinute;

// Floor and ceiling to a multiple of step on the local clock.
qint64 floorTo(qint64 t, qint64 step, qint64 offset)
{
    const qint64 local = t + offset;
    qint64 q = local / step;
    if (local % step != 0 && local < 0)
        --q;
    return q * step - offset;
}

} // namespace

TimeScale niceTimeScale(qint64 firstMsecs, qint64 lastMsecs, int maxTicks, int utcOffsetSeconds)
{
    if (lastMsecs < firstMsecs)
        std::swap(firstMsecs, lastMsecs);
    maxTicks = std::max(2, maxTicks);
    const qint64 offset = static_cast<qint64>(utcOffsetSeconds) * kSecond;
    TimeScale scale;
    qint64 step = 0;
    for (size_t i = 0;; ++i) {
        // The listed steps, then doubling for logs of months.
        step = i < std::size(kTimeSteps) ? kTimeSteps[i] : step * 2;
        scale.stepMsecs = step;
        scale.fromMsecs = floorTo(firstMsecs, step, offset);
        // Strictly after the newest reading: the next readings fall inside for a while.
        scale.toMsecs = floorTo(lastMsecs, step, offset) + step;
        if (scale.toMsecs - scale.fromMsecs < kShortestAxis)
            scale.toMsecs = scale.fromMsecs + (kShortestAxis + step - 1) / step * step;
        const qint64 ticks = (scale.toMsecs - scale.fromMsecs) / step + 1;
        if (ticks <= maxTicks) {
            scale.tickCount = static_cast<int>(ticks);
            return scale;
        }
    }
}

} // namespace view
