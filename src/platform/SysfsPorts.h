#pragma once
#include "platform/PortNumbering.h"
#include <QByteArray>
#include <QList>
#include <QString>

namespace platform {

// The serial devices the kernel describes under a sysfs root, each as /dev/<name> with its identity.
//
// A device is an entry of <root>/class/tty that leads to hardware (has a device link; the virtual
// consoles and ptmx have none); an on-board ttyS<k> whose type reads 0 has no UART behind it and is
// left out. A USB adapter's ids and strings come from the USB device folder above it, its interface
// number from the interface folder in between, its socket from the device folder's name (1-3.4) or
// else busnum and devpath. Names in by-id and by-path (links in serialLinksFolder/by-id and /by-path)
// are matched by the name their link ends in.
//
// Everything read is untrusted: the tree may be a user's copy, or made up; a file that is missing,
// is no plain file, or holds nonsense leaves its field empty; a link that loops leaves its device out.
// The order is that of the names in class/tty.
QList<SystemSerialDevice> readSysfsPorts(const QString& sysfsRoot, const QString& serialLinksFolder);

// QMR51_SYSFS_ROOT when that is set (a copy of someone's /sys/class/tty and /sys/devices, or a made-up
// tree), /sys otherwise.
QString sysfsRoot();
// <QMR51_SYSFS_ROOT>/dev/serial when that is set, /dev/serial otherwise.
QString serialLinksFolder();

// A sysfs attribute as text: UTF-8, the closing line break and blanks around it dropped, every
// control character replaced by '?', at most 126 characters (the longest USB string).
QString sysfsText(const QByteArray& raw);
// A USB vendor or product id: exactly four hex digits, given in lowercase; anything else gives "".
QString usbId(const QByteArray& raw);
// bInterfaceNumber: two hex digits, 0..255; anything else gives -1.
int usbInterfaceNumber(const QByteArray& raw);
// The socket of a USB device from its folder name ("1-3.4"), or from busnum and devpath ("1", "3.4");
// "" when neither is one.
QString usbPathOf(const QString& folderName, const QByteArray& busnum, const QByteArray& devpath);

} // namespace platform
