#include "platform/SysfsPorts.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr qint64 kLongestAttributeBytes = 4096; // what the kernel gives for one attribute at most
constexpr int kLongestUsbText = 126;             // a USB string descriptor holds at most 126 characters
constexpr int kDeepestUsbNesting = 16;           // folders from a tty up to its USB device, with room to spare

// The attribute `name` in `folder`, or nothing when it is no plain file (missing, a folder, a fifo
// in a made-up tree that would block a read). Plain system calls: a port search lists the ports for
// every port it tries, and QFile costs several times as much per file.
QByteArray attribute(const QString& folder, const char* name)
{
    const QByteArray path = QFile::encodeName(folder) + '/' + name;
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray content;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        content.resize(kLongestAttributeBytes);
        const ssize_t got = ::read(fd, content.data(), content.size());
        content.resize(got > 0 ? got : 0);
    }
    ::close(fd);
    return content;
}

bool isPlainFile(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

// Device names that may follow /dev/ without surprises.
bool isPlainDeviceName(const QString& name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z][A-Za-z0-9_.-]{0,63}$"));
    return plain.match(name).hasMatch();
}

// tty name -> the name of the link in `folder` that leads to it (the first, by name).
QMap<QString, QString> serialLinks(const QString& folder)
{
    QMap<QString, QString> links;
    const QDir dir(folder);
    for (const QFileInfo& entry : dir.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!entry.isSymLink())
            continue;
        const QString tty = QFileInfo(entry.symLinkTarget()).fileName();
        if (!links.contains(tty))
            links.insert(tty, sysfsText(entry.fileName().toUtf8()));
    }
    return links;
}

// Fills the USB fields from the folders above `deviceFolder` (canonical, inside `root`).
void readUsbIdentity(const QString& root, const QString& deviceFolder, PortIdentity& id)
{
    QString below; // the folder passed just before: the interface when `folder` is the USB device
    QString folder = deviceFolder;
    for (int level = 0; level < kDeepestUsbNesting && folder.startsWith(root + QLatin1Char('/')); ++level) {
        if (isPlainFile(folder + QStringLiteral("/idVendor"))) {
            const QString path = usbPathOf(QFileInfo(folder).fileName(), attribute(folder, "busnum"), attribute(folder, "devpath"));
            const QString vendor = usbId(attribute(folder, "idVendor"));
            if (path.isEmpty() || vendor.isEmpty())
                return;
            id.vendorId = vendor;
            id.productId = usbId(attribute(folder, "idProduct"));
            id.manufacturer = sysfsText(attribute(folder, "manufacturer"));
            id.product = sysfsText(attribute(folder, "product"));
            id.serialNumber = sysfsText(attribute(folder, "serial"));
            id.usbPath = path;
            id.interfaceNumber = below.isEmpty() ? 0 : std::max(0, usbInterfaceNumber(attribute(below, "bInterfaceNumber")));
            return;
        }
        below = folder;
        folder = QFileInfo(folder).path();
    }
}

} // namespace

QString sysfsText(const QByteArray& raw)
{
    QString text = QString::fromUtf8(raw).trimmed();
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format || c.isSurrogate())
            c = QLatin1Char('?');
    }
    return text.left(kLongestUsbText);
}

QString usbId(const QByteArray& raw)
{
    static const QRegularExpression id(QStringLiteral("^[0-9A-Fa-f]{4}$"));
    const QString text = QString::fromLatin1(raw).trimmed();
    return id.match(text).hasMatch() ? text.toLower() : QString();
}

int usbInterfaceNumber(const QByteArray& raw)
{
    static const QRegularExpression number(QStringLiteral("^[0-9A-Fa-f]{1,2}$"));
    const QString text = QString::fromLatin1(raw).trimmed();
    return number.match(text).hasMatch() ? text.toInt(nullptr, 16) : -1;
}

QString usbPathOf(const QString& folderName, const QByteArray& busnum, const QByteArray& devpath)
{
    static const QRegularExpression path(QStringLiteral("^[1-9][0-9]{0,2}-[1-9][0-9]{0,2}(\\.[1-9][0-9]{0,2}){0,6}$"));
    if (path.match(folderName).hasMatch())
        return folderName;
    const QString joined = QString::fromLatin1(busnum).trimmed() + QLatin1Char('-') + QString::fromLatin1(devpath).trimmed();
    return path.match(joined).hasMatch() ? joined : QString();
}

QList<SystemSerialDevice> readSysfsPorts(const QString& sysfsRoot, const QString& serialLinksFolder)
{
    QList<SystemSerialDevice> devices;
    const QString root = QFileInfo(sysfsRoot).canonicalFilePath();
    if (root.isEmpty())
        return devices;
    const QMap<QString, QString> byId = serialLinks(serialLinksFolder + QStringLiteral("/by-id"));
    const QMap<QString, QString> byPath = serialLinks(serialLinksFolder + QStringLiteral("/by-path"));
    const QDir ttys(root + QStringLiteral("/class/tty"));
    for (const QString& name : ttys.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!isPlainDeviceName(name))
            continue;
        const QString entry = ttys.filePath(name);
        // Only hardware has a device link. One that loops still has a "canonical" path with Qt, but
        // no folder behind it.
        const QString deviceFolder = QFileInfo(entry + QStringLiteral("/device")).canonicalFilePath();
        if (deviceFolder.isEmpty() || !QFileInfo(deviceFolder).isDir())
            continue;
        if (name.startsWith(QLatin1String("ttyS"))) {
            bool known = false;
            const int type = QString::fromLatin1(attribute(entry, "type")).trimmed().toInt(&known);
            if (known && type == 0)
                continue;
        }
        PortIdentity id;
        readUsbIdentity(root, deviceFolder, id);
        id.byId = byId.value(name);
        id.byPath = byPath.value(name);
        devices.append({QStringLiteral("/dev/") + name, id.product, id});
    }
    return devices;
}

QString sysfsRoot()
{
    const QString chosen = qEnvironmentVariable("QMR51_SYSFS_ROOT");
    return chosen.isEmpty() ? QStringLiteral("/sys") : chosen;
}

QString serialLinksFolder()
{
    const QString chosen = qEnvironmentVariable("QMR51_SYSFS_ROOT");
    return chosen.isEmpty() ? QStringLiteral("/dev/serial") : chosen + QStringLiteral("/dev/serial");
}

} // namespace platform
