#include "shell/cli/LinePrinter.h"
#include "device/Captions.h"
#include "shell/TerminalText.h"
#include "shell/cli/ExitCode.h"
#include <QJsonObject>
#include <cmath>

namespace shell::cli {

namespace {

QString com(int portNumber) { return QStringLiteral("COM%1").arg(portNumber); }

QString version(const std::optional<device::FirmwareVersion>& v) { return v ? device::versionText(*v) : QStringLiteral("-"); }

QString resultText(const device::UnitAttempt& a)
{
    return a.passed() ? QStringLiteral("passed") : QStringLiteral("failed (%1)").arg(device::unitClassName(a.result));
}

// A serial number with a tab or an escape in it must not shift the columns or work the terminal.
QString shownSerial(const QByteArray& serial)
{
    return serial.isEmpty() ? QStringLiteral("-") : QString::fromLatin1(escapedForTerminal(serial, LineFeeds::Escaped));
}

} // namespace

LinePrinter::LinePrinter(Context& context, const QList<platform::NumberedPort>& ports)
    : c_(context),
      mode_(context.options.json ? Mode::Json : context.env.console.errIsTerminal() ? Mode::Live : Mode::Plain)
{
    for (const platform::NumberedPort& p : ports) {
        order_.append(p.portNumber);
        units_[p.portNumber].phase = QStringLiteral("waiting");
    }
}

QString LinePrinter::seconds(std::int64_t ms) const { return QStringLiteral("%1 s").arg(static_cast<double>(ms) / 1000.0, 0, 'f', 1); }

void LinePrinter::started(int portNumber, int attempt)
{
    Unit& u = units_[portNumber];
    u.attempts = attempt;
    u.since = c_.env.clock.elapsedSeconds();
    u.phase = QStringLiteral("started");
    u.percent = 0;
    if (mode_ == Mode::Json)
        c_.printJson({{QStringLiteral("event"), QStringLiteral("started")}, {QStringLiteral("port"), com(portNumber)},
                      {QStringLiteral("attempt"), attempt}});
    else if (mode_ == Mode::Plain)
        c_.print(QStringLiteral("%1\tstarted\tattempt %2\n").arg(com(portNumber)).arg(attempt));
    else
        draw();
}

void LinePrinter::progress(int portNumber, const QString& phase, int percent)
{
    Unit& u = units_[portNumber];
    const bool worthTelling = phase != u.phase || percent / 10 != u.percent / 10;
    u.phase = phase;
    u.percent = percent;
    if (mode_ == Mode::Live) {
        draw();
        return;
    }
    if (!worthTelling)
        return;
    if (mode_ == Mode::Json)
        c_.printJson({{QStringLiteral("event"), QStringLiteral("progress")}, {QStringLiteral("port"), com(portNumber)},
                      {QStringLiteral("phase"), phase}, {QStringLiteral("percent"), percent}});
    else
        c_.print(QStringLiteral("%1\t%2\t%3%\n").arg(com(portNumber), phase).arg(percent));
}

void LinePrinter::done(const device::UnitAttempt& a, bool last)
{
    Unit& u = units_[a.portNumber];
    u.totalMs += a.durationMs;
    if (a.kind)
        u.kind = device::displayName(*a.kind);
    if (!a.serial.isEmpty())
        u.serial = shownSerial(a.serial);
    if (!u.before)
        u.before = a.firmwareBefore;
    u.result = resultText(a);
    u.phase = last ? u.result : QStringLiteral("retry after ") + device::unitClassName(a.result);
    u.percent = last && a.passed() ? 100 : u.percent;
    const QString firmware = version(a.firmwareBefore) + QStringLiteral(" -> ") + version(a.firmwareAfter);
    if (mode_ == Mode::Json) {
        QJsonObject o{{QStringLiteral("event"), QStringLiteral("done")},
                      {QStringLiteral("port"), com(a.portNumber)},
                      {QStringLiteral("path"), a.devicePath},
                      {QStringLiteral("attempt"), a.attempt},
                      {QStringLiteral("last"), last},
                      {QStringLiteral("result"), a.passed() ? QStringLiteral("passed") : QStringLiteral("failed")},
                      {QStringLiteral("kind"), u.kind},
                      {QStringLiteral("serial"), QString::fromLatin1(a.serial)},
                      {QStringLiteral("firmwareBefore"), version(a.firmwareBefore)},
                      {QStringLiteral("firmwareAfter"), version(a.firmwareAfter)},
                      {QStringLiteral("seconds"), static_cast<double>(a.durationMs) / 1000.0},
                      {QStringLiteral("message"), a.message}};
        if (!a.passed())
            o.insert(QStringLiteral("class"), device::unitClassName(a.result));
        if (a.reconnectMs)
            o.insert(QStringLiteral("reconnectMs"), static_cast<qint64>(*a.reconnectMs));
        c_.printJson(o);
    } else if (mode_ == Mode::Plain) {
        c_.print(QStringLiteral("%1\t%2\t%3 %4\t%5\t%6\t%7\n")
                     .arg(com(a.portNumber), last ? u.result : u.phase, u.kind.isEmpty() ? QStringLiteral("-") : u.kind,
                          u.serial.isEmpty() ? QStringLiteral("-") : u.serial, firmware, seconds(a.durationMs),
                          QString(a.message).replace(QLatin1Char('\n'), QStringLiteral(" | "))));
    } else {
        draw();
    }
}

void LinePrinter::stopping(int requests)
{
    const QString text = requests == 1
        ? QStringLiteral("Stopping: every unit ends at its next safe point and says where. Ctrl+C again stops at once.")
        : QStringLiteral("Stopping at once.");
    if (mode_ == Mode::Live)
        c_.env.console.progressBlock({});
    c_.message(text);
}

void LinePrinter::draw()
{
    const double now = c_.env.clock.elapsedSeconds();
    QStringList lines;
    for (int port : order_) {
        const Unit& u = units_[port];
        lines.append(QStringLiteral("%1 %2 %3 %4 %5% %6 s")
                         .arg(com(port).leftJustified(6), (u.kind.isEmpty() ? QStringLiteral("-") : u.kind).leftJustified(8),
                              (u.serial.isEmpty() ? QStringLiteral("-") : u.serial).leftJustified(10), u.phase.leftJustified(24))
                         .arg(u.percent, 3)
                         .arg(u.attempts == 0 ? 0 : std::lround(now - u.since), 4));
    }
    c_.env.console.progressBlock(lines);
}

int LinePrinter::finish(const QList<device::UnitAttempt>& lasts)
{
    int passed = 0;
    int withoutDevice = 0;
    QString table = QStringLiteral("%1%2%3%4%5attempts\n")
                        .arg(QStringLiteral("port").leftJustified(7), QStringLiteral("serial").leftJustified(11),
                             QStringLiteral("firmware").leftJustified(24), QStringLiteral("result").leftJustified(26),
                             QStringLiteral("time").leftJustified(10));
    for (const device::UnitAttempt& a : lasts) {
        passed += a.passed() ? 1 : 0;
        withoutDevice += a.result == device::UnitClass::NoDevice && !a.kind ? 1 : 0;
        const Unit& u = units_[a.portNumber];
        table += QStringLiteral("%1%2%3%4%5%6\n")
                     .arg(com(a.portNumber).leftJustified(7), (u.serial.isEmpty() ? QStringLiteral("-") : u.serial).leftJustified(11),
                          (version(u.before) + QStringLiteral(" -> ") + version(a.firmwareAfter)).leftJustified(24),
                          resultText(a).leftJustified(26), seconds(u.totalMs).leftJustified(10))
                     .arg(u.attempts);
    }
    const int failed = static_cast<int>(lasts.size()) - passed;
    if (mode_ == Mode::Json) {
        c_.printJson({{QStringLiteral("event"), QStringLiteral("summary")}, {QStringLiteral("passed"), passed},
                      {QStringLiteral("failed"), failed}});
    } else {
        if (mode_ == Mode::Live) {
            draw();
            c_.env.console.progressBlock({});
            for (const device::UnitAttempt& a : lasts)
                if (!a.passed())
                    c_.message(QStringLiteral("%1: %2").arg(com(a.portNumber), a.message));
        }
        c_.print(table + QStringLiteral("%1 passed, %2 failed\n").arg(passed).arg(failed));
    }
    if (failed == 0)
        return kSuccess;
    return withoutDevice == lasts.size() ? kNoDevice : kDeviceFailure;
}

} // namespace shell::cli
