// The chart's axes and the thinning of its lines.
#include "view/ChartDecimation.h"
#include "view/ChartScale.h"
#include <algorithm>
#include <gtest/gtest.h>
#include <limits>
#include <tuple>

namespace {

TEST(NiceScale, EndsOnWholeStepsOfOneTwoOrFive)
{
    struct Case { double low, high; int maxTicks; bool includeZero; view::AxisScale expected; };
    const Case cases[] = {
        {230, 2875, 6, true, {0, 3000, 1000, 4}},                  // import power of a house, from zero
        {0, 0, 6, true, {0, 1, 0.2, 6}},                           // a flat line at zero still gets an axis
        {123456, 123470, 6, false, {123455, 123470, 5, 4}},        // a counter's total, not from zero
        {5000, 5000, 6, false, {4500, 5500, 500, 3}},              // one value, not from zero
        {1234.567, 1234.612, 6, false, {1234.56, 1234.62, 0.02, 4}}, // gas in m3 with litres moving
        {-40, -730, 6, true, {-800, 0, 200, 5}},                   // swapped ends, negative values
        {1, 99, 3, false, {0, 100, 50, 3}},                        // rounding out needs a larger step
        {0, 10, 1, true, {0, 10, 10, 2}},                          // one tick is no scale: taken as two
        {0, std::numeric_limits<double>::infinity(), 6, true, {0, 1, 1, 2}}, // a non-finite value: the unit range
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.low << " .. " << c.high << " in " << c.maxTicks);
        const view::AxisScale s = view::niceAxisScale(c.low, c.high, c.maxTicks, c.includeZero);
        EXPECT_DOUBLE_EQ(s.low, c.expected.low);
        EXPECT_DOUBLE_EQ(s.high, c.expected.high);
        EXPECT_DOUBLE_EQ(s.step, c.expected.step);
        EXPECT_EQ(s.tickCount, c.expected.tickCount);
    }
}

constexpr qint64 kSec = 1000, kMin = 60 * kSec, kHour = 60 * kMin, kDay = 24 * kHour;

TEST(NiceTimeScale, TicksOnRoundTimesOfTheLocalClock)
{
    struct Case { const char* name; qint64 first, last; int utcOffsetSeconds; view::TimeScale expected; };
    const qint64 m = 1796515200000; // 2026-12-06 00:00:00 UTC
    const Case cases[] = {
        {"one reading at 10:00:07: a minute around it in quarter minutes", m + 10 * kHour + 7 * kSec, m + 10 * kHour + 7 * kSec, 0,
         {m + 10 * kHour, m + 10 * kHour + kMin, 15 * kSec, 5}},
        {"07:02:30 to 09:59:55: half hours 07:00 ... 10:00", m + 7 * kHour + 150 * kSec, m + 10 * kHour - 5 * kSec, 0,
         {m + 7 * kHour, m + 10 * kHour, 30 * kMin, 7}},
        {"a reading right on a tick still falls before the end", m + 7 * kHour, m + 9 * kHour, 0,
         {m + 7 * kHour, m + 9 * kHour + 30 * kMin, 30 * kMin, 6}},
        {"at UTC+05:30 an hour tick falls at half past the UTC hour", m + 7 * kHour, m + 11 * kHour, 19800,
         {m + 6 * kHour + 30 * kMin, m + 11 * kHour + 30 * kMin, kHour, 6}},
        {"nine days: two-day ticks on midnights", m + 3 * kHour, m + 9 * kDay, 0, {m - kDay, m + 11 * kDay, 2 * kDay, 7}},
    };
    for (const Case& c : cases) {
        const view::TimeScale s = view::niceTimeScale(c.first, c.last, 7, c.utcOffsetSeconds);
        EXPECT_EQ(std::tuple(s.fromMsecs, s.toMsecs, s.stepMsecs, s.tickCount),
                  std::tuple(c.expected.fromMsecs, c.expected.toMsecs, c.expected.stepMsecs, c.expected.tickCount)) << c.name;
    }
}

// A saw-tooth with one spike: the spike must survive any amount of thinning.
double sawTooth(int i, int spikeAt) { return i == spikeAt ? 1e6 : (i % 17) * 10.0; }

TEST(Thinning, KeepsTheBoundTheOrderTheRealSamplesAndTheExtremes)
{
    // {buckets, samples}; fewer than two buckets count as two.
    for (auto [buckets, samples] : {std::pair{400, 1}, {400, 401}, {400, 100000}, {1, 50}}) {
        SCOPED_TRACE(testing::Message() << samples << " samples in " << buckets << " buckets");
        view::ChartDecimation line(buckets);
        const int spikeAt = samples * 2 / 3;
        for (int i = 0; i < samples; ++i)
            line.add(1000.0 * i, sawTooth(i, spikeAt));

        const QList<QPointF> points = line.points();
        EXPECT_LE(points.size(), 2 * std::max(2, buckets));
        EXPECT_TRUE(std::is_sorted(points.begin(), points.end(), [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); }));
        for (const QPointF& p : points) // every drawn point is a real sample
            EXPECT_EQ(p.y(), sawTooth(static_cast<int>(p.x() / 1000.0), spikeAt)) << "x " << p.x();
        EXPECT_TRUE(points.contains(QPointF(1000.0 * spikeAt, 1e6))) << "the spike was thinned away";
        EXPECT_EQ(line.maxY(), 1e6);
        EXPECT_EQ(line.minY(), samples > 1 ? 0.0 : 1e6);
    }
}

TEST(Thinning, ABucketDrawsItsLowAndHighInTheOrderTheyCameAndAClearStartsAfresh)
{
    view::ChartDecimation line(2);
    for (auto [x, y] : {std::pair{0, 10}, {1, 2}, {2, 7}, {3, 9}, {4, 1}})
        line.add(x, y);
    // The buckets {10, 2} and {7, 9} merged into one, then {1}: high came before low.
    EXPECT_EQ(line.points(), (QList<QPointF>{{0, 10}, {1, 2}, {4, 1}}));

    line.clear();
    line.add(7, 3);
    EXPECT_EQ(line.points(), (QList<QPointF>{{7, 3}}));
    EXPECT_EQ(line.minY(), 3);
}

} // namespace
