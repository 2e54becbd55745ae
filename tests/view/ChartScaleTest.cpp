#include "view/ChartScale.h"
#include <gtest/gtest.h>
#include <limits>

namespace {

struct ScaleCase {
    double low;
    double high;
    int maxTicks;
    bool includeZero;
    view::AxisScale expected;
};
void PrintTo(const ScaleCase& c, std::ostream* os)
{
    *os << c.low << " .. " << c.high << " in " << c.maxTicks << (c.includeZero ? " from 0" : "");
}

class NiceScale : public testing::TestWithParam<ScaleCase> {};

TEST_P(NiceScale, EndsOnWholeStepsOfOneTwoOrFive)
{
    const ScaleCase& c = GetParam();
    const view::AxisScale s = view::niceAxisScale(c.low, c.high, c.maxTicks, c.includeZero);
    EXPECT_DOUBLE_EQ(s.low, c.expected.low);
    EXPECT_DOUBLE_EQ(s.high, c.expected.high);
    EXPECT_DOUBLE_EQ(s.step, c.expected.step);
    EXPECT_EQ(s.tickCount, c.expected.tickCount);
    EXPECT_LE(s.tickCount, std::max(2, c.maxTicks));
}

INSTANTIATE_TEST_SUITE_P(
    Table, NiceScale,
    testing::Values(
        // import power of a house: 230 W .. 2875 W, from zero
        ScaleCase{230, 2875, 6, true, {0, 3000, 1000, 4}},
        ScaleCase{230, 2875, 11, true, {0, 3000, 500, 7}},
        // a flat line at zero (no export) still gets an axis
        ScaleCase{0, 0, 6, true, {0, 1, 0.2, 6}},
        // a counter's total, not from zero
        ScaleCase{123456, 123470, 6, false, {123455, 123470, 5, 4}},
        ScaleCase{5000, 5000, 6, false, {4500, 5500, 500, 3}},
        // gas in m3 with litres moving
        ScaleCase{1234.567, 1234.612, 6, false, {1234.56, 1234.62, 0.02, 4}},
        // swapped ends, negative values
        ScaleCase{-40, -730, 6, true, {-800, 0, 200, 5}},
        // rounding out both ends needs a larger step to stay within the ticks
        ScaleCase{1, 99, 3, false, {0, 100, 50, 3}},
        // one tick is no scale: taken as two
        ScaleCase{0, 10, 1, true, {0, 10, 10, 2}}));

TEST(NiceScale, NonFiniteValuesGiveTheUnitRange)
{
    const double inf = std::numeric_limits<double>::infinity();
    const view::AxisScale s = view::niceAxisScale(0, inf, 6, true);
    EXPECT_EQ(s.low, 0);
    EXPECT_EQ(s.high, 1);
}

} // namespace

namespace {

constexpr qint64 kSec = 1000;
constexpr qint64 kMin = 60 * kSec;
constexpr qint64 kHour = 60 * kMin;
// 2026-12-06 00:00:00 UTC.
constexpr qint64 kMidnight = 1796515200000;

struct TimeCase {
    const char* name;
    qint64 first;
    qint64 last;
    int maxTicks;
    int utcOffsetSeconds;
    view::TimeScale expected;
};
void PrintTo(const TimeCase& c, std::ostream* os) { *os << c.name; }

class NiceTimeScale : public testing::TestWithParam<TimeCase> {};

TEST_P(NiceTimeScale, TicksOnRoundTimesOfTheLocalClock)
{
    const TimeCase& c = GetParam();
    const view::TimeScale s = view::niceTimeScale(c.first, c.last, c.maxTicks, c.utcOffsetSeconds);
    EXPECT_EQ(s.fromMsecs, c.expected.fromMsecs);
    EXPECT_EQ(s.toMsecs, c.expected.toMsecs);
    EXPECT_EQ(s.stepMsecs, c.expected.stepMsecs);
    EXPECT_EQ(s.tickCount, c.expected.tickCount);
    EXPECT_LE(s.fromMsecs, c.first);
    EXPECT_GT(s.toMsecs, c.last);
}

INSTANTIATE_TEST_SUITE_P(
    Table, NiceTimeScale,
    testing::Values(
        // one reading at 10:00:07: a minute around it in quarter minutes
        TimeCase{"OneReading", kMidnight + 10 * kHour + 7 * kSec, kMidnight + 10 * kHour + 7 * kSec, 7, 0,
                 {kMidnight + 10 * kHour, kMidnight + 10 * kHour + kMin, 15 * kSec, 5}},
        // three hours of readings from 07:02:30 to 09:59:55: half-hour ticks 07:00 ... 10:00
        TimeCase{"ThreeHours", kMidnight + 7 * kHour + 150 * kSec, kMidnight + 10 * kHour - 5 * kSec, 7, 0,
                 {kMidnight + 7 * kHour, kMidnight + 10 * kHour, 30 * kMin, 7}},
        // a reading right on a tick still falls before the axis' end
        TimeCase{"OnATick", kMidnight + 7 * kHour, kMidnight + 9 * kHour, 7, 0,
                 {kMidnight + 7 * kHour, kMidnight + 9 * kHour + 30 * kMin, 30 * kMin, 6}},
        // hours of the local clock: at UTC+05:30 an hour tick falls at half past the UTC hour
        TimeCase{"IndiaHalfHour", kMidnight + 7 * kHour, kMidnight + 11 * kHour, 7, 19800,
                 {kMidnight + 6 * kHour + 30 * kMin, kMidnight + 11 * kHour + 30 * kMin, kHour, 6}},
        // twenty minutes: five-minute ticks
        TimeCase{"TwentyMinutes", kMidnight + 12 * kHour + 3 * kMin, kMidnight + 12 * kHour + 23 * kMin, 7, 3600,
                 {kMidnight + 12 * kHour, kMidnight + 12 * kHour + 25 * kMin, 5 * kMin, 6}},
        // nine days: two-day ticks, on midnights
        TimeCase{"NineDays", kMidnight + 3 * kHour, kMidnight + 9 * 24 * kHour, 7, 0,
                 {kMidnight - 24 * kHour, kMidnight + 11 * 24 * kHour, 2 * 24 * kHour, 7}}),
    [](const testing::TestParamInfo<TimeCase>& info) { return std::string(info.param.name); });

} // namespace
