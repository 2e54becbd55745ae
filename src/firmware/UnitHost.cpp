#include "firmware/UnitHost.h"
#include <algorithm>

namespace firmware {

UnitHost::UnitHost(device::UnitWork& work, QString phase, std::function<QString(const QString&)> phaseOf)
    : work_(work), phase_(std::move(phase)), phaseOf_(std::move(phaseOf))
{
}

void UnitHost::setStatus(const QString& text)
{
    if (!phaseOf_)
        return;
    const QString phase = phaseOf_(text);
    if (phase.isEmpty() || phase == phase_)
        return;
    phase_ = phase;
    work_.progress(phase_, percent_);
}

void UnitHost::setValue(int percent)
{
    percent_ = std::clamp(percent, 0, 100);
    work_.progress(phase_, percent_);
}

bool UnitHost::cancelRequested() const
{
    if (work_.stopRequested())
        cancelSeen_ = true;
    return cancelSeen_;
}

} // namespace firmware
