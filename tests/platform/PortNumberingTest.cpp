// Numbers, order and descriptions of the listed ports, then the real ports folder with a simulated
// device behind a pseudo-terminal.
#include "platform/PortNumbering.h"
#include "platform/SystemPortListing.h"
#include "sim/Simulator.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using platform::NumberedPort;
using platform::PortLink;
using platform::SystemSerialDevice;


TEST(Numbering, GivesEveryPortItsNumber)
{
    // The expected ports in ascending port number.
    struct Case { const char* name; QList<PortLink> links; QList<SystemSerialDevice> devices; QList<NumberedPort> expected; };
    const Case cases[] = {
        {"links keep their number; ttyS<k> is COM<k+1>", {{7, "/dev/pts/3", true}},
         {{"/dev/ttyS0", ""}, {"/dev/ttyUSB0", "FT232R"}}, {{1, "/dev/ttyS0", ""}, {2, "/dev/ttyUSB0", "FT232R"}, {7, "/dev/pts/3", ""}}},
        {"on-board ports are placed before the others take free numbers", {},
         {{"/dev/ttyUSB0", ""}, {"/dev/ttyS4", ""}, {"/dev/ttyS1", ""}, {"/dev/ttyS0", ""}},
         {{1, "/dev/ttyS0", ""}, {2, "/dev/ttyS1", ""}, {3, "/dev/ttyUSB0", ""}, {5, "/dev/ttyS4", ""}}},
        {"a link on a ttyS number moves that port to a free one", {{1, "/dev/pts/5", true}},
         {{"/dev/ttyS0", ""}, {"/dev/ttyUSB0", ""}}, {{1, "/dev/pts/5", ""}, {2, "/dev/ttyS0", ""}, {3, "/dev/ttyUSB0", ""}}},
        {"a linked device is listed once, under its link, with its description", {{9, "/dev/ttyUSB0", true}},
         {{"/dev/ttyUSB0", "FT232R"}}, {{9, "/dev/ttyUSB0", "FT232R"}}},
        {"natural order of the path; a device listed twice gets one number", {},
         {{"/dev/ttyUSB10", ""}, {"/dev/ttyUSB2", ""}, {"/dev/ttyACM0", ""}, {"/dev/ttyUSB2", ""}},
         {{1, "/dev/ttyACM0", ""}, {2, "/dev/ttyUSB2", ""}, {3, "/dev/ttyUSB10", ""}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::numberPorts(c.links, c.devices), c.expected) << c.name;
}

TEST(LinkName, OnlyComAndAPlainNumberUpTo255)
{
    const std::pair<const char*, int> cases[] = {
        {"COM1", 1}, {"COM255", 255}, {"COM256", 0}, {"COM0", 0}, {"COM07", 0},
        {"com7", 0}, {"COM7.bak", 0}, {"COM", 0},    {"XCOM7", 0}, {"COM 7", 0},
    };
    for (const auto& [name, number] : cases)
        EXPECT_EQ(platform::portNumberOfLinkName(name), number) << name;
}

// Only a link to a character device is a port: one that leads nowhere or a plain file is not.
TEST(SystemPortListing, ALinkToADeviceIsItsPortAndTheFolderIsReadAgainOnEveryCall)
{
    sim::Simulator device{sim::DeviceProfile::defaults(sim::DeviceKind::TikaV1)};
    ASSERT_TRUE(device.start()) << qPrintable(device.error());
    QTemporaryDir programFolder;
    ASSERT_TRUE(QDir(programFolder.path()).mkpath("ports"));
    const QString ports = programFolder.path() + "/ports/";
    platform::SystemPortListing listing{programFolder.path()};

    ASSERT_TRUE(QFile::link(device.devicePath(), ports + "COM7"));
    ASSERT_TRUE(QFile::link("/dev/qmr51-nothing-here", ports + "COM9"));
    QFile plain(ports + "COM10");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();

    EXPECT_EQ(listing.devicePath(7), device.devicePath());
    EXPECT_EQ(listing.devicePath(9), QString());
    EXPECT_EQ(listing.devicePath(10), QString());
    ASSERT_TRUE(QFile::remove(ports + "COM7"));
    EXPECT_EQ(listing.devicePath(7), QString());
}
