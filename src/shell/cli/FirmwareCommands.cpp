// upgrade (QMR51, over its own line) and flash (TIKA, through esptool): the window's upgrade flows
// with the terminal as their host; afterwards the device is asked for its version again.
#include "device/Captions.h"
#include "firmware/ModuleImages.h"
#include "firmware/Qmr51Upgrade.h"
#include "firmware/TikaFlash.h"
#include "firmware/UnitJobs.h"
#include "firmware/UpgradeFrames.h"
#include "shell/cli/AttemptRecords.h"
#include "shell/cli/Commands.h"
#include "shell/cli/DeviceLine.h"
#include "shell/cli/ExitCode.h"
#include "shell/cli/TerminalHost.h"
#include <QFileInfo>
#include <QRegularExpression>
#include <chrono>

namespace shell::cli {

namespace {

using Version = std::array<std::uint8_t, 4>;
using device::UnitClass;
constexpr std::chrono::minutes kImageDownloadLimit{3};

// After a restart into new firmware: connect again and say what the device runs now. A QMR51
// whose image did not take keeps its old version, so it must now report the version sent.
int reportNewVersion(Context& c, DeviceLine& line, SingleAttempt& record, const std::optional<Version>& expected)
{
    if (const int failed = line.reconnect())
        return record.end(failed == kNoDevice ? kDeviceFailure : failed, UnitClass::NoDevice,
                          QStringLiteral("%1 does not answer after the restart.").arg(line.portName()));
    device::Session& s = line.session();
    record.attempt().firmwareAfter = s.firmware();
    const QString now = device::versionText(s.firmware());
    if (expected && s.firmware() != *expected) {
        const QString why = QStringLiteral("After the restart %1 reports firmware %2, not %3: the new firmware did not take.")
                                .arg(line.portName(), now, device::versionText(*expected));
        return record.end(c.fail(kDeviceFailure, why), UnitClass::Version, why);
    }
    record.end(kSuccess, UnitClass::Passed);
    if (c.options.json)
        c.printJson({{QStringLiteral("port"), QStringLiteral("COM%1").arg(line.portNumber())},
                     {QStringLiteral("kind"), device::displayName(*s.kind())},
                     {QStringLiteral("firmware"), now}});
    else
        c.print(QStringLiteral("COM%1\t%2\t%3\n").arg(line.portNumber()).arg(device::displayName(*s.kind()), now));
    return kSuccess;
}

// The upgrade told the user why it stopped; a script reading --json gets it too.
int stopped(Context& c, const QString& why, int exitCode)
{
    if (c.options.json)
        c.printJson({{QStringLiteral("error"), why}, {QStringLiteral("exitCode"), exitCode}});
    return exitCode;
}

int notStarted(Context& c, const firmware::Qmr51Upgrade::Result& result, const Version& firmware)
{
    using Because = firmware::Qmr51Upgrade::NotStartedBecause;
    switch (result.because) {
    case Because::UpToDate:
        if (c.options.json)
            c.printJson({{QStringLiteral("firmware"), device::versionText(firmware)}, {QStringLiteral("upToDate"), true}});
        else
            c.print(QStringLiteral("The QMR51 runs the latest firmware %1 already.\n").arg(device::versionText(firmware)));
        return kSuccess;
    case Because::NoPort:
        return kNoDevice;
    case Because::ListMissing:
    case Because::DownloadFailed:
        return kDeviceFailure;
    case Because::Declined:
    case Because::ImageRefused:
    case Because::Nothing:
        break;
    }
    return kRefused;
}

} // namespace

std::optional<std::array<std::uint8_t, 4>> parseVersion(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    Version v{};
    for (int i = 0; i < 4; ++i) {
        const int part = m.captured(i + 1).toInt();
        if (part > 255)
            return std::nullopt;
        v[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(part);
    }
    return v;
}

int upgradeCommand(Context& c)
{
    if (linePortsGiven(c.options))
        return lineUpgradeCommand(c);
    if (!c.options.words.isEmpty())
        return c.fail(kUsageError, QStringLiteral("upgrade takes no word %1").arg(c.options.words.first()));
    std::optional<Version> hexVersion;
    if (!c.options.hexFile.isEmpty()) {
        hexVersion = parseVersion(c.options.firmwareVersion);
        if (!hexVersion)
            return c.fail(kUsageError, QStringLiteral("--hex needs --fw-version A.B.C.D, the version the file holds"));
    } else if (!c.options.firmwareVersion.isEmpty()) {
        return c.fail(kUsageError, QStringLiteral("--fw-version goes with --hex"));
    }
    DeviceLine line(c);
    // Forced: the QMR51 on --port no longer identifies (a transfer broke off); the upgrade
    // still asks before it sends, as the window's Force upgrade does.
    if (const int failed = c.options.force ? line.assume(device::DeviceKind::Qmr51) : line.connect())
        return failed;
    device::Session& s = line.session();
    SingleAttempt record(c, line);
    if (device::isTika(s.kind()))
        return record.end(c.fail(kRefused, QStringLiteral("%1 holds a %2: a TIKA module is flashed with qmr51ctl flash.")
                                               .arg(line.portName(), device::displayName(*s.kind()))),
                          UnitClass::RefusedInput);
    const Version before = s.firmware();
    TerminalHost host(c);
    firmware::Qmr51Upgrade upgrade(s, c.env.transfer, c.servers().firmwareServer, c.programFolder, host);
    firmware::Qmr51Upgrade::Result result;
    if (hexVersion) {
        record.attempt().imageName = QFileInfo(c.options.hexFile).fileName();
        if (!QFileInfo(c.options.hexFile).isFile())
            return record.end(c.fail(kRefused, QStringLiteral("There is no file %1. Nothing was sent.").arg(c.options.hexFile)),
                              UnitClass::RefusedInput);
        // The refusals of a downloaded file: the host is told why.
        const std::optional<QByteArray> image = upgrade.imageFromHexFile(c.options.hexFile);
        if (!image)
            return record.end(stopped(c, host.lastMessage(), kRefused), UnitClass::RefusedInput, host.lastMessage());
        const QString question = QStringLiteral("Send %1 (%2 blocks) to the QMR51 on %3 as firmware V%4?")
                                     .arg(c.options.hexFile).arg(firmware::blockCount(*image))
                                     .arg(line.portName(), device::versionText(*hexVersion));
        if (!host.askYesNo(question))
            return record.end(c.fail(kRefused, Context::notConfirmed(host.questionNotAskable() ? Context::Answer::CannotAsk
                                                                                                : Context::Answer::No,
                                                                     question)),
                              UnitClass::RefusedInput);
        result = upgrade.sendAndRestart(*image, *hexVersion);
    } else {
        result = upgrade.run();
    }
    switch (result.outcome) {
    case firmware::Qmr51Upgrade::Outcome::NotStarted: {
        const int code = notStarted(c, result, before);
        return record.end(code == kSuccess ? code : stopped(c, result.message, code), firmware::unitClassOf(result.because), result.message);
    }
    case firmware::Qmr51Upgrade::Outcome::TransferFailed:
        return record.end(stopped(c, result.message, kDeviceFailure),
                          host.interrupted() ? UnitClass::Interrupted : UnitClass::Transfer, result.message);
    case firmware::Qmr51Upgrade::Outcome::Restarted:
        break;
    }
    if (host.interrupted()) {
        c.message(QStringLiteral("The transfer was cancelled; the QMR51 keeps its present firmware."));
        const int code = reportNewVersion(c, line, record, std::nullopt);
        return record.end(code, UnitClass::Interrupted, QStringLiteral("The transfer was cancelled."));
    }
    return reportNewVersion(c, line, record, upgrade.versionSent());
}

int flashCommand(Context& c)
{
    if (linePortsGiven(c.options))
        return lineFlashCommand(c);
    if (!c.options.words.isEmpty())
        return c.fail(kUsageError, QStringLiteral("flash takes no word %1").arg(c.options.words.first()));
    if (c.options.force != c.options.kind.has_value())
        return c.fail(kUsageError, QStringLiteral("--force and --kind \"TIKA V1\"|\"TIKA V2\" go together: a module that does "
                                                  "not answer cannot say which it is."));
    DeviceLine line(c);
    if (const int failed = c.options.force ? line.assume(*c.options.kind) : line.connect())
        return failed;
    device::Session& s = line.session();
    SingleAttempt record(c, line);
    if (!device::isTika(s.kind()))
        return record.end(c.fail(kRefused, QStringLiteral("%1 holds a QMR51: it is upgraded with qmr51ctl upgrade.").arg(line.portName())),
                          UnitClass::RefusedInput);
    TerminalHost host(c);
    firmware::TikaFlash flash(s, c.env.programs, c.programFolder, host);
    if (c.options.bootWaitSeconds)
        flash.setBootWaitSeconds(*c.options.bootWaitSeconds);
    QString image;
    if (!c.options.imageFile.isEmpty()) {
        if (!QFileInfo(c.options.imageFile).isFile())
            return record.end(c.fail(kRefused, QStringLiteral("There is no image file %1: nothing was flashed.").arg(c.options.imageFile)),
                              UnitClass::RefusedInput);
        image = QFileInfo(c.options.imageFile).absoluteFilePath();
    } else {
        // A fresh module image, as the window fetches at every start; a failed download leaves
        // the one on disk.
        firmware::ModuleImages images(c.env.transfer, c.servers().moduleImageBaseUrl, c.programFolder);
        images.start();
        images.waitForFinished(kImageDownloadLimit);
        if (const QString missing = flash.missingImage(); !missing.isEmpty())
            return record.end(c.fail(kRefused, missing), UnitClass::Download, missing);
    }
    if (c.options.force) {
        // Nothing has answered on this port, so nothing says a module of that kind is there.
        const QString question = QStringLiteral("Flash %1 onto a %2 on %3 that does not answer?")
                                     .arg(image.isEmpty() ? flash.imageFile() : image,
                                          device::displayName(*c.options.kind), line.portName());
        if (!host.askYesNo(question))
            return record.end(c.fail(kRefused, Context::notConfirmed(host.questionNotAskable() ? Context::Answer::CannotAsk
                                                                                                : Context::Answer::No,
                                                                     question)),
                              UnitClass::RefusedInput);
    }
    firmware::describeImageFile(record.attempt(), image.isEmpty() ? flash.imageFile() : image);
    // esptool verified what it wrote; the module's answer afterwards is the proof it starts.
    const firmware::TikaFlash::Result flashed = flash.run(image);
    if (flashed.reconnectMs >= 0)
        record.attempt().reconnectMs = flashed.reconnectMs;
    switch (flashed.outcome) {
    case firmware::TikaFlash::Outcome::Flashed:
        break;
    case firmware::TikaFlash::Outcome::Refused:
        return record.end(stopped(c, flashed.message, kRefused), UnitClass::RefusedInput, flashed.message);
    default:
        return record.end(stopped(c, flashed.message, kDeviceFailure), firmware::unitClassOf(flashed.outcome), flashed.message);
    }
    return reportNewVersion(c, line, record, std::nullopt);
}

} // namespace shell::cli
