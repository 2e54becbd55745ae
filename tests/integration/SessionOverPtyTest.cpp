// The device session on a real line (QtSerialPort, the event pump, the steady clock paced by the
// device: see RealLineHarness.h) against a simulated module on a pseudo-terminal reachable as
// COM99: every flow of the session once, end to end. The reply rules and misbehaving devices are
// pinned on the fake line; here what only a real line shows.
#include "Bytes.h"
#include "RealLineHarness.h"
#include "device/Session.h"
#include "diagnostics/InputCounter.h"
#include <gtest/gtest.h>

using fakes::bytes;

namespace {

TEST(SessionOverPty, EveryFlowOfTheSessionOnCom99)
{
    fakes::RealLineHarness h;
    sim::Simulator* device = h.addDevice(99, sim::DeviceProfile::defaults(sim::DeviceKind::TikaV2));
    ASSERT_TRUE(device);
    device::Session session{h.port, h.ports, h.clock, h.pump};

    ASSERT_EQ(session.connect(99), device::Session::ConnectOutcome::Connected);
    EXPECT_EQ(session.kind(), device::DeviceKind::TikaV2);
    EXPECT_EQ(session.serial(), device->profile().serial);

    const device::ReadingRow row = session.poll(true, false);
    EXPECT_EQ(row.status, 0);
    EXPECT_EQ(row.completeFields, 13);

    const device::SettingsRecord settings{.protocolPosition = 4 /* "DK" */, .modbusAddress = 17};
    EXPECT_EQ(session.sendSettings(settings).outcome, comlink::Outcome::Acknowledged);
    EXPECT_EQ(device->profile().settings, session.settingsPayloadFor(settings));

    QByteArray log;
    for (int i = 0; i < 1535; ++i) // the longest log a module keeps, every byte value in it
        log.append(static_cast<char>(i % 251));
    device->changeProfile([&](sim::DeviceProfile& p) { p.debugLog = log; });
    EXPECT_EQ(session.readDebugLog(), (comlink::Reply{comlink::kOk, log, comlink::Outcome::Answered}));

    EXPECT_EQ(diagnostics::presetCounter(session, 1, 258).data.left(4), bytes({0, 0, 1, 2}));
    EXPECT_EQ(device->receivedFrames().back(), (sim::RequestFrame{134, bytes({0, 0, 1, 2, 134})}));
}

} // namespace
