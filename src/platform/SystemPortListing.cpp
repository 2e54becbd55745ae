#include "platform/SystemPortListing.h"
#include "platform/DemoLinks.h"
#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <sys/stat.h>

namespace platform {

namespace {

bool isCharacterDevice(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISCHR(info.st_mode);
}

QString canonical(const QString& path)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
}

} // namespace

const QList<SystemSerialDevice>& SystemPortListing::systemDevices()
{
    if (systemDevicesAge_.isValid() && systemDevicesAge_.elapsed() < kSystemListKeptMs)
        return systemDevices_;
    systemDevices_.clear();
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        systemDevices_.append({canonical(info.systemLocation()), info.description()});
    systemDevicesAge_.start();
    return systemDevices_;
}

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

QList<NumberedPort> SystemPortListing::ports() { return numberPorts(readLinks(), systemDevices()); }

QString SystemPortListing::devicePath(int portNumber)
{
    for (const NumberedPort& port : ports()) {
        if (port.portNumber == portNumber)
            return port.devicePath;
    }
    return {};
}

} // namespace platform
