// The serial devices of a sysfs tree that a user sent in, or that a USB device describes itself in:
// whatever its ids, strings, names and links (missing files, control characters, links that loop),
// the listing ends, lists at most the entries of class/tty, each as /dev/<a plain name>, with texts
// free of control characters and no longer than a USB string, ids of four lowercase hex digits or
// none; the numbering gives every port one number 1..255; a memory file is taken back only as written.
//
// Input: fields separated by NUL bytes: idVendor, idProduct, manufacturer, product, serial,
// bInterfaceNumber, busnum, devpath, the tty's name, a USB device folder's name (read on its own; the
// tree's two folders are named 1-3.4 and odd-name), a ttyS's type, a by-id name, then a byte of
// switches (files left out, which folder, links that loop). The whole input is also read as a
// memory file.
#include "FuzzCheck.h"
#include "platform/PortNumbering.h"
#include "platform/SysfsPorts.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

namespace {

enum Field { Vendor, Product, Manufacturer, Name, Serial, Interface, Busnum, Devpath, Tty, UsbFolder, Type, ById, Switches, Fields };

void write(const QString& path, const QByteArray& content)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
}

// A name the file system takes as one entry of a folder.
QString entryName(const QByteArray& raw, const char* fallback)
{
    QString name = QString::fromUtf8(raw.left(64)).remove(QLatin1Char('/'));
    return name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ? QString::fromLatin1(fallback) : name;
}

bool cleanText(const QString& text)
{
    for (QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return false;
    }
    return text.size() <= 126;
}

bool idOrNone(const QString& id)
{
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{4}$"));
    return id.isEmpty() || hex.match(id).hasMatch();
}

const QString kDevices[] = {QStringLiteral("devices/usb1/1-3.4"), QStringLiteral("devices/usb1/odd-name")};

// The folders stay from run to run (making them anew costs more than everything else); each run
// writes the files, the links and the tty's name afresh.
void prepareTree(const QString& root)
{
    for (const QString& device : kDevices) {
        QDir(root).mkpath(device + QStringLiteral("/if/port/tty/tty"));
        write(root + QLatin1Char('/') + device + QStringLiteral("/if/bInterfaceNumber"), "00\n");
    }
    QDir(root).mkpath(QStringLiteral("class/tty"));
    QDir(root).mkpath(QStringLiteral("dev/serial/by-id"));
    QDir(root).mkpath(QStringLiteral("devices/platform/serial8250/tty/ttyS3"));
    QFile::link(QStringLiteral("../../../serial8250"), root + QStringLiteral("/devices/platform/serial8250/tty/ttyS3/device"));
    QFile::link(QStringLiteral("../../devices/platform/serial8250/tty/ttyS3"), root + QStringLiteral("/class/tty/ttyS3"));
}

void relink(const QString& target, const QString& link)
{
    QFile::remove(link);
    QFile::link(target, link);
}

