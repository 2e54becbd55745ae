// Numbers, order and descriptions of the listed ports are pinned in PortNumberingTest; here the
// real ports folder with a simulated device behind a pseudo-terminal.
#include "platform/SystemPortListing.h"
#include "sim/Simulator.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

bool listed(platform::SystemPortListing& listing, int portNumber)
{
    for (const platform::NumberedPort& p : listing.ports())
        if (p.portNumber == portNumber)
            return true;
    return false;
}

TEST(SystemPortListing, ALinkToADeviceIsItsPortAndTheFolderIsReadAgainOnEveryCall)
{
    sim::Simulator device{sim::DeviceProfile::defaults(sim::DeviceKind::TikaV1)};
    ASSERT_TRUE(device.start()) << qPrintable(device.error());
    QTemporaryDir programFolder;
    ASSERT_TRUE(QDir(programFolder.path()).mkpath("ports"));
    const QString ports = programFolder.path() + "/ports/";
    platform::SystemPortListing listing{programFolder.path()};

    EXPECT_EQ(listing.devicePath(7), QString());
    ASSERT_TRUE(QFile::link(device.devicePath(), ports + "COM7"));
    ASSERT_TRUE(QFile::link("/dev/qmr51-nothing-here", ports + "COM9"));
    QFile plain(ports + "COM10");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();

    EXPECT_EQ(listing.devicePath(7), device.devicePath());
    EXPECT_TRUE(listed(listing, 7));
    for (int broken : {9, 10}) {
        EXPECT_EQ(listing.devicePath(broken), QString()) << broken;
        EXPECT_FALSE(listed(listing, broken)) << broken;
    }
    ASSERT_TRUE(QFile::remove(ports + "COM7"));
    EXPECT_EQ(listing.devicePath(7), QString());
    EXPECT_FALSE(listed(listing, 7));
}

} // namespace
