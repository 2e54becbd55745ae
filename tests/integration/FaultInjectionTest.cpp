// Faults a technician meets in the field, injected with the simulator over a real pseudo-terminal:
// an adapter pulled out during a firmware transfer, a device at the wrong baud rate (noise). (Pulled
// out during a poll: LineReturnOverPty; replies in pieces at the deadline's edge and a silent or
// refusing device after a settings change are pinned on the fake line.) For each the tool keeps
// working, tells the user what there is to tell, and gives the window back.
#include "RealLineHarness.h"
#include "firmware/ui/UpgradeHandlers.h"
#include "link/ui/PortList.h"
#include <QComboBox>
#include <QFile>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

// The tool with a device of `kind` on COM9, chosen in the port list and opened.
struct OnCom9 : fakes::RealLineHarness {
    sim::Simulator* device = nullptr;
    explicit OnCom9(sim::DeviceKind kind, const sim::Misbehaviour& how = {})
    {
        device = addDevice(9, sim::DeviceProfile::defaults(kind), how);
        start();
        comlink::addPortEntry(*tool->frm.cmbComPort, 9, {});
        tool->frm.cmbComPort->setCurrentIndex(0);
        tool->connection().cmdOpenCom_Click();
    }
    bool connected() const { return device && tool->session.portNumber() == 9; }
    // The pseudo-terminal closes after half of the device's next answer.
    void pullOutMidAnswer() { device->setMisbehaviour({.closeMidAnswer = true}); }
};

TEST(FaultInjection, AdapterPulledOutDuringAFirmwareTransfer)
{
    OnCom9 h(sim::DeviceKind::Qmr51);
    ASSERT_TRUE(h.connected());
    QFile hex(QStringLiteral(QMR_TEST_DATA "/upgrade/four_blocks.hex"));
    ASSERT_TRUE(hex.open(QIODevice::ReadOnly));
    h.transfer.files.insert(QStringLiteral("/QMR51v2.hex"), hex.readAll());
    // The upgrade list: the latest version, 9.9.9.9, in bytes 41..44 of 92.
    h.transfer.files.insert(QStringLiteral("/DENA_UPGlist.bin"), QByteArray(92, 'Z').replace(40, 4, "\x09\x09\x09\x09"));
    h.dialogs.answers = {true};
    h.device->clearReceivedFrames();
    h.pullOutMidAnswer();

    h.tool->upgrade().cmdUpgrade_Click();

    EXPECT_TRUE(h.dialogs.messages.contains("Upload failed. Please retry"));
    int blocks = 0;
    for (const sim::RequestFrame& frame : h.device->receivedFrames())
        blocks += frame.command == 208 ? 1 : 0;
    EXPECT_EQ(blocks, 1) << "nothing more goes out once the line is gone";
    EXPECT_FALSE(h.tool->frm.timScan.isActive()) << "the refresh stays off after a failed transfer";
}

TEST(FaultInjection, NoiseAtTheWrongBaudRateIsNoDevice)
{
    QByteArray noise(64, 0);
    for (char& c : noise)
        c = static_cast<char>(QRandomGenerator::global()->bounded(256));
    noise.replace("*W", "xx"); // noise that happens to look like a reply header is another test
    OnCom9 h(sim::DeviceKind::Qmr51, {.wrongEndByte = true, .strayBytes = noise});
    ASSERT_TRUE(h.device);
    EXPECT_TRUE(h.tool->session.connectFailed());
    EXPECT_EQ(h.tool->frm.windowTitle(), "QMR51-TIKA V4.4 ----");
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}

} // namespace
