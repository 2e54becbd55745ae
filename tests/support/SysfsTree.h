#pragma once
// A made-up sysfs tree laid out as the kernel lays out its own, for the port listing without hardware:
//   class/tty/ttyUSB0 -> ../../devices/pci0000:00/0000:00:14.0/usb1/1-3.4/1-3.4:1.0/ttyUSB0/tty/ttyUSB0
//   class/tty/ttyACM0 -> ../../devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/tty/ttyACM0
//   class/tty/ttyS0   -> ../../devices/pnp0/00:00/00:00:0.0/tty/ttyS0
// each tty folder with its device link, the USB device folder with idVendor ... serial, the interface
// folder with bInterfaceNumber; dev/serial/by-id and by-path beside them (QMR51_SYSFS_ROOT's layout).
#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

namespace fakes {

struct SysfsTree {
    QTemporaryDir dir;
    QString root() const { return dir.path(); }

    static void write(const QString& path, const QByteArray& content)
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(content);
    }

    // A USB adapter's port. `files` go into the USB device folder (idVendor, idProduct,
    // manufacturer, product, serial); a missing one is left out. ttyACM names sit on the interface.
    void addUsb(const QString& tty, const QString& usbPath, const QMap<QString, QByteArray>& files, int interfaceNumber = 0)
    {
        const QString device = QStringLiteral("devices/pci0000:00/0000:00:14.0/usb1/") + usbPath;
        const QString interfaceName = usbPath + QStringLiteral(":1.%1").arg(interfaceNumber);
        const QString interface = device + QLatin1Char('/') + interfaceName;
        const bool acm = tty.startsWith(QLatin1String("ttyACM"));
        const QString ttyFolder = acm ? interface + QStringLiteral("/tty/") + tty : interface + QLatin1Char('/') + tty + QStringLiteral("/tty/") + tty;
        QDir(root()).mkpath(ttyFolder);
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            write(root() + QLatin1Char('/') + device + QLatin1Char('/') + it.key(), it.value());
        write(root() + QLatin1Char('/') + interface + QStringLiteral("/bInterfaceNumber"), QByteArray::number(interfaceNumber, 16).rightJustified(2, '0') + '\n');
        QFile::link(acm ? QStringLiteral("../../../") + interfaceName : QStringLiteral("../../../") + tty, root() + QLatin1Char('/') + ttyFolder + QStringLiteral("/device"));
        addClassLink(tty, ttyFolder);
    }

    // An on-board port; type 0 is a ttyS the kernel made with no UART behind it.
    void addOnBoard(const QString& tty, int type)
    {
        const QString ttyFolder = QStringLiteral("devices/pnp0/00:00/00:00:0.0/tty/") + tty;
        QDir(root()).mkpath(ttyFolder);
        write(root() + QLatin1Char('/') + ttyFolder + QStringLiteral("/type"), QByteArray::number(type) + '\n');
        QFile::link(QStringLiteral("../../../00:00:0.0"), root() + QLatin1Char('/') + ttyFolder + QStringLiteral("/device"));
        addClassLink(tty, ttyFolder);
    }

    void addClassLink(const QString& tty, const QString& ttyFolder)
    {
        QDir(root()).mkpath(QStringLiteral("class/tty"));
        QFile::link(QStringLiteral("../../") + ttyFolder, root() + QStringLiteral("/class/tty/") + tty);
    }

    // kind: "by-id" or "by-path"
    void addSerialLink(const QString& kind, const QString& name, const QString& tty)
    {
        QDir(root()).mkpath(QStringLiteral("dev/serial/") + kind);
        QFile::link(QStringLiteral("../../") + tty, root() + QStringLiteral("/dev/serial/") + kind + QLatin1Char('/') + name);
    }

    // Unplugged: the tty goes, and the USB device folder with it.
    void unplug(const QString& tty, const QString& usbPath)
    {
        QFile::remove(root() + QStringLiteral("/class/tty/") + tty);
        QDir(root() + QStringLiteral("/devices/pci0000:00/0000:00:14.0/usb1/") + usbPath).removeRecursively();
    }
};

// The files of a USB device folder: ids, strings and (when not empty) a serial number.
inline QMap<QString, QByteArray> usbFiles(const QByteArray& vendor, const QByteArray& product, const QByteArray& name,
                                          const QByteArray& serial = {})
{
    QMap<QString, QByteArray> files{{QStringLiteral("idVendor"), vendor + '\n'},
                                    {QStringLiteral("idProduct"), product + '\n'},
                                    {QStringLiteral("product"), name + '\n'}};
    if (!serial.isEmpty())
        files.insert(QStringLiteral("serial"), serial + '\n');
    return files;
}

} // namespace fakes
