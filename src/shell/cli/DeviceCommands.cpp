// scan, info, log and counter: one request each, read with the window's own rules and texts.
#include "device/Captions.h"
#include "device/ReadBackRecord.h"
#include "diagnostics/DebugLogText.h"
#include "diagnostics/InputCounter.h"
#include "platform/WholeFile.h"
#include "shell/TerminalText.h"
#include "shell/cli/AdapterJson.h"
#include "shell/cli/AttemptRecords.h"
#include "shell/cli/Commands.h"
#include "shell/cli/DeviceLine.h"
#include "shell/cli/ExitCode.h"
#include "shell/cli/SettingKeys.h"
#include <QJsonArray>

namespace shell::cli {

namespace {

QJsonObject identityJson(int port, const QString& path, device::DeviceKind kind, const QByteArray& serial,
                         const std::array<std::uint8_t, 4>& firmware)
{
    return {{QStringLiteral("port"), QStringLiteral("COM%1").arg(port)},
            {QStringLiteral("path"), path},
            {QStringLiteral("kind"), device::displayName(kind)},
            {QStringLiteral("serial"), QString::fromLatin1(serial)},
            {QStringLiteral("firmware"), device::versionText(firmware)}};
}

int noWords(Context& c)
{
    return c.options.words.isEmpty()
        ? kSuccess
        : c.fail(kUsageError, QStringLiteral("%1 takes no word %2").arg(c.options.command, c.options.words.first()));
}

} // namespace

int scanCommand(Context& c)
{
    if (const int wrong = noWords(c))
        return wrong;
    if (c.ports().ports().isEmpty())
        return c.fail(kNoDevice, QStringLiteral("No COM interfaces found"));
    QJsonArray devices;
    QByteArray text;
    for (const device::SurveyedPort& s : c.survey()) {
        const device::Identification& id = s.identification;
        if (!id.deviceFound)
            continue;
        QJsonObject device = identityJson(s.port.portNumber, s.port.devicePath, id.kind, id.serial, id.fwVersion);
        device.insert(QStringLiteral("usb"), platform::usbJson(s.port.identity));
        device.insert(QStringLiteral("byId"), s.port.identity.byId);
        devices.append(device);
        // A serial number with a tab or a line break in it must not shift the columns.
        text += QStringLiteral("COM%1\t%2\t%3\t").arg(s.port.portNumber).arg(s.port.devicePath, device::displayName(id.kind)).toUtf8()
            + escapedForTerminal(id.serial, LineFeeds::Escaped) + '\t' + device::versionText(id.fwVersion).toUtf8()
            + '\n';
    }
    if (devices.isEmpty())
        return c.fail(kNoDevice, QStringLiteral("No QMR51 or TIKA found"));
    if (c.options.json)
        c.printJson({{QStringLiteral("devices"), devices}});
    else
        c.env.console.out(text);
    return kSuccess;
}

int infoCommand(Context& c)
{
    if (linePortsGiven(c.options))
        return lineInfoCommand(c);
    if (const int wrong = noWords(c))
        return wrong;
    DeviceLine line(c);
    if (const int failed = line.connect())
        return failed;
    device::Session& s = line.session();
    const device::DeviceKind kind = *s.kind();
    const device::SettingsRecord record = device::readBackRecord(s.settingsAnswer(), kind);
    const QList<SettingKey> keys = settingKeys(kind, s.firmware());
    if (c.options.json) {
        QJsonObject settings;
        for (const SettingKey& key : keys)
            settings.insert(key.name, settingAsJson(key, record, kind));
        QJsonObject info = identityJson(line.portNumber(), s.devicePath(line.portNumber()), kind, s.serial(), s.firmware());
        info.insert(QStringLiteral("settings"), settings);
        c.printJson(info);
        return kSuccess;
    }
    QByteArray text = "port            " + line.portName().toUtf8() + "\nkind            "
        + device::displayName(kind).toUtf8() + "\nserial          " + escapedForTerminal(s.serial(), LineFeeds::Escaped)
        + "\nfirmware        " + device::versionText(s.firmware()).toUtf8() + '\n';
    for (const SettingKey& key : keys)
        text += key.name.leftJustified(16).toUtf8() + settingInWords(key, record, kind).toUtf8() + '\n';
    c.env.console.out(text);
    return kSuccess;
}

int logCommand(Context& c)
{
    if (const int wrong = noWords(c))
        return wrong;
    DeviceLine line(c);
    if (const int failed = line.connect())
        return failed;
    const comlink::Reply reply = line.session().readDebugLog();
    const diagnostics::DebugLogReadOutcome outcome = diagnostics::interpretDebugLogResult(reply);
    if (!outcome.message.isEmpty())
        return c.fail(kDeviceFailure, outcome.message);
    if (!reply.ok() || (reply.data.size() == 1 && outcome.appendBytes.isEmpty()))
        return c.fail(kDeviceFailure, QStringLiteral("The device sent no debug log (status %1).")
                                          .arg(reply.ok() ? static_cast<std::uint8_t>(reply.data.at(0)) : reply.status));
    // Exactly what the window's save writes after one Read.
    const QByteArray content = diagnostics::debugLogFileContent(outcome.appendBytes);
    const QString& file = c.options.outputFile;
    if (file.isEmpty()) {
        if (c.options.json)
            c.printJson({{QStringLiteral("log"), diagnostics::logBytesToText(content)}, {QStringLiteral("bytes"), content.size()}});
        else if (c.env.console.outIsTerminal()) // a file or a pipe gets the bytes themselves
            c.env.console.out(escapedForTerminal(content, LineFeeds::Kept));
        else
            c.env.console.out(content);
        return kSuccess;
    }
    if (const QString failure = platform::saveWholeFile(file, content); !failure.isEmpty())
        return c.fail(kDeviceFailure, QStringLiteral("The debug log could not be saved as %1: %2").arg(file, failure));
    if (c.options.json)
        c.printJson({{QStringLiteral("file"), file}, {QStringLiteral("bytes"), content.size()}});
    else
        c.print(file + QLatin1Char('\n'));
    return kSuccess;
}

int counterCommand(Context& c)
{
    if (linePortsGiven(c.options))
        return lineCounterCommand(c);
    const QStringList& w = c.options.words;
    if (w.size() != 2 || (w[0] != QLatin1String("1") && w[0] != QLatin1String("2")))
        return c.fail(kUsageError, QStringLiteral("counter takes the input (1 or 2) and the value, e.g. counter 2 258"));
    const int input = w[0].toInt() - 1;
    const diagnostics::InputValue value = diagnostics::validateInputValue(w[1]);
    if (!value.value)
        return c.fail(kRefused, QStringLiteral("counter %1 %2 refused: %3").arg(w[0], w[1], value.error));
    DeviceLine line(c);
    if (const int failed = line.connect())
        return failed;
    SingleAttempt record(c, line);
    const QString question = diagnostics::inputConfirmationText(input, *value.value);
    if (const Context::Answer answer = c.confirm(question); answer != Context::Answer::Yes)
        return record.end(c.fail(kRefused, Context::notConfirmed(answer, question)), device::UnitClass::RefusedInput);
    const comlink::Reply reply = diagnostics::presetCounter(line.session(), input, *value.value);
    if (!reply.ok()) {
        const QString why = QStringLiteral("Input %1 was not set: the device gave no good answer (status %2).")
                                .arg(input + 1).arg(reply.status);
        return record.end(c.fail(kDeviceFailure, why), device::UnitClass::Transfer, why);
    }
    record.end(kSuccess, device::UnitClass::Passed);
    if (c.options.json)
        c.printJson({{QStringLiteral("input"), input + 1}, {QStringLiteral("value"), static_cast<qint64>(*value.value)}});
    else
        c.print(QStringLiteral("Input %1 set to %2\n").arg(input + 1).arg(*value.value));
    return kSuccess;
}

} // namespace shell::cli
