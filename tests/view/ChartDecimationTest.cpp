#include "view/ChartDecimation.h"
#include <gtest/gtest.h>
#include <algorithm>

namespace {

// A saw-tooth with one spike: the spike must survive any amount of thinning.
double sawTooth(int i, int spikeAt) { return i == spikeAt ? 1e6 : (i % 17) * 10.0; }

TEST(Thinning, KeepsTheBoundTheOrderTheEndsAndTheExtremes)
{
    struct Case { int buckets, samples, expectedBuckets, expectedPerBucket; };
    const Case cases[] = {
        {400, 1, 1, 1}, {400, 400, 400, 1},
        {400, 401, 201, 2}, // the 401st sample merges the 400 buckets into 200 of two
        {400, 100000, 391, 256},
        {1, 3, 2, 2}, // fewer than two buckets count as two
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.samples << " samples in " << c.buckets << " buckets");
        view::ChartDecimation line(c.buckets);
        const int spikeAt = c.samples * 2 / 3;
        for (int i = 0; i < c.samples; ++i)
            line.add(1000.0 * i, sawTooth(i, spikeAt));

        EXPECT_EQ(line.bucketCount(), c.expectedBuckets);
        EXPECT_EQ(line.samplesPerBucket(), c.expectedPerBucket);
        EXPECT_EQ(line.sampleCount(), c.samples);
        const QList<QPointF> points = line.points();
        ASSERT_FALSE(points.isEmpty());
        EXPECT_LE(points.size(), 2 * std::max(2, c.buckets));
        EXPECT_TRUE(std::is_sorted(points.begin(), points.end(),
                                   [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); }));
        for (const QPointF& p : points) // every drawn point is a real sample
            EXPECT_EQ(p.y(), sawTooth(static_cast<int>(p.x() / 1000.0), spikeAt)) << "x " << p.x();
        EXPECT_TRUE(points.contains(QPointF(1000.0 * spikeAt, 1e6))) << "the spike was thinned away";
        EXPECT_EQ(line.maxY(), 1e6);
        EXPECT_EQ(line.minY(), c.samples > 1 ? 0.0 : 1e6);
    }
}

TEST(Thinning, ABucketDrawsItsLowAndHighInTheOrderTheyCame)
{
    view::ChartDecimation line(2);
    // Three samples merge the first two buckets: {10, 2} (high first), then {7}.
    line.add(0, 10);
    line.add(1, 2);
    line.add(2, 7);
    EXPECT_EQ(line.points(), (QList<QPointF>{{0, 10}, {1, 2}, {2, 7}}));
    line.add(3, 9); // joins {7}: low 7 then high 9
    line.add(4, 1); // a new bucket would make three: merged into {10, 2, 7, 9} and {1}
    EXPECT_EQ(line.points(), (QList<QPointF>{{0, 10}, {1, 2}, {4, 1}}));

    line.clear();
    EXPECT_TRUE(line.isEmpty());
    EXPECT_EQ(line.samplesPerBucket(), 1);
    line.add(7, 3);
    EXPECT_EQ(line.points(), (QList<QPointF>{{7, 3}}));
    EXPECT_EQ(line.minY(), 3);
}

} // namespace
