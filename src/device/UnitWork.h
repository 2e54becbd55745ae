#pragma once
#include "device/Session.h"
#include "device/UnitAttempt.h"
#include "platform/UnitPlatform.h"
#include <atomic>
#include <functional>

namespace device {

// What a job of a production line sees of its unit, on the unit's own thread: the session (already
// connected to the device on the unit's port), the unit's platform, the attempt it fills in, a way
// to tell its progress, and the user's stop requests.
class UnitWork {
public:
    using ProgressSink = std::function<void(const QString& phase, int percent)>;

    UnitWork(Session& session, platform::UnitPlatform& platform, UnitAttempt& attempt, ProgressSink progress,
             const std::atomic<int>& stops)
        : session_(session), platform_(platform), attempt_(attempt), progress_(std::move(progress)), stops_(stops)
    {
    }

    Session& session() { return session_; }
    platform::UnitPlatform& platform() { return platform_; }
    UnitAttempt& attempt() { return attempt_; }
    // What the unit does now ("connect", "esptool", "transfer", "restart", "verify") and how far
    // (0 ... 100). A repeat of the last phase and percent is not passed on.
    void progress(const QString& phase, int percent)
    {
        if (phase == lastPhase_ && percent == lastPercent_)
            return;
        lastPhase_ = phase;
        lastPercent_ = percent;
        progress_(phase, percent);
    }
    const QString& phase() const { return lastPhase_; }
    // The first stop request: end at the next point where the device is left in a safe state, and
    // say which point that was.
    bool stopRequested() const { return stops_.load() >= 1; }
    // The second: end at once.
    bool stopNow() const { return stops_.load() >= 2; }

private:
    Session& session_;
    platform::UnitPlatform& platform_;
    UnitAttempt& attempt_;
    ProgressSink progress_;
    const std::atomic<int>& stops_;
    QString lastPhase_;
    int lastPercent_ = -1;
};

// How a job ended: the class (Passed for a pass) and what the user is told.
struct UnitEnd {
    UnitClass result = UnitClass::Passed;
    QString message;
};

// The work done on one unit once its device has answered. It runs on the unit's thread and must
// not ask the user anything: questions are settled before the line starts.
using UnitJob = std::function<UnitEnd(UnitWork& work)>;

} // namespace device
