// An adapter pulled out during a firmware transfer, injected with the simulator over a real
// pseudo-terminal: the tool sends nothing more, tells the user, and gives the window back. (Pulled
// out during a poll: LineReturnOverPty; noise at the wrong baud rate: WindowAndQmr51ctl's search;
// replies in pieces at the deadline's edge and a silent or refusing device after a settings change
// are pinned on the fake line.)
#include "RealLineHarness.h"
#include "firmware/ui/UpgradeHandlers.h"
#include "link/ui/PortList.h"
#include <QComboBox>
#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(FaultInjection, AdapterPulledOutDuringAFirmwareTransfer)
{
    fakes::RealLineHarness h;
    sim::Simulator* device = h.addDevice(9, sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51));
    ASSERT_TRUE(device);
    shell::Tool& tool = h.start();
    comlink::addPortEntry(*tool.frm.cmbComPort, 9, {});
    tool.frm.cmbComPort->setCurrentIndex(0);
    tool.connection().cmdOpenCom_Click();
    ASSERT_EQ(tool.session.portNumber(), 9);
    QFile hex(QStringLiteral(QMR_TEST_DATA "/upgrade/four_blocks.hex"));
    ASSERT_TRUE(hex.open(QIODevice::ReadOnly));
    h.transfer.files.insert(QStringLiteral("/QMR51v2.hex"), hex.readAll());
    // The upgrade list: the latest version, 9.9.9.9, in bytes 41..44 of 92.
    h.transfer.files.insert(QStringLiteral("/DENA_UPGlist.bin"), QByteArray(92, 'Z').replace(40, 4, "\x09\x09\x09\x09"));
    h.dialogs.answers = {true};
    device->clearReceivedFrames();
    device->setMisbehaviour({.closeMidAnswer = true}); // the pseudo-terminal closes after half of the next answer

    tool.upgrade().cmdUpgrade_Click();

    EXPECT_TRUE(h.dialogs.messages.contains("Upload failed. Please retry"));
    int blocks = 0;
    for (const sim::RequestFrame& frame : device->receivedFrames())
        blocks += frame.command == 208 ? 1 : 0;
    EXPECT_EQ(blocks, 1) << "nothing more goes out once the line is gone";
    EXPECT_FALSE(tool.frm.timScan.isActive()) << "the refresh stays off after a failed transfer";
}

} // namespace
