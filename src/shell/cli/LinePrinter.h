#pragma once
#include "device/UnitLine.h"
#include "shell/cli/Context.h"
#include <QMap>

namespace shell::cli {

// What the user sees of a production line. With --json: one JSON object per line on standard
// output for every event ("started", "progress", "done"), each with its "port", and a "summary" at
// the end. Otherwise, while standard error is a terminal: one line per port there, rewritten in
// place (kind, serial, phase, percent, time); without a terminal: one plain line per event on
// standard output. Then, in both, a table of every unit (port, serial, firmware before -> after,
// result, time, attempts) and "8 passed, 0 failed".
//
// Progress is told when the phase changes or the percent reaches another tenth, so that a log
// of a long flash stays readable.
class LinePrinter : public device::UnitEvents {
public:
    LinePrinter(Context& context, const QList<platform::NumberedPort>& ports);

    void started(int portNumber, int attempt) override;
    void progress(int portNumber, const QString& phase, int percent) override;
    void done(const device::UnitAttempt& attempt, bool last) override;
    // The user asked to stop (the count of requests so far).
    void stopping(int requests) override;

    // The table and the count; returns the exit code of the line: 0 when every unit passed, 3 when
    // no unit had a device, 1 otherwise.
    int finish(const QList<device::UnitAttempt>& lasts);

private:
    enum class Mode { Json, Live, Plain };
    struct Unit {
        QString kind;
        QString serial;
        QString phase;
        int percent = 0;
        double since = 0;
        int attempts = 0;
        std::int64_t totalMs = 0;
        QString result;
        // The firmware the device had when it first answered (a retry may find nothing).
        std::optional<device::FirmwareVersion> before;
    };

    void draw();
    QString seconds(std::int64_t ms) const;

    Context& c_;
    Mode mode_;
    QList<int> order_;
    QMap<int, Unit> units_;
};

} // namespace shell::cli
