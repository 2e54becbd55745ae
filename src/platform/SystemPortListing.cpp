#include "platform/SystemPortListing.h"
#include "platform/DemoLinks.h"
#include "platform/PortMemory.h"
#include "platform/SysfsPorts.h"
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <sys/stat.h>

namespace platform {

namespace {

bool isCharacterDevice(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISCHR(info.st_mode);
}

} // namespace

SystemPortListing::SystemPortListing(QString programFolder) : programFolder_(std::move(programFolder)) {}

QList<PortLink> SystemPortListing::readLinks() const
{
    QList<PortLink> links;
    const QDir folder(QDir(programFolder_).filePath(QStringLiteral("ports")));
    // System: links to device nodes and links that lead nowhere are listed only with it.
    const QStringList names = folder.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const int number = portNumberOfLinkName(name);
        // A killed demo's link may lead to someone's terminal by now: never offered, never opened.
        if (number == 0 || isLeftoverDemoLink(folder.filePath(name)))
            continue;
        const QString target = QFileInfo(folder.filePath(name)).canonicalFilePath();
        links.append({number, target, !target.isEmpty() && isCharacterDevice(target)});
    }
    return links;
}

void SystemPortListing::tell(const QString& note)
{
    if (note == told_)
        return;
    note_ = told_ = note;
    std::fprintf(stderr, "%s\n", qPrintable(note));
}

QList<NumberedPort> SystemPortListing::ports()
{
    const QString memoryPath = portMemoryPath(programFolder_);
    const LoadedPortMemory memory = loadPortMemory(memoryPath);
    if (!memory.note.isEmpty())
        tell(memory.note);
    Numbering numbering = numberPorts(readLinks(), readSysfsPorts(sysfsRoot(), serialLinksFolder()), memory.adapters);
    if (numbering.memory != memory.adapters) {
        const QString why = savePortMemory(memoryPath, numbering.memory);
        if (!why.isEmpty())
            tell(QStringLiteral("The COM numbers of the adapters cannot be remembered in %1: %2").arg(memoryPath, why));
    }
    return numbering.ports;
}

QString SystemPortListing::devicePath(int portNumber)
{
    for (const NumberedPort& port : ports()) {
        if (port.portNumber == portNumber)
            return port.devicePath;
    }
    return {};
}

} // namespace platform
