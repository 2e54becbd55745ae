// The serial devices of a sysfs tree that a user sent in, or that a USB device describes itself in:
// whatever its ids, strings, names and links (missing files, control characters, links that loop),
// the listing ends, lists at most the entries of class/tty, each as /dev/<a plain name>, with texts
// free of control characters and no longer than a USB string, ids of four lowercase hex digits or
// none; the numbering gives every port one number 1..255; a memory file is taken back only as written.
//
// Input: fields separated by NUL bytes: idVendor, idProduct, manufacturer, product, serial,
// bInterfaceNumber, busnum, devpath, the tty's name, the USB device folder's name, a ttyS's type,
// a by-id name, then a byte of switches (files left out, links that loop). The whole input is also
// read as a memory file.
#include "FuzzCheck.h"
#include "platform/PortNumbering.h"
#include "platform/SysfsPorts.h"
#include <QDir>
#include <QFile>
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

void buildTree(const QString& root, const QList<QByteArray>& f)
{
    const std::uint8_t switches = f[Switches].isEmpty() ? 0 : fuzzing::byteAt(f[Switches], 0);
    const QString tty = entryName(f[Tty], "ttyUSB0");
    const QString usb = entryName(f[UsbFolder], "1-3.4");
    const QString device = QStringLiteral("devices/usb1/") + usb;
    const QString interface = device + QLatin1Char('/') + usb + QStringLiteral(":1.0");
    const QString ttyFolder = interface + QLatin1Char('/') + tty + QStringLiteral("/tty/") + tty;
    QDir(root).mkpath(ttyFolder);
    QDir(root).mkpath(QStringLiteral("class/tty"));
    QDir(root).mkpath(QStringLiteral("dev/serial/by-id"));
    const char* names[] = {"idVendor", "idProduct", "manufacturer", "product", "serial"};
    for (int i = Vendor; i <= Serial; ++i) {
        if (!(switches & (1u << i)))
            write(root + QLatin1Char('/') + device + QLatin1Char('/') + QLatin1String(names[i]), f[i]);
    }
    write(root + QLatin1Char('/') + interface + QStringLiteral("/bInterfaceNumber"), f[Interface]);
    write(root + QLatin1Char('/') + device + QStringLiteral("/busnum"), f[Busnum]);
    write(root + QLatin1Char('/') + device + QStringLiteral("/devpath"), f[Devpath]);
    QFile::link(switches & 0x20 ? QStringLiteral("device") : QStringLiteral("../../../") + tty, root + QLatin1Char('/') + ttyFolder + QStringLiteral("/device"));
    QFile::link(switches & 0x40 ? tty : QStringLiteral("../../") + ttyFolder, root + QStringLiteral("/class/tty/") + tty);
    QFile::link(switches & 0x80 ? QStringLiteral("loop") : QStringLiteral("../../") + tty,
                root + QStringLiteral("/dev/serial/by-id/") + entryName(f[ById], "loop"));

    const QString onBoard = QStringLiteral("devices/platform/serial8250/tty/ttyS3");
    QDir(root).mkpath(onBoard);
    write(root + QLatin1Char('/') + onBoard + QStringLiteral("/type"), f[Type]);
    QFile::link(QStringLiteral("../../../serial8250"), root + QLatin1Char('/') + onBoard + QStringLiteral("/device"));
    QFile::link(QStringLiteral("../../") + onBoard, root + QStringLiteral("/class/tty/ttyS3"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir folder;
    const QByteArray input = fuzzing::bytesOf(data, size);
    QList<QByteArray> f = input.split('\0');
    while (f.size() < Fields)
        f.append(QByteArray());

    const QString root = folder.path() + QStringLiteral("/sys");
    QDir(root).removeRecursively();
    buildTree(root, f);
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
