#include "Bytes.h"
#include "FakeDialogs.h"
#include "FakePlatform.h"
#include "link/CommandExchange.h"
#include "link/SerialLink.h"
#include "PacedLine.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "sim/Simulator.h"
#include <gtest/gtest.h>

using fakes::bytes;

namespace {


// The tool's real line (QtSerialPort, the event pump, the steady clock paced by the device, see
// PacedLine.h) against a simulated device on a pseudo-terminal, reachable as COM7.
struct Line {
    explicit Line(sim::DeviceKind kind) : device(sim::DeviceProfile::defaults(kind))
    {
        this->kind = kind;
    }
    sim::Simulator device;
    fakes::FakePortListing listing;
    platform::QtSerialPort realPort{listing};
    fakes::PacedClock clock;
    fakes::PacedPort port{realPort, clock, [this](int n) { return n == 7 ? &device : nullptr; }};
    platform::QtEventPump pump;
    int refusals = 0;
    std::optional<device::DeviceKind> kind;
    double timeOut = 0;
    double timeOut2 = 0;
    comlink::SerialLink link{port, clock, pump, timeOut2};
    comlink::CommandExchange exchange{port, clock, pump, kind, timeOut, [this] { ++refusals; }};

    bool connect()
    {
        if (!device.start())
            return false;
        listing.paths.insert(7, device.devicePath());
        return link.OpenCom(7) == 7;
    }
    QByteArray send(int command, const QByteArray& payload = {})
    {
        return fakes::statusThenBytes(exchange.SendCommand(static_cast<std::uint8_t>(command), payload));
    }
};

struct LinkOverPty : ::testing::Test {
    Line qmr{sim::DeviceKind::Qmr51};
    void SetUp() override { ASSERT_TRUE(qmr.connect()) << qPrintable(qmr.port.lastError()); }
};

TEST_F(LinkOverPty, OpenComRefusesAnOpenPortAndAMissingOne)
{
    EXPECT_EQ(qmr.link.OpenCom(7), std::nullopt);
    EXPECT_EQ(qmr.link.OpenCom(8), std::nullopt);
    qmr.port.close();
    EXPECT_EQ(qmr.link.OpenCom(8), std::nullopt) << "COM8 is not listed";
    EXPECT_EQ(qmr.link.OpenCom(7), 7);
}

TEST_F(LinkOverPty, OpenComDrainsWhatTheDeviceSentBefore)
{
    qmr.port.close();
    // An answer to a request nobody remembers is already waiting when the port opens.
    {
        platform::QtSerialPort earlier(qmr.listing);
        ASSERT_TRUE(earlier.open(7));
        ASSERT_TRUE(earlier.write("*V#"));
        ASSERT_TRUE(qmr.device.waitForFrames(1, std::chrono::seconds(5)));
        earlier.close();
    }
    ASSERT_EQ(qmr.link.OpenCom(7), 7);
    EXPECT_TRUE(qmr.port.readAll().isEmpty());
}

// The reply rules (statuses, acknowledgements, misbehaving devices) are pinned on the fake port in
// CommandExchangeTest; here what only a real line shows.
TEST_F(LinkOverPty, IdentificationComesBackWithStatusZeroInFront)
{
    EXPECT_EQ(qmr.send(86).toHex(' '),
              bytes({0, 2, 1, 0, 5, 10, 1, 5, 1, '5', '1', '0', '0', '0', '0', '4', '2', 35}).toHex(' '));
    EXPECT_EQ(qmr.device.receivedFrames().back(), (sim::RequestFrame{86, {}}));
}

TEST_F(LinkOverPty, SettingsAreTakenByTheDevice)
{
    EXPECT_EQ(qmr.send(66, bytes({30, 2, 5, 4})), bytes({252})) << "a settings acknowledgement keeps the time-out status";
    EXPECT_EQ(qmr.refusals, 0);
    EXPECT_EQ(qmr.device.profile().settings, bytes({30, 2, 5, 4}));
}

TEST_F(LinkOverPty, DebugLogOfTheFullLengthComesWhole)
{
    QByteArray log;
    for (int i = 0; i < 1535; ++i)
        log.append(static_cast<char>(i % 251));
    qmr.device.changeProfile([&](sim::DeviceProfile& p) { p.debugLog = log; });
    EXPECT_EQ(qmr.send(68), bytes({0}) + log);
}

} // namespace
