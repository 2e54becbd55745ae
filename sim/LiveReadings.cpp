#include "sim/LiveReadings.h"
#include <cmath>
#include <numbers>

namespace sim {

namespace {
constexpr double kCycleSeconds = 60.0;
constexpr double kSwing = 0.3;
constexpr double kGasLitresPerSecond = 0.02;
constexpr double kPulseSeconds = 10.0;
} // namespace

std::array<double, 13> liveReadings(const std::array<double, 13>& start, double elapsedSeconds)
{
    const double t = std::max(0.0, elapsedSeconds);
    const double phase = 2.0 * std::numbers::pi * t / kCycleSeconds;
    std::array<double, 13> r = start;
    r[0] = std::round(start[0] * (1.0 + kSwing * std::sin(phase)));
    r[4] = std::round(start[4] * (1.0 + kSwing * std::cos(phase)));
    r[1] = start[1] + std::floor(start[0] * t / 3600.0);  // import, Wh
    r[5] = start[5] + std::floor(start[4] * t / 3600.0);  // export, Wh
    r[8] = start[8] + std::floor(kGasLitresPerSecond * t);
    const double pulses = std::floor(t / kPulseSeconds);
    r[11] = start[11] + pulses;
    r[12] = start[12] + pulses;
    return r;
}

} // namespace sim
