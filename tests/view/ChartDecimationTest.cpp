#include "view/ChartDecimation.h"
#include <gtest/gtest.h>
#include <algorithm>

namespace {

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
        EXPECT_TRUE(std::is_sorted(points.begin(), points.end(),
                                   [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); }));
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
