#include "platform/SystemPortListing.h"
#include "sim/Simulator.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Listing : ::testing::Test {
    sim::Simulator device{sim::DeviceProfile::defaults(sim::DeviceKind::TikaV1)};
    QTemporaryDir programFolder;
    platform::SystemPortListing listing{programFolder.path()};

    void SetUp() override
    {
        ASSERT_TRUE(device.start()) << qPrintable(device.error());
        ASSERT_TRUE(QDir(programFolder.path()).mkpath("ports"));
    }
    QString portsPath(const QString& name) const { return programFolder.path() + "/ports/" + name; }
    void link(const QString& target, const QString& name) const { ASSERT_TRUE(QFile::link(target, portsPath(name))); }
};

TEST_F(Listing, ALinkToTheDeviceIsItsPortAndBrokenOrPlainEntriesAreNot)
{
    link(device.devicePath(), "COM7");
    link("/dev/qmr51-nothing-here", "COM9");
    QFile plain(portsPath("COM10"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();

    const QStringList names = listing.deviceNames();
    EXPECT_TRUE(names.contains("Serial port " + device.devicePath() + " (COM7)")) << qPrintable(names.join('|'));
    EXPECT_EQ(listing.devicePath(7), device.devicePath());
    EXPECT_EQ(listing.devicePath(9), QString());
    EXPECT_EQ(listing.devicePath(10), QString());
    for (const QString& name : names)
        EXPECT_FALSE(name.endsWith(" (COM9)") || name.endsWith(" (COM10)")) << qPrintable(name);
}

// Numbers, order and names of the listed ports are pinned in PortNumberingTest; here the real folder.
TEST_F(Listing, TheFolderIsReadAgainOnEveryCall)
{
    EXPECT_EQ(listing.devicePath(7), QString());
    link(device.devicePath(), "COM7");
    EXPECT_EQ(listing.devicePath(7), device.devicePath());
    ASSERT_TRUE(QFile::remove(portsPath("COM7")));
    EXPECT_EQ(listing.devicePath(7), QString());
    EXPECT_FALSE(listing.deviceNames().join('|').contains("(COM7)"));
}

} // namespace
