#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace platform {

// The COM numbers USB adapters had, so that an adapter gets its number back when it is plugged in
// again: by its serial number, or (when it has none, or another adapter present reports the same)
// by the socket it sat in. The file is <program folder>/port-numbers.json, the most recent adapters
// first, at most kRememberedAdapters of them.

inline constexpr int kRememberedAdapters = 64;

struct RememberedAdapter {
    int portNumber = 0;      // 1..255
    QString vendorProduct;   // "0403:6001"
    QString serialNumber;    // may be empty
    QString location;        // "1-3.4", or "1-3.4:1.2" for an adapter's further port
    bool bySerial = false;   // known by vendorProduct + serialNumber; otherwise by vendorProduct + location
    bool operator==(const RememberedAdapter&) const = default;
};

// The memory as stored; nothing when the text is not one (then the whole file is not trusted).
std::optional<QList<RememberedAdapter>> parsePortMemory(const QByteArray& text);
QByteArray portMemoryText(const QList<RememberedAdapter>& adapters);

QString portMemoryPath(const QString& programFolder);

struct LoadedPortMemory {
    QList<RememberedAdapter> adapters;
    QString note; // for the user when the file was damaged and set aside; empty otherwise
};
// The memory at `path`: empty when there is none yet. A file that cannot be read or understood is
// renamed to <path>.damaged (replacing an older one), so the user can send it in, and the numbering
// starts afresh.
LoadedPortMemory loadPortMemory(const QString& path);
// Writes the memory whole or not at all; the reason in the system's words, or empty when saved.
QString savePortMemory(const QString& path, const QList<RememberedAdapter>& adapters);

} // namespace platform
