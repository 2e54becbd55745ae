// set: new settings by name, checked with the editor's rules before anything is sent, sent as the
// window sends them, and read back to confirm.
#include "device/ReadBackRecord.h"
#include "shell/cli/AttemptRecords.h"
#include "shell/cli/Commands.h"
#include "shell/cli/DeviceLine.h"
#include "shell/cli/ExitCode.h"
#include "shell/cli/SettingKeys.h"

namespace shell::cli {

namespace {

QJsonObject settingsJson(const QList<SettingKey>& keys, const device::SettingsRecord& r, device::DeviceKind kind)
{
    QJsonObject o;
    for (const SettingKey& key : keys)
        o.insert(key.name, settingAsJson(key, r, kind));
    return o;
}

} // namespace

int setCommand(Context& c)
{
    if (linePortsGiven(c.options))
        return lineSetCommand(c);
    if (c.options.words.isEmpty())
        return c.fail(kUsageError, QStringLiteral("set needs at least one KEY=VALUE, e.g. set out1.level=1000"));
    DeviceLine line(c);
    if (const int failed = line.connect())
        return failed;
    device::Session& s = line.session();
    SingleAttempt record(c, line);
    using device::UnitClass;
    const device::DeviceKind kind = *s.kind();
    const Firmware firmware = s.firmware();
    const SettingsChange change =
        changeSettings(device::readBackRecord(s.settingsAnswer(), kind), c.options.words, kind, firmware);
    if (!change.usageError.isEmpty())
        return record.forget(c.fail(kUsageError, change.usageError));
    if (!change.refusals.isEmpty()) {
        for (const QString& refusal : change.refusals.mid(0, change.refusals.size() - 1))
            c.message(refusal);
        return record.end(c.fail(kRefused, change.refusals.last() + QStringLiteral(" Nothing was sent.")),
                          UnitClass::RefusedInput, change.refusals.join(QLatin1Char(' ')));
    }
    for (const QString& note : change.notes)
        c.message(note);

    const comlink::Outcome outcome = s.sendSettings(change.record).outcome;
    const QList<SettingKey> keys = settingKeys(kind, firmware);
    if (c.options.json) {
        c.printJson({{QStringLiteral("sent"), settingsJson(keys, change.record, kind)}});
    } else {
        QString sent;
        for (const SettingKey& key : keys)
            sent += key.name.leftJustified(16) + settingInWords(key, change.record, kind) + QLatin1Char('\n');
        c.print(sent);
    }
    const auto failed = [&](UnitClass result, const QString& why) { return record.end(c.fail(kDeviceFailure, why), result, why); };
    if (outcome == comlink::Outcome::Refused)
        return failed(UnitClass::Transfer, QStringLiteral("Settings error: the device did not acknowledge the settings."));
    if (outcome == comlink::Outcome::LineLost)
        return failed(UnitClass::NoDevice, QStringLiteral("The line to %1 failed: the device is gone.").arg(line.portName()));
    // The device reports its settings in its identification: ask again and compare.
    if (!s.identify())
        return failed(UnitClass::NoDevice, QStringLiteral("The device did not answer after the settings; they are not confirmed."));
    const device::SettingsRecord readBack = device::readBackRecord(s.settingsAnswer(), kind);
    if (device::settingsPayload(readBack, kind, firmware) != device::settingsPayload(change.record, kind, firmware)) {
        QStringList differ;
        for (const SettingKey& key : keys) {
            const QString now = settingInWords(key, readBack, kind);
            if (now != settingInWords(key, change.record, kind))
                differ.append(QStringLiteral("%1 is %2").arg(key.name, now));
        }
        return failed(UnitClass::Transfer, QStringLiteral("The device did not take the settings: %1.").arg(differ.join(QStringLiteral(", "))));
    }
    record.end(kSuccess, UnitClass::Passed);
    if (c.options.json)
        c.printJson({{QStringLiteral("confirmed"), true}});
    else
        c.print(QStringLiteral("confirmed: the device reports these settings\n"));
    return kSuccess;
}

} // namespace shell::cli
