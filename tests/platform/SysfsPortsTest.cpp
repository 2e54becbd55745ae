// The serial devices read from made-up sysfs trees, the memory file, and a memory that cannot be read.
#include "SysfsTree.h"
#include "platform/PortMemory.h"
#include "platform/SysfsPorts.h"
#include "platform/SystemPortListing.h"
#include <gtest/gtest.h>

using fakes::usbFiles;
using fakes::usbIdentity;
using platform::PortIdentity;

TEST(SysfsPorts, EveryPortWithItsIdentityAndNothingThatIsNoPort)
{
    fakes::SysfsTree tree;
    auto ftdiFiles = usbFiles("0403", "6001", "FT232R USB UART", "A50285BI");
    ftdiFiles.insert("manufacturer", "FTDI");
    tree.addUsb("ttyUSB0", "1-3.4", ftdiFiles);
    tree.addSerialLink("by-id", "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB0");
    tree.addSerialLink("by-path", "pci-0000:00:14.0-usb-0:3.4:1.0-port0", "ttyUSB0");
    tree.addUsb("ttyUSB3", "1-5", usbFiles("0403", "6011", "Quad RS232-HS", "FT4X"), 2);
    tree.addUsb("ttyACM0", "2-1", usbFiles("2341", "0043", "Uno\x1b]0;owned\x07\r")); // a device that tries the terminal
    tree.addUsb("ttyUSB7", "1-6", usbFiles("zz12", "7523", "USB Serial"));            // ids that are none
    tree.addOnBoard("ttyS0", 4);
    tree.addOnBoard("ttyS1", 0);                                                      // no UART behind it
    QDir(tree.root()).mkpath("devices/virtual/tty/tty0");                            // a console: no device link
    tree.addClassLink("tty0", "devices/virtual/tty/tty0");
    QDir(tree.root()).mkpath("devices/virtual/tty/ttyUSB9");
    QFile::link("device", tree.at("devices/virtual/tty/ttyUSB9/device"));             // a link that loops
    tree.addClassLink("ttyUSB9", "devices/virtual/tty/ttyUSB9");

    PortIdentity ftdi = usbIdentity("0403", "6001", "FT232R USB UART", "A50285BI", "1-3.4");
    ftdi.manufacturer = "FTDI";
    ftdi.byId = "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    ftdi.byPath = "pci-0000:00:14.0-usb-0:3.4:1.0-port0";
    const QList<std::pair<QString, PortIdentity>> expected{
        {"/dev/ttyACM0", usbIdentity("2341", "0043", "Uno?]0;owned?", "", "2-1")}, {"/dev/ttyS0", {}}, {"/dev/ttyUSB0", ftdi},
        {"/dev/ttyUSB3", usbIdentity("0403", "6011", "Quad RS232-HS", "FT4X", "1-5", 2)}, {"/dev/ttyUSB7", {}}};
    QList<std::pair<QString, PortIdentity>> found;
    for (const platform::SystemSerialDevice& d : platform::readSysfsPorts(tree.root(), tree.at("dev/serial")))
        found.append({d.devicePath, d.identity});
    EXPECT_EQ(found, expected);
    EXPECT_EQ(expected[3].second.location(), "1-5:1.2");
    EXPECT_EQ(ftdi.adapterText(), "FT232R USB UART, serial A50285BI, USB 1-3.4");
    EXPECT_EQ(platform::usbPathOf("usb-weird", "3\n", "1.2\n"), "3-1.2") << "busnum and devpath where the name tells nothing";
}

TEST(PortMemory, TakesBackWhatItWroteAndNothingDamaged)
{
    const QList<platform::RememberedAdapter> adapters{{3, "0403:6001", "A50285BI", "1-3.4", true}, {7, "1a86:7523", "", "1-2:1.1", false}};
    EXPECT_EQ(platform::parsePortMemory(platform::portMemoryText(adapters)), adapters);
    for (const char* damaged : {"{\"adapters\":[{\"com\":3,", "{\"adapters\":{}}",
                                "{\"adapters\":[{\"com\":256,\"usb\":\"0403:6001\",\"serial\":\"A\",\"by\":\"serial\"}]}",
                                "{\"adapters\":[{\"com\":3,\"usb\":\"0403-6001\",\"serial\":\"A\",\"by\":\"serial\"}]}",
                                "{\"adapters\":[{\"com\":3,\"usb\":\"0403:6001\",\"serial\":\"\",\"by\":\"serial\"}]}"})
        EXPECT_FALSE(platform::parsePortMemory(damaged)) << damaged;
}

// A damaged memory is set aside and the numbering starts afresh; the memory written then brings
// two adapters that swapped sockets and ttyUSB names back to their numbers.
TEST(SystemPortListing, ADamagedMemoryIsSetAsideAndAdaptersKeepTheirNumbersWhenSwapped)
{
    fakes::SysfsTree tree;
    tree.addUsb("ttyUSB0", "1-1", usbFiles("0403", "6001", "FT232R USB UART", "B"));
    tree.addUsb("ttyUSB1", "1-2", usbFiles("0403", "6001", "FT232R USB UART", "A"));
    QTemporaryDir programFolder;
    const QString memory = programFolder.filePath("port-numbers.json");
    fakes::writeFile(memory, "{\"adapters\":[{\"com\":");
    qputenv("QMR51_SYSFS_ROOT", tree.root().toUtf8());
    platform::SystemPortListing listing(programFolder.path());
    EXPECT_EQ(listing.devicePath(1), "/dev/ttyUSB0");
    EXPECT_TRUE(listing.takeNote().contains("set aside as " + memory + ".damaged"));
    EXPECT_EQ(listing.takeNote(), QString()) << "told once";
    QFile aside(memory + ".damaged");
    EXPECT_TRUE(aside.open(QIODevice::ReadOnly) && aside.readAll() == "{\"adapters\":[{\"com\":");

    tree.unplug("ttyUSB0", "1-1");
    tree.unplug("ttyUSB1", "1-2");
    tree.addUsb("ttyUSB0", "1-1", usbFiles("0403", "6001", "FT232R USB UART", "A"));
    tree.addUsb("ttyUSB1", "1-2", usbFiles("0403", "6001", "FT232R USB UART", "B"));
    EXPECT_EQ(listing.ports(), (QList<platform::NumberedPort>{
                                   {1, "/dev/ttyUSB1", "FT232R USB UART", usbIdentity("0403", "6001", "FT232R USB UART", "B", "1-2")},
                                   {2, "/dev/ttyUSB0", "FT232R USB UART", usbIdentity("0403", "6001", "FT232R USB UART", "A", "1-1")}}));
    qunsetenv("QMR51_SYSFS_ROOT");
}
