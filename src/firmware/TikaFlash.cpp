#include "firmware/TikaFlash.h"
#include "device/Session.h"
#include "firmware/DownloadLimits.h"
#include "firmware/EspImageCheck.h"
#include "firmware/EsptoolCommand.h"
#include "firmware/EsptoolOutput.h"
#include "firmware/UpgradeProgress.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>

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
QString waitingText() { return busyText() + QStringLiteral("\nWaiting for the module to start its new firmware..."); }

const QString kStopQuestion = QStringLiteral("Stop flashing? The module will not start until it is flashed again.");

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

TikaFlash::TikaFlash(device::Session& session, platform::Programs& programs, QString programFolder, UpgradeHost& host)
    : session_(session), programs_(programs), programFolder_(std::move(programFolder)), host_(host)
{
}

device::DeviceKind TikaFlash::kind() const { return session_.kind().value_or(device::DeviceKind::TikaV1); }

QString TikaFlash::imageFile() const
{
    return QDir(programFolder_).filePath(moduleImagePath(kind(), PathStyle::Posix));
}

QString TikaFlash::missingImage() const
{
    if (QFileInfo(imageFile()).isFile())
        return {};
    return QStringLiteral("No module image %1: nothing was flashed.").arg(QDir::toNativeSeparators(imageFile()));
}

QString TikaFlash::imageRefusal(const QString& imagePath) const
{
    const QString path = imagePath.isEmpty() ? imageFile() : QDir(programFolder_).absoluteFilePath(imagePath);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("The module image %1 cannot be read (%2): nothing was flashed.")
            .arg(QDir::toNativeSeparators(path), file.errorString());
    // One byte more than a module holds is enough to tell that the file is too big.
    const QString problem = espImageProblem(file.read(kModuleImageMaxBytes + 1), kind());
    if (problem.isEmpty())
        return {};
    return QStringLiteral("The module image %1 cannot go on this %2: %3. Nothing was flashed.")
        .arg(QDir::toNativeSeparators(path), device::displayName(kind()), problem);
}

TikaFlash::Result TikaFlash::run(const QString& imagePath)
{
    if (const QString refusal = imageRefusal(imagePath); !refusal.isEmpty()) {
        host_.message(refusal);
        return {Outcome::Refused, refusal};
    }
    // esptool needs the port for itself; the session has the module back at the next connect.
    session_.beginUpgrade(QStringLiteral("flash"));
    session_.releaseLine();
    host_.setCaption(QStringLiteral("Firmware upgrade started"));
    host_.setValue(0);
    host_.makeVisible();
    return flashModule(session_.portNumber().value_or(0),
                       imagePath.isEmpty() ? moduleImagePath(kind(), kNativeStyle) : imagePath);
}

TikaFlash::Result TikaFlash::flashModule(std::uint8_t portNumber, const QString& imagePath)
{
    Result report;
    QString problem;
    std::optional<FlashScript> script = prepareScript(portNumber, imagePath, problem);
    if (script) {
        session_.waits().pause(kScriptPauseSeconds);
        problem = writeScript(*script);
    }
    if (problem.isEmpty())
        report = runScript(*script);
    else
        report.message = QStringLiteral("The TIKA module was not flashed: ") + problem;
    if (report.outcome == Outcome::Flashed)
        report.reconnectMs = awaitModule();
    host_.unload();
    if (!report.message.isEmpty())
        host_.message(report.message);
    return report;
}

std::optional<FlashScript> TikaFlash::prepareScript(std::uint8_t port, const QString& imagePath, QString& problem)
{
    const device::DeviceKind type = kind();
    const QString& folder = programFolder_;
#ifdef Q_OS_WIN
    Q_UNUSED(problem);
    return windowsFlashScript(type, port, imagePath, QDir::toNativeSeparators(folder));
#else
    const QString devicePath = session_.devicePath(port);
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

TikaFlash::Result TikaFlash::runScript(const FlashScript& script)
{
    EsptoolOutput output;
    std::unique_ptr<platform::RunningProgram> running = programs_.start(script.program, script.arguments, programFolder_);
    host_.setStatus(busyText());
    const Outcome outcome = watch(*running, output);
    const QString says = esptoolSays(output);
    switch (outcome) {
    case Outcome::Flashed:
    case Outcome::Refused:
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
        return {outcome, QStringLiteral("The TIKA upgrade was stopped before esptool had finished.\n"
                                        "The module must be flashed again: it will not start until it is.")};
    }
    return {outcome, {}};
}

TikaFlash::Outcome TikaFlash::watch(platform::RunningProgram& program, EsptoolOutput& output)
{
    platform::Waiting& waits = session_.waits();
    const double start = waits.elapsedSeconds();
    for (;;) {
        output.take(program.takeOutput());
        const double now = waits.elapsedSeconds();
        const double seconds = now - start;
        const QString last = output.lastLine();
        host_.setStatus(last.isEmpty() ? busyText() : busyText() + QLatin1Char('\n') + last);
        host_.setValue(output.lastPercent() ? *output.lastPercent() : countdownPercent(start + kBarSeconds - now, kBarSeconds));

        if (program.finished())
            return program.failedToStart() || program.exitCode() != 0 ? Outcome::Failed : Outcome::Flashed;
        if (seconds >= kLimitSeconds) {
            program.kill();
            output.take(program.takeOutput());
            return Outcome::TimedOut;
        } else if (host_.closedByUser()) {
            // A stray click must not leave the module half written: only a Yes stops esptool.
            if (host_.askYesNo(kStopQuestion)) {
                program.kill();
                output.take(program.takeOutput());
                return Outcome::Stopped;
            }
            host_.makeVisible();
        }
        waits.pause(kPassSeconds);
    }
}

int TikaFlash::awaitModule()
{
    platform::Waiting& waits = session_.waits();
    const double end = waits.elapsedSeconds(); // esptool's end
    const double until = end + bootWaitSeconds_;
    host_.setStatus(waitingText());
    int reconnectMs = -1;
    QString why;
    double nextAsk = end;
    for (double now = end; now < until && !host_.closedByUser(); now = waits.elapsedSeconds()) {
        host_.setValue(countdownPercent(until - now, bootWaitSeconds_));
        if (nextAsk > now) {
            waits.pause(nextAsk - now);
            continue;
        }
        nextAsk = now + kAskSeconds;
        // The port is opened once (again only when it failed, as a module on its own USB port does
        // when it resets); a booting module loses what it gets, so each question is sent afresh.
        if (session_.reopen(why) && session_.answersIdentification(std::min(kAskSeconds, until - now))) {
            reconnectMs = static_cast<int>(std::lround((waits.elapsedSeconds() - end) * 1000.0));
            break;
        }
    }
    // The caller connects to the module as after any upgrade.
    session_.releaseLine();
    return reconnectMs;
}

device::UnitClass unitClassOf(TikaFlash::Outcome outcome)
{
    switch (outcome) {
    case TikaFlash::Outcome::Flashed:
        return device::UnitClass::Passed;
    case TikaFlash::Outcome::Refused:
        return device::UnitClass::RefusedInput;
    case TikaFlash::Outcome::Stopped:
        return device::UnitClass::Interrupted;
    case TikaFlash::Outcome::NotRun:
    case TikaFlash::Outcome::Failed:
    case TikaFlash::Outcome::TimedOut:
        break;
    }
    return device::UnitClass::Esptool;
}

} // namespace firmware
