// A search for the device over real pseudo-terminals. Which ports are listed, a silent and an empty
// search are pinned on the fake line; here the real lines, one search.
#include "RealLineHarness.h"
#include <gtest/gtest.h>

namespace {

TEST(ScanOverPty, FindsTheFirstAnsweringDeviceAndNeverTriesTheRest)
{
    fakes::RealLineHarness h;
    sim::Misbehaviour silent;
    silent.silent = true;
    sim::Simulator* silentOne = h.addDevice(1, sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51), silent);
    sim::Simulator* tika = h.addDevice(3, sim::DeviceProfile::defaults(sim::DeviceKind::TikaV2));
    sim::Simulator* qmr = h.addDevice(7, sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51));
    ASSERT_TRUE(silentOne && tika && qmr);
    shell::Tool& tool = h.start();

    tool.ports().cmdScanCom_Click();

    EXPECT_EQ(tool.session.portNumber(), 3);
    EXPECT_EQ(tool.frm.windowTitle(), "Visualizer V4.4 s/n:22M01234 Listening to COM3 TIKA V2 FW V25.0.1.2");
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
    EXPECT_EQ(silentOne->receivedFrames().size(), 1) << "the silent port was asked once";
    EXPECT_TRUE(qmr->receivedFrames().isEmpty()) << "COM7 is never opened";
}

} // namespace
