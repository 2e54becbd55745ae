#pragma once
#include "device/DeviceKind.h"
#include "device/SettingsRecord.h"
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

namespace shell::cli {

// The device settings as qmr51ctl names them: one key per value of the settings record, in words a
// technician understands ("protocol", "interval", "out1.level"). The rules that check a new value
// are the settings editor's (device/SettingsLimits.h): its ranges, the difference maximum, and what
// the device kind and its firmware take.
struct SettingKey {
    enum class What { Protocol, Interval, Divider, Modbus, Function, Level, Diff, DelayOn, DelayOff };
    QString name;
    What what;
    int output; // 0 or 1 for an output's key (and the QMR51 divider); unused otherwise
};

using Firmware = std::array<std::uint8_t, 4>;

// The keys a device of this kind and firmware takes, in the order info shows them: a QMR51 has a
// protocol, a refresh interval and a pulse divider; a TIKA module a protocol, a Modbus address and
// two outputs, with delays only from firmware 24.0 on (not 24.1).
QList<SettingKey> settingKeys(device::DeviceKind kind, const Firmware& firmware);

// A value in words, with its unit: "5.0 (NL)", "60 s", "1000 W", "2 min", "n/a".
QString settingInWords(const SettingKey& key, const device::SettingsRecord& record, device::DeviceKind kind);
// The value for machine output: a number, or the text of a protocol or an output function.
QJsonValue settingAsJson(const SettingKey& key, const device::SettingsRecord& record, device::DeviceKind kind);

// New settings from KEY=VALUE words, starting from the settings the device reported.
struct SettingsChange {
    device::SettingsRecord record; // what to send
    // One sentence per value that was refused, naming the key, the value and the range. Nothing
    // may be sent when there is any.
    QStringList refusals;
    // What changed without being named: a difference pulled down to a lower maximum, as the
    // window's editor does.
    QStringList notes;
    // Set when a word is no KEY=VALUE or a key is given twice: the command line is wrong.
    QString usageError;
};
SettingsChange changeSettings(const device::SettingsRecord& current, const QStringList& assignments,
                              device::DeviceKind kind, const Firmware& firmware);

// Whether a device of this kind has every setting the KEY=VALUE words name, at the newest
// firmware (a name no kind has does not count against it: the device itself refuses it). This is
// how `--port all` keeps only the devices a change is meant for.
bool kindHasSettings(device::DeviceKind kind, const QStringList& assignments);

// The keys with their ranges, for help.
QString settingKeysHelp();

} // namespace shell::cli
