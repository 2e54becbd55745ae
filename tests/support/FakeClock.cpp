#include "FakeClock.h"
#include <QTimeZone>

namespace fakes {

void FakeClock::advance(double seconds)
{
    advanced_ += seconds;
    seconds_ += seconds;
    while (seconds_ >= 86400.0) {
        seconds_ -= 86400.0;
        ++dayOffset_;
    }
}

QDateTime FakeClock::now()
{
    const QDate day = QDate(2026, 12, 6).addDays(dayOffset_);
    return QDateTime(day, QTime(0, 0).addMSecs(static_cast<int>(seconds_ * 1000.0)));
}

} // namespace fakes
