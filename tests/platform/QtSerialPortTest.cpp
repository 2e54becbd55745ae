#include "Bytes.h"
#include "FakePlatform.h"
#include "platform/QtSerialPort.h"
#include "sim/Simulator.h"
#include <gtest/gtest.h>

using fakes::bytes;

namespace {

// A QMR51 simulator reachable as COM5 through the listing.
struct OverPty : ::testing::Test {
    sim::Simulator device{sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51)};
    fakes::FakePortListing listing;
    platform::QtSerialPort port{listing};

    void SetUp() override
    {
        ASSERT_TRUE(device.start()) << qPrintable(device.error());
        listing.paths.insert(5, device.devicePath());
        ASSERT_TRUE(port.open(5)) << qPrintable(port.lastError());
    }
};

// The texts PortErrorText reads: the node tried, or the COM number when the listing has none.
TEST_F(OverPty, AnOpenFailureNamesTheNodeOrThePort)
{
    platform::QtSerialPort other(listing);
    EXPECT_FALSE(other.open(5)) << "a port is not shared with another program";
    EXPECT_TRUE(other.lastError().startsWith(device.devicePath() + ": ")) << qPrintable(other.lastError());
    EXPECT_FALSE(other.open(6));
    EXPECT_TRUE(other.lastError().contains("COM6")) << qPrintable(other.lastError());
    listing.paths.insert(8, "/dev/qmr51-no-such-device");
    EXPECT_FALSE(other.open(8));
    EXPECT_TRUE(other.lastError().startsWith("/dev/qmr51-no-such-device: ")) << qPrintable(other.lastError());
    port.close();
    EXPECT_TRUE(other.open(5)) << qPrintable(other.lastError());
}

// XON, XOFF, CR, LF and 0 would be eaten or changed by a line not in raw mode. Then the line hangs up.
TEST_F(OverPty, BytesPassUntranslatedAndAHangUpEndsTheWaitAndMarksThePortFailed)
{
    ASSERT_TRUE(port.write(bytes({42, 133, 0x11, 0x13, 0x0D, 0, 133, 35})));
    QByteArray got;
    while (got.size() < 8 && port.waitForInput(std::chrono::seconds(5)))
        got.append(port.readAll());
    EXPECT_EQ(got.toHex(' '), bytes({42, 134, 4, 0x11, 0x13, 0x0D, 0, 35}).toHex(' '));

    sim::Misbehaviour hangUp;
    hangUp.closeMidAnswer = true;
    device.setMisbehaviour(hangUp);
    ASSERT_TRUE(port.write("*V#"));
    // A line that only reports "readable" and then brings nothing must not hold the wait for its
    // whole length, nor report input for ever.
    for (int i = 0; i < 5 && !port.hasFailed(); ++i) {
        port.waitForInput(std::chrono::seconds(10));
        port.readAll();
    }
    EXPECT_TRUE(port.hasFailed());
    EXPECT_TRUE(port.isOpen()) << "stays open until the tool closes it";
    EXPECT_FALSE(port.waitForInput(std::chrono::seconds(30)));
    EXPECT_FALSE(port.write("*V#"));
    EXPECT_TRUE(port.lastError().startsWith(device.devicePath() + ": ")) << qPrintable(port.lastError());
}

} // namespace
