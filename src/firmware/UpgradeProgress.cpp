#include "firmware/UpgradeProgress.h"
#include <algorithm>
#include <cmath>

namespace firmware {

namespace {
int clampPercent(double value) { return static_cast<int>(std::lround(std::clamp(value, 0.0, 100.0))); }

constexpr double kDownloadFloor = 10;   // where the list check left the bar
constexpr double kDownloadSpan = 80;    // up to 90; the rest belongs to the transfer
constexpr double kCreepHalfSeconds = 2.5;
} // namespace

double Min(double a, double b) { return a <= b ? a : b; }

int countdownPercent(double secondsLeft, double totalSeconds)
{
    if (totalSeconds <= 0)
        return 100;
    return clampPercent(100 - Min(secondsLeft / totalSeconds * 100, 100));
}

int nextPollPercent(int percent) { return percent < 99 ? std::min(percent + 5, 100) : 0; }

int downloadPercent(qint64 receivedBytes, qint64 expectedBytes, double elapsedSeconds)
{
    double share = 0;
    if (expectedBytes > 0)
        share = Min(static_cast<double>(std::max<qint64>(receivedBytes, 0)) / static_cast<double>(expectedBytes), 1);
    else if (expectedBytes == 0)
        share = 1;
    else if (elapsedSeconds > 0)
        return std::min(clampPercent(kDownloadFloor + kDownloadSpan * elapsedSeconds / (elapsedSeconds + kCreepHalfSeconds)),
                        static_cast<int>(kDownloadFloor + kDownloadSpan) - 1);
    return clampPercent(kDownloadFloor + kDownloadSpan * share);
}

int blockPercent(int block, int count)
{
    if (count <= 0)
        return 100;
    return clampPercent(Min(static_cast<double>(block) / count * 100, 100));
}

} // namespace firmware
