#pragma once
#include <array>

namespace sim {

// Readings that move the way a household meter's do, for a demonstration: import and export
// power swing slowly around their starting values (a one-minute cycle, ±30 %), the energy totals
// grow with the mean power, gas and water counts creep up, the pulse inputs tick every ten
// seconds. Totals never go down. The tariff indicator (field 11, shared with water) is left alone.
std::array<double, 13> liveReadings(const std::array<double, 13>& start, double elapsedSeconds);

} // namespace sim
