#pragma once
#include "platform/EventPump.h"

namespace platform {

class QtEventPump : public EventPump {
public:
    void processEvents() override;
    void sleep100ms() override;
    void pause(std::chrono::milliseconds duration) override;
};

} // namespace platform
