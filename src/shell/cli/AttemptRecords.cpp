#include "shell/cli/AttemptRecords.h"
#include "firmware/UnitRecord.h"
#include "firmware/UnitRecordFile.h"
#include "shell/cli/DeviceLine.h"
#include <QSysInfo>
#include <cmath>

namespace shell::cli {

RecordFile::RecordFile(Context& c, const QList<platform::NumberedPort>& ports)
    : c_(c), station_(QSysInfo::machineHostName()), command_((QStringList{c.options.command} + c.options.words).join(QLatin1Char(' ')))
{
    for (const platform::NumberedPort& p : ports)
        adapters_[p.portNumber] = platform::usbJson(p.identity);
}

void RecordFile::record(const device::UnitAttempt& attempt)
{
    if (c_.options.noRecord)
        return;
    const QString file = c_.options.recordFile.isEmpty() ? firmware::defaultRecordFile(c_.programFolder, attempt.startUtc)
                                                         : c_.options.recordFile;
    const QString failed = firmware::appendUnitRecord(
        file, firmware::recordOfAttempt(attempt, station_, QStringLiteral(QMR_VERSION), command_, adapters_.value(attempt.portNumber)));
    if (!failed.isEmpty())
        c_.message(failed);
}

SingleAttempt::SingleAttempt(Context& c, DeviceLine& line)
    : c_(c), file_(c, c.ports().ports()), startSeconds_(c.env.clock.elapsedSeconds())
{
    device::Session& s = line.session();
    attempt_.startUtc = c.env.clock.now().toUTC();
    attempt_.portNumber = line.portNumber();
    attempt_.devicePath = s.devicePath(line.portNumber());
    attempt_.kind = s.kind();
    attempt_.serial = s.serial();
    // A device taken as given (a forced upgrade) did not say which firmware it runs.
    if (!s.serial().isEmpty())
        attempt_.firmwareBefore = s.firmware();
}

int SingleAttempt::end(int exitCode, device::UnitClass result, const QString& message)
{
    attempt_.result = result;
    attempt_.message = message;
    return exitCode;
}

int SingleAttempt::forget(int exitCode)
{
    forgotten_ = true;
    return exitCode;
}

SingleAttempt::~SingleAttempt()
{
    if (forgotten_)
        return;
    attempt_.durationMs = std::llround((c_.env.clock.elapsedSeconds() - startSeconds_) * 1000.0);
    file_.record(attempt_);
}

} // namespace shell::cli
