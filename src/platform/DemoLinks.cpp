#include "platform/DemoLinks.h"
#include "platform/PortMemory.h"
#include "platform/PortNumbering.h"
#include "platform/WholeFile.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <cerrno>
#include <csignal>
#include <optional>
#include <sys/stat.h>

namespace platform {

namespace {

// The process a note names; nothing when the note is missing or holds no process number (a note
// the demo did not write is left as it is).
std::optional<qint64> notedProcess(const QString& notePath)
{
    QFile note(notePath);
    if (!note.open(QIODevice::ReadOnly))
        return std::nullopt;
    bool number = false;
    const qint64 pid = note.read(32).trimmed().toLongLong(&number);
    if (!number || pid <= 0 || pid != static_cast<pid_t>(pid))
        return std::nullopt;
    return pid;
}

bool isRunning(qint64 pid)
{
    // EPERM: the process is there, it is only someone else's.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// Where the link itself points, not what that leads to in turn: a pseudo-terminal that is closed
// by now still counts.
bool leadsToPseudoTerminal(const QString& linkPath)
{
    static const QRegularExpression pts(QStringLiteral("^/dev/pts/[0-9]+$"));
    const QFileInfo link(linkPath);
    return link.isSymLink() && pts.match(link.symLinkTarget()).hasMatch();
}

// Anything at all under that name, a link that leads nowhere included.
bool entryExists(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

} // namespace

QString demoNotePath(const QString& linkPath) { return linkPath + QStringLiteral(".demo"); }

bool writeDemoNote(const QString& linkPath, qint64 pid)
{
    QDir().mkpath(QFileInfo(linkPath).absolutePath());
    return saveWholeFile(demoNotePath(linkPath), QByteArray::number(pid)).isEmpty();
}

bool isLeftoverDemoLink(const QString& linkPath)
{
    const std::optional<qint64> pid = notedProcess(demoNotePath(linkPath));
    return pid && !isRunning(*pid) && leadsToPseudoTerminal(linkPath);
}

int removeLeftoverDemoLinks(const QString& programFolder)
{
    const QDir ports(QDir(programFolder).filePath(QStringLiteral("ports")));
    int removed = 0;
    for (const QString& name : ports.entryList({QStringLiteral("COM*.demo")}, QDir::Files | QDir::Hidden)) {
        const QString link = ports.filePath(name.chopped(5));
        if (portNumberOfLinkName(name.chopped(5)) == 0)
            continue;
        const std::optional<qint64> pid = notedProcess(ports.filePath(name));
        if (!pid || isRunning(*pid))
            continue;
        if (leadsToPseudoTerminal(link)) {
            if (!QFile::remove(link))
                continue; // without its note the link would pass for the user's
            ++removed;
        }
        QFile::remove(ports.filePath(name));
    }
    return removed;
}

int freeDemoPortNumber(const QString& programFolder, PortListing& ports)
{
    QSet<int> held;
    for (const NumberedPort& port : ports.ports())
        held.insert(port.portNumber);
    for (const RememberedAdapter& adapter : loadPortMemory(portMemoryPath(programFolder)).adapters)
        held.insert(adapter.portNumber);
    const QDir folder(QDir(programFolder).filePath(QStringLiteral("ports")));
    for (int n = kLowestPortNumber; n <= kHighestPortNumber; ++n) {
        const QString link = folder.filePath(QStringLiteral("COM%1").arg(n));
        if (!held.contains(n) && !entryExists(link) && !entryExists(demoNotePath(link)))
            return n;
    }
    return 0;
}

} // namespace platform
