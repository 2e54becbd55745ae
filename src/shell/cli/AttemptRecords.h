#pragma once
#include "device/UnitLine.h"
#include "shell/cli/Context.h"
#include <QHash>
#include <QJsonValue>

namespace shell::cli {

class DeviceLine;

// The record file of this command line: every attempt on a unit becomes one line of the month's
// file in the program folder (records/<yyyy-mm>.jsonl) or of --record FILE, with this computer's
// name, qmr51ctl's version and the command as typed. --no-record keeps none. A record that cannot
// be written is told; the attempt's result stands.
class RecordFile : public device::UnitRecordSink {
public:
    RecordFile(Context& c, const QList<platform::NumberedPort>& ports);
    void record(const device::UnitAttempt& attempt) override;
    // Null with --no-record: what a line is handed.
    device::UnitRecordSink* sink() { return c_.options.noRecord ? nullptr : this; }

private:
    Context& c_;
    QString station_;
    QString command_;
    QHash<int, QJsonValue> adapters_;
};

// The one attempt of a command on a single port (upgrade, flash, set, counter), recorded as a unit
// of a line would be: begun once the device is connected (or taken as given), written when it ends.
class SingleAttempt {
public:
    SingleAttempt(Context& c, DeviceLine& line);
    ~SingleAttempt();
    SingleAttempt(const SingleAttempt&) = delete;
    SingleAttempt& operator=(const SingleAttempt&) = delete;

    device::UnitAttempt& attempt() { return attempt_; }
    // How it ended; hands back exitCode, so a return can say both at once.
    int end(int exitCode, device::UnitClass result, const QString& message = {});
    // A command line that turned out wrong is no attempt on the device: nothing is recorded.
    int forget(int exitCode);

private:
    Context& c_;
    RecordFile file_;
    device::UnitAttempt attempt_;
    double startSeconds_ = 0;
    bool forgotten_ = false;
};

} // namespace shell::cli
