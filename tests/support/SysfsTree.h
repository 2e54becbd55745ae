#pragma once
// A made-up sysfs tree laid out as the kernel lays out its own, for the port listing without hardware:
//   class/tty/ttyUSB0 -> ../../devices/pci0000:00/0000:00:14.0/usb1/1-3.4/1-3.4:1.0/ttyUSB0/tty/ttyUSB0
//   class/tty/ttyACM0 -> ../../devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/tty/ttyACM0
//   class/tty/ttyS0   -> ../../devices/pnp0/00:00/00:00:0.0/tty/ttyS0
// each tty folder with its device link, the USB device folder with idVendor ... serial, the interface
// folder with bInterfaceNumber; dev/serial/by-id and by-path beside them (QMR51_SYSFS_ROOT's layout).
#include "TestFiles.h"
#include "platform/PortIdentity.h"
#include <QDir>
#include <QMap>
#include <QTemporaryDir>

namespace fakes {

struct SysfsTree {
    QTemporaryDir dir;
    QString root() const { return dir.path(); }
    QString at(const QString& path) const { return root() + QLatin1Char('/') + path; }

    // A USB adapter's port; `files` go into the USB device folder, ttyACM names sit on the interface.
    void addUsb(const QString& tty, const QString& usbPath, const QMap<QString, QByteArray>& files, int interfaceNumber = 0)
    {
        const QString device = "devices/pci0000:00/0000:00:14.0/usb1/" + usbPath;
        const QString interfaceName = usbPath + QStringLiteral(":1.%1").arg(interfaceNumber);
        const QString interface = device + '/' + interfaceName;
        const bool acm = tty.startsWith(QLatin1String("ttyACM"));
        const QString ttyFolder = acm ? interface + "/tty/" + tty : interface + '/' + tty + "/tty/" + tty;
        QDir(root()).mkpath(ttyFolder);
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            writeFile(at(device + '/' + it.key()), it.value() + '\n');
        writeFile(at(interface + "/bInterfaceNumber"), QByteArray::number(interfaceNumber, 16).rightJustified(2, '0') + '\n');
        QFile::link("../../../" + (acm ? interfaceName : tty), at(ttyFolder + "/device"));
        addClassLink(tty, ttyFolder);
    }

    // An on-board port; type 0 is a ttyS the kernel made with no UART behind it.
    void addOnBoard(const QString& tty, int type)
    {
        const QString ttyFolder = "devices/pnp0/00:00/00:00:0.0/tty/" + tty;
        QDir(root()).mkpath(ttyFolder);
        writeFile(at(ttyFolder + "/type"), QByteArray::number(type) + '\n');
        QFile::link("../../../00:00:0.0", at(ttyFolder + "/device"));
        addClassLink(tty, ttyFolder);
    }

    void addClassLink(const QString& tty, const QString& ttyFolder)
    {
        QDir(root()).mkpath("class/tty");
        QFile::link("../../" + ttyFolder, at("class/tty/" + tty));
    }

    void addSerialLink(const QString& kind, const QString& name, const QString& tty) // kind: by-id or by-path
    {
        QDir(root()).mkpath("dev/serial/" + kind);
        QFile::link("../../" + tty, at("dev/serial/" + kind + '/' + name));
    }

    void unplug(const QString& tty, const QString& usbPath)
    {
        QFile::remove(at("class/tty/" + tty));
        QDir(at("devices/pci0000:00/0000:00:14.0/usb1/" + usbPath)).removeRecursively();
    }
};

// The files of a USB device folder; no serial file when `serial` is empty.
inline QMap<QString, QByteArray> usbFiles(const QByteArray& vendor, const QByteArray& product, const QByteArray& name,
                                          const QByteArray& serial = {})
{
    QMap<QString, QByteArray> files{{"idVendor", vendor}, {"idProduct", product}, {"product", name}};
    if (!serial.isEmpty())
        files.insert("serial", serial);
    return files;
}

// The identity the listing gives a USB adapter's port.
inline platform::PortIdentity usbIdentity(const QString& vendor, const QString& product, const QString& name,
                                          const QString& serial, const QString& usbPath, int interfaceNumber = 0)
{
    return {.vendorId = vendor, .productId = product, .product = name, .serialNumber = serial, .usbPath = usbPath,
            .interfaceNumber = interfaceNumber};
}

} // namespace fakes
