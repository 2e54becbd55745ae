// The demo's simulated module: its readings move slowly, the way a meter's do.
#include "sim/LiveReadings.h"
#include "sim/DeviceProfile.h"
#include <gtest/gtest.h>

namespace {

TEST(LiveReadings, MoveWhileTotalsNeverGoDown)
{
    const std::array<double, 13> start = sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51).readings;
    std::array<double, 13> previous = sim::liveReadings(start, 0);
    EXPECT_EQ(previous, start);
    bool powerMoved = false;
    for (double t = 5; t <= 3600; t += 5) {
        const std::array<double, 13> now = sim::liveReadings(start, t);
        for (int total : {1, 5, 8, 11, 12})
            EXPECT_GE(now[total], previous[total]) << "field " << total + 1 << " at " << t << " s";
        EXPECT_GE(now[0], start[0] * 0.7 - 1);
        EXPECT_LE(now[0], start[0] * 1.3 + 1);
        powerMoved = powerMoved || now[0] != start[0];
        EXPECT_EQ(now[10], start[10]) << "the tariff indicator stays";
        previous = now;
    }
    EXPECT_TRUE(powerMoved);
    EXPECT_GT(previous[1], start[1]);
}

} // namespace
