// The device session on a real line (QtSerialPort, the event pump, the steady clock paced by the
// device, see PacedLine.h) against a simulated module on a pseudo-terminal reachable as COM99: every
// flow of the session once, end to end. The reply rules and misbehaving devices are pinned on the
// fake line; here what only a real line shows.
#include "Bytes.h"
#include "FakePlatform.h"
#include "PacedLine.h"
#include "device/Session.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "sim/Simulator.h"
#include <gtest/gtest.h>

using fakes::bytes;

namespace {

struct SessionOverPty : ::testing::Test {
    sim::Simulator device{sim::DeviceProfile::defaults(sim::DeviceKind::TikaV2)};
    fakes::FakePortListing listing;
    platform::QtSerialPort realPort{listing};
    fakes::PacedClock clock;
    fakes::PacedPort port{realPort, clock, [this](int n) { return n == 99 ? &device : nullptr; }};
    platform::QtEventPump pump;
    device::Session session{port, listing, clock, pump};

    void SetUp() override
    {
        ASSERT_TRUE(device.start()) << device.error().toStdString();
        listing.paths.insert(99, device.devicePath());
    }
};

TEST_F(SessionOverPty, EveryFlowOfTheSessionOnCom99)
{
    ASSERT_EQ(session.connect(99), device::Session::ConnectOutcome::Connected);
    EXPECT_EQ(session.kind(), device::DeviceKind::TikaV2);
    EXPECT_EQ(session.serial(), device.profile().serial);

    const view::ReadingRow row = session.poll(true, false);
    EXPECT_EQ(row.status, 0);
    EXPECT_EQ(row.completeFields, 13);

    device::SettingsRecord settings;
    settings.protocolPosition = 4; // "DK"
    settings.modbusAddress = 17;
    EXPECT_TRUE(session.sendSettings(settings));
    EXPECT_EQ(device.profile().settings, session.settingsPayloadFor(settings));

    QByteArray log;
    for (int i = 0; i < 1535; ++i) // the longest log a module keeps, every byte value in it
        log.append(static_cast<char>(i % 251));
    device.changeProfile([&](sim::DeviceProfile& p) { p.debugLog = log; });
    EXPECT_EQ(session.readDebugLog(), (comlink::Reply{comlink::kOk, log}));

    EXPECT_EQ(session.presetCounter(1, 258).data.left(4), bytes({0, 0, 1, 2}));
    EXPECT_EQ(device.receivedFrames().back(), (sim::RequestFrame{134, bytes({0, 0, 1, 2, 134})}));
}

TEST_F(SessionOverPty, AnOpenThrowsAwayWhatTheDeviceSentBeforeAndAnOpenPortIsNotOpenedAgain)
{
    // An answer to a request nobody remembers is already waiting when the port opens.
    {
        platform::QtSerialPort earlier(listing);
        ASSERT_TRUE(earlier.open(99));
        ASSERT_TRUE(earlier.write("*V#"));
        ASSERT_TRUE(device.waitForFrames(1, std::chrono::seconds(5)));
        earlier.close();
    }
    ASSERT_TRUE(session.open(99));
    EXPECT_TRUE(port.readAll().isEmpty());
    EXPECT_FALSE(session.open(99)) << "still open";
    session.close();
    EXPECT_FALSE(session.open(98)) << "COM98 is not listed";
}

} // namespace
