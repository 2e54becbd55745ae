#include "link/ui/PortList.h"
#include "RealLineHarness.h"
#include <QComboBox>
#include <QPushButton>
#include <gtest/gtest.h>

using fakes::RealLineHarness;

namespace {

sim::DeviceProfile tikaV2()
{
    sim::DeviceProfile p = sim::DeviceProfile::defaults(sim::DeviceKind::TikaV2);
    p.firmware = {24, 2, 0, 1};
    p.serial = "22M01234";
    return p;
}

sim::Misbehaviour silent()
{
    sim::Misbehaviour m;
    m.silent = true;
    return m;
}

TEST(ScanOverPty, FindsTheFirstAnsweringDeviceAndNeverTriesTheRest)
{
    RealLineHarness h;
    sim::Simulator* silentOne = h.addDevice(1, sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51), silent());
    sim::Simulator* tika = h.addDevice(3, tikaV2());
    sim::Simulator* qmr = h.addDevice(7, sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51));
    ASSERT_TRUE(silentOne && tika && qmr);
    shell::Tool& tool = h.start();

    tool.ports().cmdScanCom_Click();

    // The list, the silent and the empty scan are pinned in ScanTest; here the real lines.
    EXPECT_EQ(tool.session.portNumber(), 3);
    EXPECT_EQ(tool.frm.windowTitle(), "Visualizer V4.4 s/n:22M01234 Listening to COM3 TIKA V2 FW V24.2.0.1");
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
    EXPECT_EQ(silentOne->receivedFrames().size(), 1) << "the silent port was asked once";
    EXPECT_TRUE(qmr->receivedFrames().isEmpty()) << "COM7 is never opened";
}

TEST(ConnectOverPty, AQmr51ShowsItsSerialAndVersionAndStartsPolling)
{
    RealLineHarness h;
    sim::DeviceProfile qmr = sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51);
    qmr.serial = "Q5100042";
    qmr.firmware = {2, 1, 0, 5};
    ASSERT_TRUE(h.addDevice(12, qmr));
    shell::Tool& tool = h.start();
    comlink::addPortEntry(*tool.frm.cmbComPort, 12, {});
    tool.frm.cmbComPort->setCurrentIndex(0);
    tool.connection().cmdOpenCom_Click();
    EXPECT_EQ(tool.frm.windowTitle(), "Visualizer V4.4 s/n:Q5100042 Listening to COM12 QMR51 FW V2.1.0.5");
    EXPECT_EQ(tool.session.portNumber(), 12);
    EXPECT_TRUE(tool.frm.timScan.isActive());
}

} // namespace
