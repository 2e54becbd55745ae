#include "shell/cli/SettingKeys.h"
#include "device/Captions.h"
#include "device/SettingsLimits.h"
#include "shell/OutputFunctions.h"
#include <QMap>
#include <algorithm>

namespace shell::cli {

using device::DeviceKind;
using device::SettingsRecord;
using What = SettingKey::What;

namespace {

QString functionName(int function)
{
    if (function < 0 || function >= static_cast<int>(kOutputFunctions.size()))
        return QString::number(function);
    return QString::fromUtf8(kOutputFunctions[static_cast<std::size_t>(function)]);
}

QString outputKey(int output, const char* what) { return QStringLiteral("out%1.%2").arg(output + 1).arg(QLatin1String(what)); }

int& valueOf(SettingsRecord& r, const SettingKey& key)
{
    const auto i = static_cast<std::size_t>(key.output);
    switch (key.what) {
    case What::Protocol: return r.protocolPosition;
    case What::Interval: return r.intervalSeconds;
    case What::Divider: return r.divider[i];
    case What::Modbus: return r.modbusAddress;
    case What::Function: return r.outputFunction[i];
    case What::Level: return r.powerLevelW[i];
    case What::Diff: return r.powerDiffW[i];
    case What::DelayOn: return r.delayMinutes[2 * i];
    case What::DelayOff: return r.delayMinutes[2 * i + 1];
    }
    return r.protocolPosition;
}

int valueOf(const SettingsRecord& r, const SettingKey& key) { return valueOf(const_cast<SettingsRecord&>(r), key); }

// A firmware that keeps every setting its kind has.
const Firmware kNewestFirmware{25, 0, 0, 0};

bool isKeyOf(DeviceKind kind, const QString& name)
{
    const QList<SettingKey> keys = settingKeys(kind, kNewestFirmware);
    return std::any_of(keys.begin(), keys.end(), [&](const SettingKey& k) { return k.name == name; });
}

bool isAnyKindsKey(const QString& name) { return isKeyOf(DeviceKind::Qmr51, name) || isKeyOf(DeviceKind::TikaV2, name); }

QString keyName(const QString& assignment) { return assignment.section(QLatin1Char('='), 0, 0).trimmed().toLower(); }

// Why a key that is not among the kind's keys does not apply; empty when it is no key at all.
QString whyNotHere(const QString& name, DeviceKind kind, const Firmware& firmware)
{
    if (name.startsWith(QLatin1String("out1.delay-")) || name.startsWith(QLatin1String("out2.delay-"))) {
        if (device::isTika(kind))
            return QStringLiteral("TIKA firmware %1 keeps no delays").arg(device::versionText(firmware));
    }
    if (isAnyKindsKey(name))
        return QStringLiteral("a %1 has no such setting").arg(device::displayName(kind));
    return {};
}

struct Parsed {
    int value = 0;
    QString range; // the range in words, for a refusal
    bool ok = false;
};

// "1 to 200": a range as the editor's controls have it.
QString span(device::SettingRange range) { return QStringLiteral("%1 to %2").arg(range.minimum).arg(range.maximum); }

QString rangeOf(const SettingKey& key, const SettingsRecord& r, DeviceKind kind)
{
    const auto i = static_cast<std::size_t>(key.output);
    switch (key.what) {
    case What::Protocol:
        return QStringLiteral("the DSMR protocol of a %1 is one of %2").arg(device::displayName(kind),
                                                                            device::protocolNames(kind).join(QStringLiteral(", ")));
    case What::Interval:
        return QStringLiteral("the refresh interval is %1 seconds in steps of %2")
            .arg(span(device::kIntervalRangeSeconds))
            .arg(device::kIntervalStepSeconds);
    case What::Divider: return QStringLiteral("the pulse divider is %1").arg(span(device::kDividerRange));
    case What::Modbus:
        return QStringLiteral("the Modbus address is 0 (none, also n/a) to %1").arg(device::kModbusAddressRange.maximum);
    case What::Function: {
        QStringList names;
        for (const char* n : kOutputFunctions)
            names.append(QString::fromUtf8(n));
        return QStringLiteral("the output function is one of %1 (or its number 0 to %2)")
            .arg(names.join(QStringLiteral(", ")))
            .arg(device::kOutputFunctionCount - 1);
    }
    case What::Level: return QStringLiteral("the power level is %1 W").arg(span(device::kPowerLevelRangeW));
    case What::Diff: {
        const int function = r.outputFunction[i];
        if (function == device::kExportPowerFunction)
            return QStringLiteral("the power difference is %1 W").arg(span(device::kPowerDiffRangeW));
        return QStringLiteral("with %1 %2 the power difference is 0 to %3 W, the power level")
            .arg(outputKey(key.output, "function"), functionName(function))
            .arg(device::powerDiffUpperBound(function, r.powerLevelW[i]));
    }
    case What::DelayOn:
    case What::DelayOff: return QStringLiteral("the delay is %1 minutes").arg(span(device::kDelayRangeMinutes));
    }
    return {};
}

// The value a text stands for, or nothing.
std::optional<int> readValue(const SettingKey& key, const QString& text, DeviceKind kind)
{
    const QString t = text.trimmed();
    if (key.what == What::Protocol) {
        const QStringList names = device::protocolNames(kind);
        for (int p = 0; p < names.size(); ++p) {
            const QString bare = names[p].section(QLatin1Char(' '), 0, 0);
            if (t.compare(names[p], Qt::CaseInsensitive) == 0 || t.compare(bare, Qt::CaseInsensitive) == 0)
                return p;
        }
        return std::nullopt;
    }
    if (key.what == What::Function) {
        for (int f = 0; f < static_cast<int>(kOutputFunctions.size()); ++f) {
            if (t.simplified().compare(functionName(f), Qt::CaseInsensitive) == 0)
                return f;
        }
    }
    if (key.what == What::Modbus && (t.compare(QLatin1String("n/a"), Qt::CaseInsensitive) == 0
                                     || t.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0))
        return 0;
    bool ok = false;
    const int v = t.toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

bool inRange(const SettingKey& key, int v, const SettingsRecord& r, DeviceKind kind)
{
    const auto i = static_cast<std::size_t>(key.output);
    switch (key.what) {
    case What::Protocol: return v >= 0 && v < device::protocolNames(kind).size();
    case What::Interval:
        return device::kIntervalRangeSeconds.contains(v) && v % device::kIntervalStepSeconds == 0;
    case What::Divider: return device::kDividerRange.contains(v);
    case What::Modbus: return device::kModbusAddressRange.contains(v);
    case What::Function: return v >= 0 && v < device::kOutputFunctionCount;
    case What::Level: return device::kPowerLevelRangeW.contains(v);
    case What::Diff:
        return device::SettingRange{device::kPowerDiffRangeW.minimum,
                                    device::powerDiffUpperBound(r.outputFunction[i], r.powerLevelW[i])}
            .contains(v);
    case What::DelayOn:
    case What::DelayOff: return device::kDelayRangeMinutes.contains(v);
    }
    return false;
}

bool needsPowerFunction(What what)
{
    return what == What::Level || what == What::Diff || what == What::DelayOn || what == What::DelayOff;
}

} // namespace

QList<SettingKey> settingKeys(DeviceKind kind, const Firmware& firmware)
{
    if (!device::isTika(kind))
        return {{QStringLiteral("protocol"), What::Protocol, 0},
                {QStringLiteral("interval"), What::Interval, 0},
                {QStringLiteral("divider"), What::Divider, 0}};
    QList<SettingKey> keys{{QStringLiteral("protocol"), What::Protocol, 0}, {QStringLiteral("modbus"), What::Modbus, 0}};
    for (int o = 0; o < 2; ++o) {
        keys.append({outputKey(o, "function"), What::Function, o});
        keys.append({outputKey(o, "divider"), What::Divider, o});
        keys.append({outputKey(o, "level"), What::Level, o});
        keys.append({outputKey(o, "diff"), What::Diff, o});
        if (device::tikaTakesDelays(firmware)) {
            keys.append({outputKey(o, "delay-on"), What::DelayOn, o});
            keys.append({outputKey(o, "delay-off"), What::DelayOff, o});
        }
    }
    return keys;
}

QString settingInWords(const SettingKey& key, const SettingsRecord& record, DeviceKind kind)
{
    const int v = valueOf(record, key);
    switch (key.what) {
    case What::Protocol: return device::protocolNames(kind).value(v, QString::number(v));
    case What::Interval: return QStringLiteral("%1 s").arg(v);
    case What::Modbus: return v == 0 ? QStringLiteral("n/a") : QString::number(v);
    case What::Function: return functionName(v);
    case What::Level:
    case What::Diff: return QStringLiteral("%1 W").arg(v);
    case What::DelayOn:
    case What::DelayOff: return QStringLiteral("%1 min").arg(v);
    case What::Divider: break;
    }
    return QString::number(v);
}

QJsonValue settingAsJson(const SettingKey& key, const SettingsRecord& record, DeviceKind kind)
{
    if (key.what == What::Protocol || key.what == What::Function)
        return settingInWords(key, record, kind);
    return valueOf(record, key);
}

SettingsChange changeSettings(const SettingsRecord& current, const QStringList& assignments, DeviceKind kind,
                              const Firmware& firmware)
{
    SettingsChange change;
    change.record = current;
    const QList<SettingKey> keys = settingKeys(kind, firmware);
    QMap<QString, QString> given;
    for (const QString& word : assignments) {
        const QString name = keyName(word);
        if (!word.contains(QLatin1Char('=')) || name.isEmpty()) {
            change.usageError = QStringLiteral("set takes KEY=VALUE words, not %1").arg(word);
            return change;
        }
        if (given.contains(name)) {
            change.usageError = QStringLiteral("%1 is given twice").arg(name);
            return change;
        }
        given.insert(name, word.section(QLatin1Char('='), 1));
    }
    for (auto it = given.cbegin(); it != given.cend(); ++it) {
        const bool known = std::any_of(keys.begin(), keys.end(), [&](const SettingKey& k) { return k.name == it.key(); });
        if (known)
            continue;
        const QString why = whyNotHere(it.key(), kind, firmware);
        change.refusals.append(QStringLiteral("%1=%2 refused: %3.").arg(it.key(), it.value(),
            why.isEmpty() ? QStringLiteral("there is no such setting; qmr51ctl help set lists them") : why));
    }
    // Functions first, as the rules of level, difference and delays depend on them; the
    // difference last, as its maximum depends on the level.
    auto rank = [](What w) { return w == What::Function ? 0 : w == What::Diff ? 2 : 1; };
    for (int pass = 0; pass < 3; ++pass) {
        for (const SettingKey& key : keys) {
            if (rank(key.what) != pass || !given.contains(key.name))
                continue;
            const QString text = given.value(key.name);
            const std::optional<int> v = readValue(key, text, kind);
            const int function = change.record.outputFunction[static_cast<std::size_t>(key.output)];
            if (device::isTika(kind) && needsPowerFunction(key.what) && !device::usesPowerSettings(function)) {
                change.refusals.append(QStringLiteral("%1=%2 refused: %1 is used only when %3 is Import Power > or "
                                                      "Export Power > (it is %4).")
                                           .arg(key.name, text, outputKey(key.output, "function"), functionName(function)));
            } else if (!v || !inRange(key, *v, change.record, kind)) {
                change.refusals.append(QStringLiteral("%1=%2 refused: %3.").arg(key.name, text, rangeOf(key, change.record, kind)));
            } else {
                valueOf(change.record, key) = *v;
            }
        }
    }
    if (!device::isTika(kind))
        return change;
    for (int o = 0; o < 2; ++o) {
        const auto i = static_cast<std::size_t>(o);
        const int maximum = device::powerDiffUpperBound(change.record.outputFunction[i], change.record.powerLevelW[i]);
        if (change.record.powerDiffW[i] > maximum && !given.contains(outputKey(o, "diff"))) {
            change.record.powerDiffW[i] = maximum;
            change.notes.append(QStringLiteral("%1 follows its maximum down to %2 W, as in the window.")
                                    .arg(outputKey(o, "diff")).arg(maximum));
        }
    }
    return change;
}

bool kindHasSettings(DeviceKind kind, const QStringList& assignments)
{
    return std::all_of(assignments.begin(), assignments.end(), [kind](const QString& word) {
        const QString name = keyName(word);
        return isKeyOf(kind, name) || !isAnyKindsKey(name);
    });
}

QString settingKeysHelp()
{
    QStringList functions;
    for (const char* n : kOutputFunctions)
        functions.append(QString::fromUtf8(n));
    const QString divider = span(device::kDividerRange);
    const QString delay = span(device::kDelayRangeMinutes);
    return QStringLiteral(
               "  protocol        DSMR protocol: 2.0, 4.0, 5.0 (Dutch meters) or BE; a TIKA module also DK, A1\n"
               "  interval        QMR51: seconds between readings, %1 in steps of %2\n"
               "  divider         QMR51: pulse divider, %3\n"
               "  modbus          TIKA: Modbus address, 1 to %4, or 0 (n/a) for none\n"
               "  outN.function   TIKA output N (1 or 2) follows: %5; or its number 0 to %6\n"
               "  outN.divider    TIKA output N: pulse divider, %3\n"
               "  outN.level      TIKA output N switching on power (Import Power >, Export Power >): level, %7 W\n"
               "  outN.diff       its power difference: 0 to the level; %8 W with Export Power >\n"
               "  outN.delay-on   its minutes before switching on, %9 (TIKA firmware 24.0, 24.2 and later)\n"
               "  outN.delay-off  its minutes before switching off, %9 (the same firmware)\n")
        .arg(span(device::kIntervalRangeSeconds))
        .arg(device::kIntervalStepSeconds)
        .arg(divider)
        .arg(device::kModbusAddressRange.maximum)
        .arg(functions.join(QStringLiteral(", ")))
        .arg(device::kOutputFunctionCount - 1)
        .arg(span(device::kPowerLevelRangeW), span(device::kPowerDiffRangeW), delay);
}

} // namespace shell::cli
