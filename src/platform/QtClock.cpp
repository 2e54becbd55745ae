#include "platform/QtClock.h"
#include <QTime>

namespace platform {

float QtClock::secondsSinceMidnight()
{
    return static_cast<float>(QTime::currentTime().msecsSinceStartOfDay()) / 1000.0f;
}

QDateTime QtClock::now() { return QDateTime::currentDateTime(); }

} // namespace platform
