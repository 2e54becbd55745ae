#include "shell/cli/SystemFacts.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <grp.h>
#include <unistd.h>
#include <vector>

namespace shell::cli {

namespace {

// The programs running now: pid and name (the kernel's short name of the program).
QList<std::pair<qint64, QString>> runningPrograms()
{
    QList<std::pair<qint64, QString>> programs;
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : pids) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number)
            continue;
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        if (comm.open(QIODevice::ReadOnly))
            programs.append({pid, QString::fromLocal8Bit(comm.readAll()).trimmed()});
    }
    return programs;
}

// /dev/pts/N for a descriptor of `pid` that is the master end of pseudo-terminal N (the kernel
// names that number in the descriptor's fdinfo); empty for any other descriptor.
QString servedPseudoTerminal(qint64 pid, const QString& fd, const QString& target)
{
    if (QFileInfo(target).fileName() != QLatin1String("ptmx"))
        return {};
    QFile info(QStringLiteral("/proc/%1/fdinfo/%2").arg(pid).arg(fd));
    if (!info.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : info.readAll().split('\n')) {
        if (line.startsWith("tty-index:"))
            return QStringLiteral("/dev/pts/") + QString::fromLatin1(line.mid(10).trimmed());
    }
    return {};
}

bool userInGroup(gid_t group)
{
    if (getgid() == group || getegid() == group)
        return true;
    const int count = getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(count, 0)));
    if (count > 0 && getgroups(count, groups.data()) == count)
        return std::find(groups.begin(), groups.end(), group) != groups.end();
    return false;
}

} // namespace

SystemFacts readSystemFacts(const QString& programFolder, const QList<platform::NumberedPort>& ports)
{
    SystemFacts facts;
    facts.isRoot = geteuid() == 0;
    if (const group* dialout = getgrnam("dialout")) {
        facts.dialoutGroupExists = true;
        facts.inDialout = userInGroup(dialout->gr_gid);
    }
    for (const platform::NumberedPort& port : ports) {
        const QString path = QFileInfo(port.devicePath).canonicalFilePath();
        if (path.isEmpty())
            continue;
        facts.serialDevices.append(path);
        if (::access(QFile::encodeName(path).constData(), R_OK | W_OK) != 0)
            facts.unusableDevices.append(path);
    }
    const qint64 self = getpid();
    for (const auto& [pid, name] : runningPrograms()) {
        if (name == QLatin1String("ModemManager"))
            facts.modemManagerRunning = true;
        if (name == QLatin1String("brltty"))
            facts.brlttyPresent = true;
        if (pid == self || facts.serialDevices.isEmpty())
            continue;
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        QStringList held;
        QStringList served;
        for (const QString& fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            const QString target = QFile::symLinkTarget(fds.filePath(fd));
            if (facts.serialDevices.contains(target))
                held.append(target);
            else if (const QString pts = servedPseudoTerminal(pid, fd, target); !pts.isEmpty())
                served.append(pts);
        }
        held.removeDuplicates();
        // The program at the other end of a pseudo-terminal (a simulated device, socat) is the
        // device, not a program in the way, even when it keeps the line's end open as well.
        for (const QString& path : held) {
            if (!served.contains(path))
                facts.holders.append({path, pid, name});
        }
    }
    for (const char* rules : {"/usr/lib/udev/rules.d/85-brltty.rules", "/lib/udev/rules.d/85-brltty.rules"}) {
        if (QFileInfo::exists(QString::fromLatin1(rules)))
            facts.brlttyPresent = true;
    }
    facts.programFolder = programFolder;
    QTemporaryFile probe(QDir(programFolder).filePath(QStringLiteral("doctor-XXXXXX")));
    facts.programFolderWritable = probe.open();
    return facts;
}

} // namespace shell::cli
