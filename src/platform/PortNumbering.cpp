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

QList<NumberedPort> numberPorts(const QList<PortLink>& links, const QList<SystemSerialDevice>& devices)
{
    QMap<QString, QString> descriptions; // device path -> description
    for (const SystemSerialDevice& d : devices)
        descriptions.insert(d.devicePath, d.description);

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
    // The on-board ports are all placed before any other device takes a free number.
    std::sort(others.begin(), others.end(), naturalLess);
    int next = kLowestPortNumber;
    for (const QString& path : others) {
        while (next <= kHighestPortNumber && assigned.contains(next))
            ++next;
        if (next > kHighestPortNumber)
            break;
        assigned.insert(next, path);
    }

    QList<NumberedPort> ports;
    for (auto it = assigned.cbegin(); it != assigned.cend(); ++it)
        ports.append({it.key(), it.value(), descriptions.value(it.value())});
    return ports;
}

} // namespace platform
