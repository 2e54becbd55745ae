#include "platform/SystemPortListing.h"
#include "sim/Simulator.h"
#include <QDir>
#include <QFile>
#include <QRegularExpression>
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

TEST_F(Listing, ALinkToTheDeviceIsItsPortAndBrokenOrMisnamedEntriesAreNot)
{
    link(device.devicePath(), "COM7");
    link(device.devicePath(), "COM300");
    link(device.devicePath(), "com8");
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
        EXPECT_FALSE(name.endsWith(" (COM9)") || name.endsWith(" (COM10)") || name.contains("COM300")) << qPrintable(name);
}

TEST_F(Listing, NamesAreInAscendingNumberAndReadBackToTheirNumber)
{
    link(device.devicePath(), "COM200");
    link(device.devicePath(), "COM2");
    const QStringList names = listing.deviceNames();
    ASSERT_GE(names.size(), 2);
    static const QRegularExpression tail(" \\(COM([0-9]+)\\)$");
    int previous = 0;
    for (const QString& name : names) {
        EXPECT_FALSE(name.contains("COM ")) << qPrintable(name);
        const QRegularExpressionMatch m = tail.match(name);
        ASSERT_TRUE(m.hasMatch()) << qPrintable(name);
        const int number = m.captured(1).toInt();
        EXPECT_GT(number, previous);
        EXPECT_EQ(name.indexOf("COM"), m.capturedStart() + 2) << "no COM before the port's own";
        EXPECT_FALSE(listing.devicePath(number).isEmpty());
        previous = number;
    }
}

TEST_F(Listing, TheFolderIsReadAgainOnEveryCall)
{
    EXPECT_EQ(listing.devicePath(7), QString());
    link(device.devicePath(), "COM7");
    EXPECT_EQ(listing.devicePath(7), device.devicePath());
    ASSERT_TRUE(QFile::remove(portsPath("COM7")));
    EXPECT_EQ(listing.devicePath(7), QString());
    EXPECT_FALSE(listing.deviceNames().join('|').contains("(COM7)"));
}

TEST_F(Listing, TheSimulatorsOwnLinkIsFound)
{
    ASSERT_TRUE(device.linkAs(portsPath("COM12"))) << qPrintable(device.error());
    EXPECT_EQ(listing.devicePath(12), device.devicePath());
    device.stop();
    EXPECT_FALSE(QFileInfo(portsPath("COM12")).isSymLink()) << "the link goes with the device";
    EXPECT_EQ(listing.devicePath(12), QString());
}

} // namespace
