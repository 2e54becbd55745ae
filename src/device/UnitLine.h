#pragma once
#include "device/UnitAttempt.h"
#include "device/UnitWork.h"
#include "platform/PortListing.h"
#include "platform/UnitPlatform.h"
#include <QList>
#include <functional>

namespace device {

// What the face of a production line hears, always on the thread that called UnitLine::run(), each
// event tagged with the unit's port.
class UnitEvents {
public:
    virtual ~UnitEvents() = default;
    virtual void started(int portNumber, int attempt) = 0;
    virtual void progress(int portNumber, const QString& phase, int percent) = 0;
    // An attempt ended; `last` is false when the unit is tried again from the start.
    virtual void done(const UnitAttempt& attempt, bool last) = 0;
    // The user asked to stop (1: at the next safe point, 2: at once).
    virtual void stopping(int requests) { Q_UNUSED(requests); }
};

// Where every attempt is kept (one record each), on the thread that called UnitLine::run().
class UnitRecordSink {
public:
    virtual ~UnitRecordSink() = default;
    virtual void record(const UnitAttempt& attempt) = 0;
};

// A production line: one job on many units at once. Each unit runs on a thread of its own with its
// own platform (made there by the maker), its own session and its own waits, so a unit that fails,
// falls silent or is unplugged never stops or slows another. An attempt opens the unit's port,
// asks the device who it is (no answer: NoDevice) and runs the job; a failed attempt is tried
// again from the start up to `retries` times, unless the input was refused or the user stopped.
//
// Stop requests are counted from the start of run(): after the first, every unit ends at its
// job's next safe point (and says which) and none is tried again; after the second, every job
// ends at once.
class UnitLine {
public:
    UnitLine(platform::UnitPlatformMaker maker, UnitJob job, int retries);

    // Runs the job on every port and returns when every unit has ended, with the last attempt of
    // each in the order of `ports`. stopRequests counts the user's requests (it is asked often,
    // from this thread); records may be null.
    QList<UnitAttempt> run(const QList<platform::NumberedPort>& ports, UnitEvents& events, UnitRecordSink* records,
                           const std::function<int()>& stopRequests);

private:
    platform::UnitPlatformMaker maker_;
    UnitJob job_;
    int retries_;
};

} // namespace device
