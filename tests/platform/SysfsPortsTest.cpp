// The serial devices read from made-up sysfs trees, what the listing remembers of them, and a
// memory file that cannot be read.
#include "SysfsTree.h"
#include "platform/PortMemory.h"
#include "platform/SysfsPorts.h"
#include "platform/SystemPortListing.h"
#include <QFileInfo>
#include <gtest/gtest.h>

using fakes::usbFiles;
using platform::PortIdentity;
using platform::SystemSerialDevice;

namespace {

PortIdentity usb(const char* vendor, const char* product, const char* name, const char* serial, const char* path,
                 int interfaceNumber, const char* manufacturer = "")
{
    PortIdentity id;
    id.vendorId = vendor;
    id.productId = product;
    id.manufacturer = manufacturer;
    id.product = name;
    id.serialNumber = serial;
    id.usbPath = path;
    id.interfaceNumber = interfaceNumber;
    return id;
}

} // namespace

TEST(SysfsPorts, EveryPortWithItsIdentityAndNothingThatIsNoPort)
{
    fakes::SysfsTree tree;
    auto ftdi = usbFiles("0403", "6001", "FT232R USB UART", "A50285BI");
    ftdi.insert("manufacturer", "FTDI\n");
    tree.addUsb("ttyUSB0", "1-3.4", ftdi);
    tree.addSerialLink("by-id", "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB0");
    tree.addSerialLink("by-path", "pci-0000:00:14.0-usb-0:3.4:1.0-port0", "ttyUSB0");
    tree.addUsb("ttyUSB3", "1-5", usbFiles("0403", "6011", "Quad RS232-HS", "FT4X"), 2);
    tree.addUsb("ttyACM0", "2-1", usbFiles("2341", "0043", "Uno\x1b]0;owned\x07\r"));         // a device that tries the terminal
    tree.addUsb("ttyUSB7", "1-6", usbFiles("zz12", "7523", "USB Serial"));                    // ids that are none
    tree.addOnBoard("ttyS0", 4);
    tree.addOnBoard("ttyS1", 0);                                                              // no UART behind it
    QDir(tree.root()).mkpath("devices/virtual/tty/tty0");                                    // a console: no device link
    tree.addClassLink("tty0", "devices/virtual/tty/tty0");
    QDir(tree.root()).mkpath("devices/virtual/tty/ttyUSB9");
    QFile::link("device", tree.root() + "/devices/virtual/tty/ttyUSB9/device");               // a link that loops
    tree.addClassLink("ttyUSB9", "devices/virtual/tty/ttyUSB9");

    PortIdentity ftdiId = usb("0403", "6001", "FT232R USB UART", "A50285BI", "1-3.4", 0, "FTDI");
    ftdiId.byId = "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    ftdiId.byPath = "pci-0000:00:14.0-usb-0:3.4:1.0-port0";
    const PortIdentity acm = usb("2341", "0043", "Uno?]0;owned?", "", "2-1", 0);
    const PortIdentity quad = usb("0403", "6011", "Quad RS232-HS", "FT4X", "1-5", 2);
    const QList<SystemSerialDevice> expected{{"/dev/ttyACM0", acm.product, acm},
                                             {"/dev/ttyS0", "", {}},
                                             {"/dev/ttyUSB0", "FT232R USB UART", ftdiId},
                                             {"/dev/ttyUSB3", "Quad RS232-HS", quad},
                                             {"/dev/ttyUSB7", "", {}}};
    const QList<SystemSerialDevice> found = platform::readSysfsPorts(tree.root(), tree.root() + "/dev/serial");
    ASSERT_EQ(found.size(), expected.size());
    for (qsizetype i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].devicePath, expected[i].devicePath);
        EXPECT_EQ(found[i].identity, expected[i].identity) << qPrintable(found[i].devicePath);
    }
    EXPECT_EQ(quad.location(), "1-5:1.2");
    EXPECT_EQ(ftdiId.adapterText(), "FT232R USB UART, serial A50285BI, USB 1-3.4");
    EXPECT_EQ(platform::usbPathOf("usb-weird", "3\n", "1.2\n"), "3-1.2") << "busnum and devpath where the name tells nothing";
}

