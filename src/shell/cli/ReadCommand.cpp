// read: the readings poll of the window, printed as the grid shows them, as its CSV export writes
// them, or as one JSON object per reading.
#include "device/ReadBackRecord.h"
#include "device/SettingsLimits.h"
#include "shell/cli/Commands.h"
#include "shell/cli/DeviceLine.h"
#include "shell/cli/ExitCode.h"
#include "shell/cli/ReadingsPrinter.h"
#include "device/ReadingsDecoder.h"
#include <chrono>
#include <cmath>

namespace shell::cli {

namespace {

constexpr std::chrono::milliseconds kWaitPass{100};

} // namespace

int readCommand(Context& c)
{
    if (linePortsGiven(c.options))
        return lineReadCommand(c);
    if (!c.options.words.isEmpty())
        return c.fail(kUsageError, QStringLiteral("read takes no word %1").arg(c.options.words.first()));
    const int interruptedBefore = c.env.interruptions();
    DeviceLine line(c);
    if (const int failed = line.connect())
        return failed;
    device::Session& s = line.session();
    const device::DeviceKind kind = *s.kind();
    const device::SettingsRecord settings = device::readBackRecord(s.settingsAnswer(), kind);
    const auto [nederland, belgie] = tariffCountry(c.options.country, settings.protocolPosition);
    // The window polls at the device's refresh interval.
    const double interval = c.options.intervalSeconds.value_or(settings.intervalSeconds);
    ReadingsPrinter printer(c, kind);
    int failedPolls = 0;
    for (int n = 0; !c.options.count || n < *c.options.count; ++n) {
        if (n > 0) {
            const double until = c.env.clock.elapsedSeconds() + interval;
            while (c.env.clock.elapsedSeconds() < until && !c.interruptedSince(interruptedBefore))
                c.env.pump.pause(kWaitPass);
        }
        if (c.interruptedSince(interruptedBefore))
            break;
        const device::ReadingRow row = s.poll(nederland, belgie);
        if (s.state() == device::Session::State::LineLost)
            return c.fail(kDeviceFailure, QStringLiteral("The line to %1 failed: the device is gone.").arg(line.portName()));
        printer.print(row);
        // Statuses 1 ... 3 are the module's own answers; anything else means no answer came.
        if (row.status > 3) {
            ++failedPolls;
            c.message(QStringLiteral("No readings came back (status %1).").arg(row.status));
        }
    }
    if (failedPolls > 0)
        return c.fail(kDeviceFailure, QStringLiteral("%1 of the readings requests got no answer.").arg(failedPolls));
    return kSuccess;
}

} // namespace shell::cli
