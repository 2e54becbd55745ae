// A production line: flash, upgrade, info, set and counter on several ports at once (--port
// COM3,COM5,serial:A50285BI or --port all). Everything that needs the network or the user happens
// once, here, before the units start: the module images or the QMR51 image are fetched, the one
// question is asked. Then every unit runs the job on its own thread (device::UnitLine) and the
// printer shows what each does.
#include "device/Captions.h"
#include "device/ReadBackRecord.h"
#include "device/UnitLine.h"
#include "diagnostics/InputCounter.h"
#include "firmware/ModuleImages.h"
#include "firmware/Qmr51LineImage.h"
#include "firmware/TikaFlash.h"
#include "firmware/UnitJobs.h"
#include "firmware/UpgradeFrames.h"
#include "shell/cli/AttemptRecords.h"
#include "shell/cli/Commands.h"
#include "shell/cli/DeviceLine.h"
#include "shell/cli/ExitCode.h"
#include "shell/cli/LinePrinter.h"
#include "shell/cli/ReadingsPrinter.h"
#include "shell/cli/SettingKeys.h"
#include <QFileInfo>
#include <chrono>

namespace shell::cli {

namespace {

using device::UnitClass;
using device::UnitEnd;
using Wanted = std::function<bool(device::DeviceKind)>;

constexpr std::chrono::minutes kImageDownloadLimit{3};

bool isAll(const QString& port) { return port.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0; }

// The ports of the line: every one named, or with `all` every port where a device of the wanted
// kind answers. Nothing when the failure was told; its exit code is then in `code`.
std::optional<QList<platform::NumberedPort>> linePorts(Context& c, const Wanted& wanted, const QString& wantedWords, int& code)
{
    const QList<platform::NumberedPort> machine = c.ports().ports();
    QList<platform::NumberedPort> chosen;
    if (isAll(c.options.port)) {
        if (machine.isEmpty()) {
            code = c.fail(kNoDevice, QStringLiteral("No COM interfaces found"));
            return std::nullopt;
        }
        for (const device::SurveyedPort& s : c.survey())
            if (s.identification.deviceFound && wanted(s.identification.kind))
                chosen.append(s.port);
        if (chosen.isEmpty()) {
            code = c.fail(kNoDevice, QStringLiteral("No %1 answers on any port.").arg(wantedWords));
            return std::nullopt;
        }
        return chosen;
    }
    // "COM3," is a line of one unit.
    for (const QString& entry : c.options.port.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = entry.trimmed();
        if (isAll(name) || name.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0) {
            code = c.fail(kUsageError, QStringLiteral("--port takes ports separated by commas (COM3,COM5,/dev/ttyUSB4,"
                                                      "serial:A50285BI) or all, not %1").arg(c.options.port));
            return std::nullopt;
        }
        DeviceLine line(c);
        if (const int failed = line.resolve(name)) {
            code = failed;
            return std::nullopt;
        }
        if (std::any_of(chosen.begin(), chosen.end(), [&](const auto& p) { return p.portNumber == line.portNumber(); }))
            continue;
        // The listing again: a device path given by hand has been added to it.
        for (const platform::NumberedPort& p : c.ports().ports())
            if (p.portNumber == line.portNumber())
                chosen.append(p);
    }
    return chosen;
}

// Runs the job on every unit; `afterwards` may print what the units found before the summary.
int runLine(Context& c, const QList<platform::NumberedPort>& ports, device::UnitJob job,
            const std::function<void(const QList<device::UnitAttempt>&)>& afterwards = {})
{
    LinePrinter printer(c, ports);
    RecordFile records(c, ports);
    device::UnitLine line(c.env.makeUnit, std::move(job), c.options.retries);
    const QList<device::UnitAttempt> ends = line.run(ports, printer, records.sink(), c.env.interruptions);
    if (afterwards)
        afterwards(ends);
    return printer.finish(ends);
}

int noWords(Context& c)
{
    return c.options.words.isEmpty()
        ? kSuccess
        : c.fail(kUsageError, QStringLiteral("%1 takes no word %2").arg(c.options.command, c.options.words.first()));
}

QString portList(const QList<platform::NumberedPort>& ports)
{
    QStringList names;
    for (const platform::NumberedPort& p : ports)
        names.append(QStringLiteral("COM%1").arg(p.portNumber));
    return names.join(QStringLiteral(", "));
}

int noForce(Context& c)
{
    return c.options.force ? c.fail(kUsageError, QStringLiteral("--force goes with one port: a device that does not answer "
                                                                "is named by hand, one at a time."))
                           : kSuccess;
}

bool anyKind(device::DeviceKind) { return true; }

} // namespace

bool linePortsGiven(const Options& options) { return options.port.contains(QLatin1Char(',')) || isAll(options.port); }

int lineFlashCommand(Context& c)
{
    if (const int wrong = noWords(c))
        return wrong;
    if (const int wrong = noForce(c))
        return wrong;
    QString image;
    if (!c.options.imageFile.isEmpty()) {
        if (!QFileInfo(c.options.imageFile).isFile())
            return c.fail(kRefused, QStringLiteral("There is no image file %1: nothing was flashed.").arg(c.options.imageFile));
        image = QFileInfo(c.options.imageFile).absoluteFilePath();
    } else {
        // Once for every module; a failed download leaves the images on disk.
        firmware::ModuleImages images(c.env.transfer, c.servers().moduleImageBaseUrl, c.programFolder);
        images.start();
        images.waitForFinished(kImageDownloadLimit);
    }
    int code = kSuccess;
    const auto ports = linePorts(c, [](device::DeviceKind k) { return device::isTika(k); }, QStringLiteral("TIKA module"), code);
    if (!ports)
        return code;
    return runLine(c, *ports, firmware::flashJob({c.programFolder, image, c.options.sameVersionOk,
                                                           c.options.bootWaitSeconds.value_or(firmware::TikaFlash::kBootWaitSeconds)}));
}

int lineUpgradeCommand(Context& c)
{
    if (const int wrong = noWords(c))
        return wrong;
    if (const int wrong = noForce(c))
        return wrong;
    firmware::Qmr51LineImage image;
    if (!c.options.hexFile.isEmpty()) {
        const auto version = parseVersion(c.options.firmwareVersion);
        if (!version)
            return c.fail(kUsageError, QStringLiteral("--hex needs --fw-version A.B.C.D, the version the file holds"));
        if (!QFileInfo(c.options.hexFile).isFile())
            return c.fail(kRefused, QStringLiteral("There is no file %1. Nothing was sent.").arg(c.options.hexFile));
        image = firmware::qmr51ImageFromFile(c.options.hexFile, *version);
    } else if (!c.options.firmwareVersion.isEmpty()) {
        return c.fail(kUsageError, QStringLiteral("--fw-version goes with --hex"));
    } else {
        platform::Waiting waits(c.env.clock, c.env.pump);
        image = firmware::latestQmr51Image(c.env.transfer, waits, c.servers().firmwareServer, c.programFolder);
    }
    if (!image.problem.isEmpty())
        return c.fail(image.downloadFailed ? kDeviceFailure : kRefused, image.problem + QStringLiteral(" Nothing was sent."));
    int code = kSuccess;
    const auto ports = linePorts(c, [](device::DeviceKind k) { return !device::isTika(k); }, QStringLiteral("QMR51"), code);
    if (!ports)
        return code;
    const QString question = QStringLiteral("Send firmware V%1 (%2 blocks) to the QMR51 on %3?")
                                 .arg(device::versionText(image.version)).arg(firmware::blockCount(image.image)).arg(portList(*ports));
    if (const Context::Answer answer = c.confirm(question); answer != Context::Answer::Yes)
        return c.fail(kRefused, Context::notConfirmed(answer, question));
    return runLine(c, *ports, firmware::upgradeJob({c.programFolder, image.image, image.version, image.name}));
}

int lineInfoCommand(Context& c)
{
    if (const int wrong = noWords(c))
        return wrong;
    int code = kSuccess;
    const auto ports = linePorts(c, anyKind, QStringLiteral("QMR51 or TIKA"), code);
    // The connect is the whole job: the line tells the kind, serial number and firmware of each.
    return ports ? runLine(c, *ports, [](device::UnitWork&) { return UnitEnd{}; }) : code;
}

int lineReadCommand(Context& c)
{
    if (const int wrong = noWords(c))
        return wrong;
    int code = kSuccess;
    const auto ports = linePorts(c, anyKind, QStringLiteral("QMR51 or TIKA"), code);
    if (!ports)
        return code;
    // Every unit reads --count readings (one unless said), at the device's interval or --interval.
    const int count = c.options.count.value_or(1);
    const std::optional<double> interval = c.options.intervalSeconds;
    const QString chosenCountry = c.options.country;
    return runLine(
        c, *ports,
        [count, interval, chosenCountry](device::UnitWork& work) -> UnitEnd {
            device::Session& s = work.session();
            const device::SettingsRecord settings = device::readBackRecord(s.settingsAnswer(), *s.kind());
            const auto [nederland, belgie] = tariffCountry(chosenCountry, settings.protocolPosition);
            for (int n = 0; n < count; ++n) {
                if (n > 0)
                    s.waits().pause(interval.value_or(settings.intervalSeconds));
                if (work.stopRequested())
                    return {UnitClass::Interrupted, QStringLiteral("Stopped after %1 readings.").arg(n)};
                work.progress(QStringLiteral("readings"), 100 * n / count);
                const device::ReadingRow row = s.poll(nederland, belgie);
                work.attempt().readings.append(row);
                // Statuses 1 ... 3 are the module's own answers; anything else means no answer came.
                if (row.status > 3)
                    return {UnitClass::Transfer, QStringLiteral("No readings came back (status %1).").arg(row.status)};
            }
            return {};
        },
        [&c](const QList<device::UnitAttempt>& ends) {
            for (const device::UnitAttempt& unit : ends) {
                if (!unit.kind)
                    continue;
                ReadingsPrinter printer(c, *unit.kind, QStringLiteral("COM%1").arg(unit.portNumber));
                for (const device::ReadingRow& row : unit.readings)
                    printer.print(row);
            }
        });
}

int lineSetCommand(Context& c)
{
    const QStringList words = c.options.words;
    if (words.isEmpty() || !std::all_of(words.begin(), words.end(), [](const QString& w) { return w.contains(QLatin1Char('=')); }))
        return c.fail(kUsageError, QStringLiteral("set needs KEY=VALUE words, e.g. set out1.level=1000"));
    // `all` means every device the change is for: interval=10 finds the QMR51s, modbus=7 the
    // modules. A named port is taken as named, and a device there that lacks a setting refuses it.
    const auto takesThem = [&words](device::DeviceKind k) { return kindHasSettings(k, words); };
    const bool qmr51 = takesThem(device::DeviceKind::Qmr51);
    const bool tika = takesThem(device::DeviceKind::TikaV1);
    const QString wantedWords = qmr51 && tika ? QStringLiteral("QMR51 or TIKA")
        : qmr51                               ? QStringLiteral("QMR51")
        : tika                                ? QStringLiteral("TIKA module")
                                              : QStringLiteral("device that has all of %1").arg(words.join(QLatin1Char(' ')));
    int code = kSuccess;
    const auto ports = linePorts(c, takesThem, wantedWords, code);
    if (!ports)
        return code;
    // Each device is checked against its own kind and firmware: one may refuse what another takes.
    return runLine(c, *ports, [words](device::UnitWork& work) -> UnitEnd {
        device::Session& s = work.session();
        const device::DeviceKind kind = *s.kind();
        const Firmware firmware = s.firmware();
        const SettingsChange change = changeSettings(device::readBackRecord(s.settingsAnswer(), kind), words, kind, firmware);
        if (!change.usageError.isEmpty())
            return {UnitClass::RefusedInput, change.usageError};
        if (!change.refusals.isEmpty())
            return {UnitClass::RefusedInput, change.refusals.join(QLatin1Char(' ')) + QStringLiteral(" Nothing was sent.")};
        work.progress(QStringLiteral("settings"), 0);
        const comlink::Outcome sent = s.sendSettings(change.record).outcome;
        if (sent != comlink::Outcome::Acknowledged)
            return {UnitClass::Transfer, sent == comlink::Outcome::LineLost
                                             ? QStringLiteral("The line failed: the device is gone.")
                                             : QStringLiteral("Settings error: the device did not acknowledge the settings.")};
        work.progress(QStringLiteral("verify"), 50);
        if (!s.identify())
            return {UnitClass::Transfer, QStringLiteral("The device did not answer after the settings; they are not confirmed.")};
        work.attempt().firmwareAfter = s.firmware();
        const device::SettingsRecord readBack = device::readBackRecord(s.settingsAnswer(), kind);
        if (device::settingsPayload(readBack, kind, firmware) != device::settingsPayload(change.record, kind, firmware))
            return {UnitClass::Transfer, QStringLiteral("The device did not take the settings.")};
        return {};
    });
}

int lineCounterCommand(Context& c)
{
    const QStringList& w = c.options.words;
    if (w.size() != 2 || (w[0] != QLatin1String("1") && w[0] != QLatin1String("2")))
        return c.fail(kUsageError, QStringLiteral("counter takes the input (1 or 2) and the value, e.g. counter 2 258"));
    const int input = w[0].toInt() - 1;
    const diagnostics::InputValue value = diagnostics::validateInputValue(w[1]);
    if (!value.value)
        return c.fail(kRefused, QStringLiteral("counter %1 %2 refused: %3").arg(w[0], w[1], value.error));
    int code = kSuccess;
    const auto ports = linePorts(c, anyKind, QStringLiteral("QMR51 or TIKA"), code);
    if (!ports)
        return code;
    const QString question = diagnostics::inputConfirmationText(input, *value.value).chopped(1)
        + QStringLiteral(" on %1?").arg(portList(*ports));
    if (const Context::Answer answer = c.confirm(question); answer != Context::Answer::Yes)
        return c.fail(kRefused, Context::notConfirmed(answer, question));
    const quint32 preset = *value.value;
    return runLine(c, *ports, [input, preset](device::UnitWork& work) -> UnitEnd {
        work.progress(QStringLiteral("counter"), 0);
        const comlink::Reply reply = diagnostics::presetCounter(work.session(), input, preset);
        if (!reply.ok())
            return {UnitClass::Transfer, QStringLiteral("Input %1 was not set: the device gave no good answer (status %2).")
                                             .arg(input + 1).arg(reply.status)};
        return {};
    });
}

} // namespace shell::cli
