#include "Bytes.h"
#include "FakePlatform.h"
#include "platform/QtSerialPort.h"
#include "sim/Simulator.h"
#include <QThread>
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
    }

    // Reads until `count` bytes have come or a wait brings nothing more.
    QByteArray receive(qsizetype count)
    {
        QByteArray got;
        while (got.size() < count && port.waitForInput(std::chrono::seconds(5)))
            got.append(port.readAll());
        return got;
    }

    void hangUpOnTheNextRequest()
    {
        sim::Misbehaviour hangUp;
        hangUp.closeMidAnswer = true;
        device.setMisbehaviour(hangUp);
        ASSERT_TRUE(port.write("*V#"));
    }
};

TEST_F(OverPty, RequestsAndAnswersPassByteForByteControlBytesUntranslated)
{
    ASSERT_TRUE(port.open(5)) << qPrintable(port.lastError());
    EXPECT_TRUE(port.readAll().isEmpty());
    EXPECT_FALSE(port.waitForInput(std::chrono::milliseconds(20)));
    EXPECT_FALSE(port.hasFailed());

    ASSERT_TRUE(port.write("*V#"));
    EXPECT_EQ(receive(20).toHex(' '),
              bytes({42, 87, 16, 2, 1, 0, 5, 10, 1, 5, 1, '5', '1', '0', '0', '0', '0', '4', '2', 35}).toHex(' '));
    ASSERT_TRUE(device.waitForFrames(1, std::chrono::seconds(5)));
    EXPECT_EQ(device.receivedFrames().front().command, 86);
    // XON, XOFF, CR, LF and 0 would be eaten or changed by a line not in raw mode.
    ASSERT_TRUE(port.write(bytes({42, 133, 0x11, 0x13, 0x0D, 0x0A, 133, 35})));
    EXPECT_EQ(receive(8).toHex(' '), bytes({42, 134, 4, 0x11, 0x13, 0x0D, 0x0A, 35}).toHex(' '));
    ASSERT_TRUE(port.write(bytes({42, 134, 0, 0xFF, 0x0D, 0, 134, 35})));
    EXPECT_EQ(receive(8).toHex(' '), bytes({42, 135, 4, 0, 0xFF, 0x0D, 0, 35}).toHex(' '));
}

TEST_F(OverPty, OpenTwiceCloseAndOpenAgain)
{
    ASSERT_TRUE(port.open(5));
    EXPECT_FALSE(port.open(5));
    EXPECT_TRUE(port.lastError().contains(device.devicePath())) << qPrintable(port.lastError());
    port.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.write("*V#"));
    ASSERT_TRUE(port.open(5)) << qPrintable(port.lastError());
    ASSERT_TRUE(port.write("*V#"));
    EXPECT_EQ(receive(20).size(), 20);
}

TEST_F(OverPty, AnOpenFailureNamesTheNodeOrThePort)
{
    platform::QtSerialPort other(listing);
    ASSERT_TRUE(other.open(5));
    EXPECT_FALSE(port.open(5));
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(port.lastError().startsWith(device.devicePath() + ": ")) << qPrintable(port.lastError());

    EXPECT_FALSE(port.open(6));
    EXPECT_TRUE(port.lastError().contains("COM6")) << qPrintable(port.lastError());
    listing.paths.insert(8, "/dev/qmr51-no-such-device");
    EXPECT_FALSE(port.open(8));
    EXPECT_TRUE(port.lastError().startsWith("/dev/qmr51-no-such-device: ")) << qPrintable(port.lastError());
}

TEST_F(OverPty, AHangUpEndsTheWaitAndMarksThePortFailed)
{
    ASSERT_TRUE(port.open(5));
    hangUpOnTheNextRequest();
    // A line that only reports "readable" and then brings nothing must not hold the wait for its
    // whole length, nor report input for ever.
    for (int i = 0; i < 5 && !port.hasFailed(); ++i) {
        port.waitForInput(std::chrono::seconds(10));
        port.readAll();
    }
    EXPECT_TRUE(device.hungUp());
    EXPECT_TRUE(port.hasFailed());
    EXPECT_TRUE(port.isOpen()) << "stays open until the tool closes it";
    EXPECT_FALSE(port.waitForInput(std::chrono::seconds(30)));
    EXPECT_FALSE(port.write("*V#"));
    EXPECT_TRUE(port.lastError().startsWith(device.devicePath() + ": ")) << qPrintable(port.lastError());
    port.close();
    EXPECT_FALSE(port.hasFailed());
}

TEST_F(OverPty, AHangUpIsSeenByReadsAloneToo)
{
    ASSERT_TRUE(port.open(5));
    hangUpOnTheNextRequest();
    ASSERT_TRUE(device.waitForFrames(1, std::chrono::seconds(5)));
    for (int i = 0; i < 200 && !device.hungUp(); ++i)
        QThread::msleep(10);
    for (int i = 0; i < 5; ++i)
        port.readAll();
    EXPECT_TRUE(port.hasFailed());
}

} // namespace
