#pragma once
#include "platform/Clock.h"

namespace platform {

class QtClock : public Clock {
public:
    float secondsSinceMidnight() override;
    QDateTime now() override;
};

} // namespace platform
