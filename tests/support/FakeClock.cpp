#include "FakeClock.h"
#include <cmath>

namespace fakes {

FakeClock::FakeClock(double startSeconds)
    : steady_(startSeconds), wallBase_(QDate(2026, 12, 6), QTime(0, 0)), wallSeconds_(startSeconds)
{
}

void FakeClock::advance(double seconds)
{
    advanced_ += seconds;
    steady_ += seconds;
    wallSeconds_ += seconds;
}

void FakeClock::setWallClock(const QDateTime& dateTime)
{
    wallBase_ = dateTime;
    wallSeconds_ = 0;
}

QDateTime FakeClock::now() { return wallBase_.addMSecs(std::llround(wallSeconds_ * 1000.0)); }

} // namespace fakes
