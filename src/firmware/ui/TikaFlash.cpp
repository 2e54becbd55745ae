#include "firmware/ui/TikaFlash.h"
#include "device/ui/ConnectHandler.h"
#include "firmware/EsptoolCommand.h"
#include "firmware/ui/EsptoolOutput.h"
#include "firmware/ui/ProgressHost.h"
#include "firmware/ui/UpgradeProgress.h"
#include "firmware/ui/UpgradeWaits.h"
#include "firmware/ui/WidgetDisabler.h"
#include "shell/Captions.h"
#include "shell/ui/Tool.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QStandardPaths>

namespace firmware {

namespace {

#ifdef Q_OS_WIN
constexpr PathStyle kNativeStyle = PathStyle::Windows;
#else
constexpr PathStyle kNativeStyle = PathStyle::Posix;
#endif

constexpr double kScriptPauseSeconds = 0.1;
constexpr double kPassSeconds = 0.2;
constexpr int kShownLastLines = 3;

QString busyText() { return QStringLiteral("TIKA is being upgraded..."); }

// Seconds since a start, counted on across midnight. The limit of a flash must not end it at
// 00:00 the way the clock rule ends a wait: stopping esptool half-way leaves the module without
// firmware.
QString esptoolSays(const EsptoolOutput& output)
{
    if (!output.fatalLine().isEmpty())
        return output.fatalLine();
    return output.lastLines(kShownLastLines).join(QLatin1Char('\n'));
}

QString withDetail(const QString& first, const QString& detail, const QString& last)
{
    return detail.isEmpty() ? first + QLatin1Char('\n') + last : first + QLatin1Char('\n') + detail + QLatin1Char('\n') + last;
}

} // namespace

TikaFlash::TikaFlash(shell::Tool& tool, ProgressHost& progress) : tool_(tool), progress_(progress) {}

void TikaFlash::run()
{
    auto& state = tool_.state;
    auto& f = tool_.frm;
    const device::DeviceKind kind = state.DeviceType.value_or(device::DeviceKind::TikaV1);
    const QString imagePath = moduleImagePath(kind, kNativeStyle);
    const QString imageFile = QDir(tool_.svc.programFolder).filePath(moduleImagePath(kind, PathStyle::Posix));
    if (!QFileInfo(imageFile).isFile()) {
        f.statusLine->setText(QStringLiteral("No module image %1: nothing was flashed.").arg(QDir::toNativeSeparators(imageFile)));
        return;
    }
    tool_.svc.port.close();
    progress_.setCaption(QStringLiteral("Firmware upgrade started"));
    progress_.setValue(0);
    progress_.makeVisible();
    f.setWindowTitle(QStringLiteral("%1 V%2.%3 ----").arg(device::displayName(kind)).arg(shell::kVersionMajor).arg(shell::kVersionRevision));
    const Outcome outcome = FlashModule(state.ComPort.value_or(0), imagePath);
    if (outcome == Outcome::Flashed)
        f.statusLine->setText(QStringLiteral("The TIKA module was flashed and verified; connecting again."));
    tool_.connection().cmdOpenCom_Click();
}

TikaFlash::Outcome TikaFlash::FlashModule(std::uint8_t PortNumber, const QString& ImagePath)
{
    Report report;
    QString problem;
    std::optional<FlashScript> script = prepareScript(PortNumber, ImagePath, problem);
    if (script) {
        pauseHandlingEvents(tool_.svc.clock, tool_.svc.pump, tool_.frm.TimeOut, kScriptPauseSeconds);
        problem = writeScript(*script);
    }
    if (problem.isEmpty())
        report = runScript(*script);
    else
        report.message = QStringLiteral("The TIKA module was not flashed: ") + problem;
    progress_.unload();
    if (!report.message.isEmpty())
        tool_.svc.dialogs.message(report.message);
    return report.outcome;
}

std::optional<FlashScript> TikaFlash::prepareScript(std::uint8_t port, const QString& imagePath, QString& problem)
{
    const device::DeviceKind type = tool_.state.DeviceType.value_or(device::DeviceKind::TikaV1);
    const QString& folder = tool_.svc.programFolder;
#ifdef Q_OS_WIN
    Q_UNUSED(problem);
    return windowsFlashScript(type, port, imagePath, QDir::toNativeSeparators(folder));
#else
    const QString devicePath = tool_.svc.ports.devicePath(port);
    if (devicePath.isEmpty()) {
        problem = QStringLiteral("COM%1 is no serial port of this computer.").arg(port);
        return std::nullopt;
    }
    const QString esptool = chooseEsptool(
        type, folder,
        [](const QString& path) {
            const QFileInfo info(path);
            return info.isFile() && info.isExecutable();
        },
        [](const QString& name) { return QStandardPaths::findExecutable(name); });
    if (esptool.isEmpty()) {
        problem = QStringLiteral("esptool was not found, neither %1 in %2 nor esptool or esptool.py on the PATH.")
                      .arg(bundledEsptoolName(type), folder);
        return std::nullopt;
    }
    return posixFlashScript(type, port, devicePath, imagePath, folder, esptool);
#endif
}

QString TikaFlash::writeScript(const FlashScript& script)
{
    QFile file(script.path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(script.content) != script.content.size())
        return QStringLiteral("the script %1 could not be written (%2).")
            .arg(QDir::toNativeSeparators(script.path), file.errorString());
    file.close();
    // Runnable by hand too, for a technician who wants to repeat the flash.
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    return {};
}

TikaFlash::Report TikaFlash::runScript(const FlashScript& script)
{
    auto& svc = tool_.svc;
    // The window takes no input while esptool has the module; the progress window stays usable.
    WidgetDisabler mainWindowOff(tool_.frm.centralWidget());
    EsptoolOutput output;
    std::unique_ptr<platform::RunningProgram> running = svc.programs.start(script.program, script.arguments,
                                                                           svc.programFolder);
    progress_.setStatus(busyText());
    const Outcome outcome = watch(*running, output);
    const QString says = esptoolSays(output);
    switch (outcome) {
    case Outcome::Flashed:
    case Outcome::NotRun:
        return {outcome, {}};
    case Outcome::Failed:
        if (running->failedToStart())
            return {outcome, QStringLiteral("The TIKA upgrade failed: %1 could not be started. The module was not flashed.")
                                 .arg(script.program)};
        return {outcome, withDetail(QStringLiteral("The TIKA upgrade failed: esptool ended with exit status %1.")
                                        .arg(running->exitCode()),
                                    says, QStringLiteral("Check the cable and the port of the module, then retry."))};
    case Outcome::TimedOut:
        return {outcome, withDetail(QStringLiteral("The TIKA upgrade was stopped: esptool had not finished after %1 minutes.")
                                        .arg(kLimitSeconds / 60.0),
                                    says, QStringLiteral("The module may not start until it has been flashed again."))};
    case Outcome::Stopped:
        return {outcome, QStringLiteral("The TIKA upgrade was stopped because the progress window was closed.\n"
                                        "The module may not start until it has been flashed again.")};
    }
    return {outcome, {}};
}

TikaFlash::Outcome TikaFlash::watch(platform::RunningProgram& program, EsptoolOutput& output)
{
    auto& clock = tool_.svc.clock;
    auto& f = tool_.frm;
    const double start = clock.elapsedSeconds();
    // The 20 s the progress window shows at least.
    f.TimeOut2 = start + kMinimumSeconds;
    for (;;) {
        output.take(program.takeOutput());
        const double now = clock.elapsedSeconds();
        const double seconds = now - start;
        const QString last = output.lastLine();
        progress_.setStatus(last.isEmpty() ? busyText() : busyText() + QLatin1Char('\n') + last);
        progress_.setValue(output.lastPercent() ? *output.lastPercent() : countdownPercent(f.TimeOut2 - now, kMinimumSeconds));

        if (program.finished()) {
            if (program.failedToStart() || program.exitCode() != 0)
                return Outcome::Failed;
            if (now >= f.TimeOut2 || progress_.closedByUser())
                return Outcome::Flashed;
        } else if (seconds >= kLimitSeconds || progress_.closedByUser()) {
            const Outcome why = seconds >= kLimitSeconds ? Outcome::TimedOut : Outcome::Stopped;
            program.kill();
            output.take(program.takeOutput());
            return why;
        }
        pauseHandlingEvents(clock, tool_.svc.pump, f.TimeOut, kPassSeconds);
    }
}

} // namespace firmware
