#include "platform/PortNumbering.h"
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

namespace platform {

namespace {

// A run of digits starting at `at`, without its leading zeros; `at` moves past the run.
QStringView digitRun(const QString& text, qsizetype& at)
{
    const qsizetype begin = at;
    while (at < text.size() && text[at].isDigit())
        ++at;
    qsizetype first = begin;
    while (first + 1 < at && text[first] == QLatin1Char('0'))
        ++first;
    return QStringView(text).mid(first, at - first);
}

// Compares paths with runs of digits taken as numbers, so ttyUSB2 comes before ttyUSB10.
bool naturalLess(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            const QStringView x = digitRun(a, i);
            const QStringView y = digitRun(b, j);
            if (x.size() != y.size())
                return x.size() < y.size();
            if (const int order = x.compare(y); order != 0)
                return order < 0;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return j < b.size() && i >= a.size();
    return a < b; // equal as numbers ("ttyX01" and "ttyX1"): plain order decides
}

// k + 1 for /dev/ttyS<k>, 0 for any other path.
int onBoardPortNumber(const QString& devicePath)
{
    static const QRegularExpression onBoard(QStringLiteral("^/dev/ttyS(0|[1-9][0-9]{0,5})$"));
    const QRegularExpressionMatch m = onBoard.match(devicePath);
    return m.hasMatch() ? m.captured(1).toInt() + 1 : 0;
}

// The entry of `memory` not yet taken (`present`) that remembers the adapter `id`, or -1.
qsizetype rememberedEntry(const QList<RememberedAdapter>& memory, const PortIdentity& id, const QList<bool>& present)
{
    // A serial number tells adapters apart only when no other adapter here reports it too.
    const bool bySerial = !id.serialNumber.isEmpty() && !id.serialShared;
    const QString vendorProduct = id.vendorProduct();
    const QString location = id.location();
    for (qsizetype i = 0; i < memory.size(); ++i) {
        const RememberedAdapter& a = memory[i];
        if (present[i] || a.vendorProduct != vendorProduct || a.bySerial != bySerial)
            continue;
        if (bySerial ? a.serialNumber == id.serialNumber : a.location == location)
            return i;
    }
    return -1;
}

// The lowest number neither assigned nor owned; else the lowest not assigned; else 0.
int lowestFree(const QMap<int, QString>& assigned, const QSet<int>& owned)
{
    int fallback = 0;
    for (int n = kLowestPortNumber; n <= kHighestPortNumber; ++n) {
        if (assigned.contains(n))
            continue;
        if (!owned.contains(n))
            return n;
        if (fallback == 0)
            fallback = n;
    }
    return fallback;
}

} // namespace

int portNumberOfLinkName(const QString& fileName)
{
    static const QRegularExpression name(QStringLiteral("^COM([1-9][0-9]{0,2})$"));
    const QRegularExpressionMatch m = name.match(fileName);
    if (!m.hasMatch())
        return 0;
    const int n = m.captured(1).toInt();
    return n <= kHighestPortNumber ? n : 0;
}

Numbering numberPorts(const QList<PortLink>& links, const QList<SystemSerialDevice>& devices,
                      const QList<RememberedAdapter>& memory)
{
    QMap<QString, const SystemSerialDevice*> byPath; // the first listing of each device
    for (const SystemSerialDevice& d : devices) {
        if (!byPath.contains(d.devicePath))
            byPath.insert(d.devicePath, &d);
    }
    QMap<QString, int> adaptersWithSerial; // serial number -> how many present adapters report it
    for (const SystemSerialDevice* d : std::as_const(byPath)) {
        if (d->identity.isUsb() && !d->identity.serialNumber.isEmpty())
            ++adaptersWithSerial[d->identity.serialNumber];
    }
    const auto identityOf = [&](const QString& path) {
        PortIdentity id = byPath.contains(path) ? byPath.value(path)->identity : PortIdentity{};
        id.serialShared = !id.serialNumber.isEmpty() && adaptersWithSerial.value(id.serialNumber) > 1;
        return id;
    };

    QMap<int, QString> assigned; // port number -> device path
    QSet<QString> linkedDevices;
    for (const PortLink& link : links) {
        if (!link.targetIsCharacterDevice || link.portNumber < kLowestPortNumber
            || link.portNumber > kHighestPortNumber || assigned.contains(link.portNumber))
            continue;
        assigned.insert(link.portNumber, link.targetPath);
        linkedDevices.insert(link.targetPath);
    }

    QStringList others;
    QSet<QString> seen;
    for (const SystemSerialDevice& d : devices) {
        if (linkedDevices.contains(d.devicePath) || seen.contains(d.devicePath))
            continue;
        seen.insert(d.devicePath);
        const int onBoard = onBoardPortNumber(d.devicePath);
        if (onBoard >= kLowestPortNumber && onBoard <= kHighestPortNumber && !assigned.contains(onBoard))
            assigned.insert(onBoard, d.devicePath);
        else
            others.append(d.devicePath);
    }
    // The on-board ports are all placed before any other device takes a number.
    std::sort(others.begin(), others.end(), naturalLess);

    // Adapters seen before take their numbers back, where no link or on-board port holds them.
    QList<bool> present(memory.size(), false);
    QStringList fresh;
    for (const QString& path : std::as_const(others)) {
        const PortIdentity id = identityOf(path);
        const qsizetype entry = id.isUsb() ? rememberedEntry(memory, id, present) : -1;
        if (entry >= 0) {
            present[entry] = true;
            if (!assigned.contains(memory[entry].portNumber)) {
                assigned.insert(memory[entry].portNumber, path);
                continue;
            }
        }
        fresh.append(path);
    }
    // The others take the lowest number nobody holds, present or remembered.
    QSet<int> owned;
    for (qsizetype i = 0; i < memory.size(); ++i) {
        if (!present[i])
            owned.insert(memory[i].portNumber);
    }
    QSet<int> takenFromAbsent;
    for (const QString& path : std::as_const(fresh)) {
        const int n = lowestFree(assigned, owned);
        if (n == 0)
            break;
        if (owned.remove(n))
            takenFromAbsent.insert(n);
        assigned.insert(n, path);
    }

    Numbering result;
    for (auto it = assigned.cbegin(); it != assigned.cend(); ++it) {
        const SystemSerialDevice* d = byPath.value(it.value());
        const PortIdentity id = identityOf(it.value());
        result.ports.append({it.key(), it.value(), d ? d->description : QString(), id});
        if (id.isUsb() && !linkedDevices.contains(it.value()))
            result.memory.append({it.key(), id.vendorProduct(), id.serialNumber, id.location(),
                                  !id.serialNumber.isEmpty() && !id.serialShared});
    }
    for (qsizetype i = 0; i < memory.size() && result.memory.size() < kRememberedAdapters; ++i) {
        if (!present[i] && !takenFromAbsent.contains(memory[i].portNumber))
            result.memory.append(memory[i]);
    }
    result.memory = result.memory.mid(0, kRememberedAdapters);
    return result;
}

} // namespace platform