void fillTree(const QString& root, const QList<QByteArray>& f)
{
    const std::uint8_t switches = f[Switches].isEmpty() ? 0 : fuzzing::byteAt(f[Switches], 0);
    const QString device = kDevices[switches & 0x10 ? 1 : 0];
    const QString folder = root + QLatin1Char('/') + device;
    const char* names[] = {"idVendor", "idProduct", "manufacturer", "product", "serial"};
    for (int i = Vendor; i <= Serial; ++i) {
        const QString path = folder + QLatin1Char('/') + QLatin1String(names[i]);
        if (switches & (1u << i))
            QFile::remove(path);
        else
            write(path, f[i]);
    }
    write(folder + QStringLiteral("/if/bInterfaceNumber"), f[Interface]);
    write(folder + QStringLiteral("/busnum"), f[Busnum]);
    write(folder + QStringLiteral("/devpath"), f[Devpath]);
    write(root + QStringLiteral("/devices/platform/serial8250/tty/ttyS3/type"), f[Type]);
    relink(switches & 0x20 ? QStringLiteral("device") : QStringLiteral("../../../port"), folder + QStringLiteral("/if/port/tty/tty/device"));

    // The tty's name: the entry of class/tty, and what a by-id link ends in.
    for (const QString& old : QDir(root + QStringLiteral("/class/tty")).entryList(QDir::System | QDir::AllEntries | QDir::NoDotAndDotDot)) {
        if (old != QLatin1String("ttyS3"))
            QFile::remove(root + QStringLiteral("/class/tty/") + old);
    }
    const QString tty = entryName(f[Tty], "ttyUSB0");
    QFile::link(switches & 0x40 ? tty : QStringLiteral("../../") + device + QStringLiteral("/if/port/tty/tty"),
                root + QStringLiteral("/class/tty/") + tty);
    QDir(root + QStringLiteral("/dev/serial/by-id")).removeRecursively();
    QDir(root).mkpath(QStringLiteral("dev/serial/by-id"));
    QFile::link(switches & 0x80 ? QStringLiteral("loop") : QStringLiteral("../../") + tty,
                root + QStringLiteral("/dev/serial/by-id/") + entryName(f[ById], "loop"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // In memory where the machine has it: a disk flushes every file rewritten in place on its close.
    static QTemporaryDir folder(QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm/fuzz_sysfs_ports-XXXXXX")
                                                                                   : QDir::tempPath() + QStringLiteral("/fuzz_sysfs_ports-XXXXXX"));
    const QByteArray input = fuzzing::bytesOf(data, size);
    QList<QByteArray> f = input.split('\0');
    while (f.size() < Fields)
        f.append(QByteArray());

    const QString root = folder.path();
    static const bool prepared = (prepareTree(root), true);
    (void)prepared;
    fillTree(root, f);
    // The readers of single attributes, on the raw text too.
    for (int i = Vendor; i <= Devpath; ++i)
        FUZZ_CHECK(cleanText(platform::sysfsText(f[i])) && idOrNone(platform::usbId(f[i])));
    const int interfaceNumber = platform::usbInterfaceNumber(f[Interface]);
    FUZZ_CHECK(interfaceNumber >= -1 && interfaceNumber <= 255);
    static const QRegularExpression usbPath(QStringLiteral("^[1-9][0-9]{0,2}-[1-9][0-9]{0,2}(\\.[1-9][0-9]{0,2})*$"));
    const QString path = platform::usbPathOf(entryName(f[UsbFolder], "x"), f[Busnum], f[Devpath]);
    FUZZ_CHECK(path.isEmpty() || usbPath.match(path).hasMatch());
    const QList<platform::SystemSerialDevice> devices = platform::readSysfsPorts(root, root + QStringLiteral("/dev/serial"));
    FUZZ_CHECK(devices.size() <= 2);
    static const QRegularExpression plainPath(QStringLiteral("^/dev/[A-Za-z][A-Za-z0-9_.-]{0,63}$"));
    for (const platform::SystemSerialDevice& d : devices) {
        const platform::PortIdentity& id = d.identity;
        FUZZ_CHECK(plainPath.match(d.devicePath).hasMatch());
        FUZZ_CHECK(idOrNone(id.vendorId) && idOrNone(id.productId));
        for (const QString& text : {id.manufacturer, id.product, id.serialNumber, id.byId, d.description})
            FUZZ_CHECK(cleanText(text));
        FUZZ_CHECK(id.interfaceNumber >= -1 && id.interfaceNumber <= 255);
        FUZZ_CHECK(!id.isUsb() || (id.interfaceNumber >= 0 && !id.location().isEmpty()));
    }

    // The memory as a file would hold it, and the numbering of what was found with it.
    const std::optional<QList<platform::RememberedAdapter>> memory = platform::parsePortMemory(input);
    if (memory) {
        FUZZ_CHECK(memory->size() <= platform::kRememberedAdapters);
        FUZZ_CHECK(platform::parsePortMemory(platform::portMemoryText(*memory)) == memory);
    }
    const platform::Numbering numbering = platform::numberPorts({}, devices, memory.value_or(QList<platform::RememberedAdapter>{}));
    QSet<int> numbers;
    for (const platform::NumberedPort& p : numbering.ports) {
        FUZZ_CHECK(p.portNumber >= 1 && p.portNumber <= 255 && !numbers.contains(p.portNumber));
        numbers.insert(p.portNumber);
    }
    FUZZ_CHECK(numbering.ports.size() == devices.size());
    FUZZ_CHECK(numbering.memory.size() <= platform::kRememberedAdapters);
    return 0;
}