// The memory file as the listing keeps it: only what it wrote itself is taken back.
TEST(PortMemory, TakesBackWhatItWroteAndNothingDamaged)
{
    const QList<platform::RememberedAdapter> adapters{{3, "0403:6001", "A50285BI", "1-3.4", true}, {7, "1a86:7523", "", "1-2:1.1", false}};
    EXPECT_EQ(platform::parsePortMemory(platform::portMemoryText(adapters)), adapters);
    const char* damaged[] = {
        "{\"adapters\":[{\"com\":3,\"usb\":\"0403:6001\"", "[]", "{\"adapters\":{}}",
        "{\"adapters\":[{\"com\":0,\"usb\":\"0403:6001\",\"serial\":\"A\",\"by\":\"serial\"}]}",
        "{\"adapters\":[{\"com\":256,\"usb\":\"0403:6001\",\"serial\":\"A\",\"by\":\"serial\"}]}",
        "{\"adapters\":[{\"com\":3.5,\"usb\":\"0403:6001\",\"serial\":\"A\",\"by\":\"serial\"}]}",
        "{\"adapters\":[{\"com\":\"3\",\"usb\":\"0403:6001\",\"serial\":\"A\",\"by\":\"serial\"}]}",
        "{\"adapters\":[{\"com\":3,\"usb\":\"0403-6001\",\"serial\":\"A\",\"by\":\"serial\"}]}",
        "{\"adapters\":[{\"com\":3,\"usb\":\"0403:6001\",\"serial\":\"\",\"by\":\"serial\"}]}",
        "{\"adapters\":[{\"com\":3,\"usb\":\"0403:6001\",\"location\":\"1-1\",\"by\":\"name\"}]}",
    };
    for (const char* text : damaged)
        EXPECT_FALSE(platform::parsePortMemory(text)) << text;
}

// The whole listing over a tree: a damaged memory is set aside and the numbering starts afresh;
// then the two adapters swap sockets and ttyUSB names and keep their numbers.
TEST(SystemPortListing, ADamagedMemoryIsSetAsideAndAdaptersKeepTheirNumbersWhenSwapped)
{
    fakes::SysfsTree tree;
    tree.addUsb("ttyUSB0", "1-1", usbFiles("0403", "6001", "FT232R USB UART", "B"));
    tree.addUsb("ttyUSB1", "1-2", usbFiles("0403", "6001", "FT232R USB UART", "A"));
    QTemporaryDir programFolder;
    const QString memory = programFolder.filePath("port-numbers.json");
    fakes::SysfsTree::write(memory, "{\"adapters\":[{\"com\":");
    qputenv("QMR51_SYSFS_ROOT", tree.root().toUtf8());
    platform::SystemPortListing listing(programFolder.path());
    const auto serialOf = [&listing](int n) {
        for (const platform::NumberedPort& p : listing.ports())
            if (p.portNumber == n)
                return p.identity.serialNumber;
        return QString();
    };
    EXPECT_EQ(listing.devicePath(1), "/dev/ttyUSB0");
    EXPECT_TRUE(listing.takeNote().contains("set aside as " + memory + ".damaged"));
    EXPECT_EQ(listing.takeNote(), QString()) << "told once";
    QFile aside(memory + ".damaged");
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), "{\"adapters\":[{\"com\":");
    EXPECT_TRUE(platform::loadPortMemory(memory).note.isEmpty());
    EXPECT_EQ(serialOf(1), "B");

    tree.unplug("ttyUSB0", "1-1");
    tree.unplug("ttyUSB1", "1-2");
    tree.addUsb("ttyUSB0", "1-1", usbFiles("0403", "6001", "FT232R USB UART", "A"));
    tree.addUsb("ttyUSB1", "1-2", usbFiles("0403", "6001", "FT232R USB UART", "B"));
    EXPECT_EQ(serialOf(1), "B");
    EXPECT_EQ(serialOf(2), "A");
    EXPECT_EQ(listing.devicePath(1), "/dev/ttyUSB1");
    qunsetenv("QMR51_SYSFS_ROOT");
}
