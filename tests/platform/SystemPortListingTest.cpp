// Numbers, order and descriptions of the listed ports are pinned in PortNumberingTest; here the
// real ports folder with a simulated device behind a pseudo-terminal.
#include "platform/SystemPortListing.h"
#include "sim/Simulator.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

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

} // namespace
