#pragma once
#include "platform/Clock.h"
#include <QElapsedTimer>

namespace platform {

class QtClock : public Clock {
public:
    QtClock() { started_.start(); }
    // QElapsedTimer reads the system's monotonic clock.
    double elapsedSeconds() override { return static_cast<double>(started_.nsecsElapsed()) / 1e9; }
    QDateTime now() override { return QDateTime::currentDateTime(); }

private:
    QElapsedTimer started_;
};

} // namespace platform
