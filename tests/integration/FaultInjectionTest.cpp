// Faults a technician meets in the field, injected with the simulator over a real pseudo-terminal:
// an adapter pulled out mid-exchange, a device at the wrong baud rate (noise), an acknowledgement
// that never comes. (Replies in pieces at the deadline's edge are pinned on the fake line.) For each
// the tool keeps working, tells the user what there is to tell, and gives the window back.
#include "RealLineHarness.h"
#include "device/ui/SettingsSender.h"
#include "firmware/ui/UpgradeHandlers.h"
#include "link/ui/PortList.h"
#include "view/ui/ReadingsGrid.h"
#include "view/ui/ReadingsPoll.h"
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
    void pullOutMidAnswer()
    {
        sim::Misbehaviour cut;
        cut.closeMidAnswer = true;
        device->setMisbehaviour(cut);
    }
};

TEST(FaultInjection, AdapterPulledOutDuringAReadingsPoll)
{
    OnCom9 h(sim::DeviceKind::TikaV2);
    ASSERT_TRUE(h.connected());
    h.pullOutMidAnswer();
    auto& grid = *h.tool->frm.grdInterfaces;
    const int rowsBefore = grid.gridRowCount();
    h.tool->poll().imgRefresh_Click();
    ASSERT_EQ(grid.gridRowCount(), rowsBefore + 1) << "a failed poll still adds its row";
    EXPECT_EQ(grid.table().row(grid.gridRowCount() - 2).completeFields, 0);
    EXPECT_TRUE(h.tool->session.lastExchangePortFailed());
    // The next poll finds the same dead line and returns at once, without a crash.
    h.tool->poll().imgRefresh_Click();
    EXPECT_EQ(grid.gridRowCount(), rowsBefore + 2);
}

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
    sim::Misbehaviour noise;
    noise.strayBytes = QByteArray(64, 0);
    for (char& c : noise.strayBytes)
        c = static_cast<char>(QRandomGenerator::global()->bounded(256));
    noise.strayBytes.replace("*W", "xx"); // noise that happens to look like a reply header is another test
    noise.wrongEndByte = true;
    OnCom9 h(sim::DeviceKind::Qmr51, noise);
    ASSERT_TRUE(h.device);
    EXPECT_TRUE(h.tool->session.connectFailed());
    EXPECT_EQ(h.tool->frm.windowTitle(), "QMR51-TIKA V4.4 ----");
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}

TEST(FaultInjection, ASettingsAcknowledgementThatNeverComesAndARefusal)
{
    OnCom9 h(sim::DeviceKind::TikaV2);
    ASSERT_TRUE(h.connected());
    sim::Misbehaviour mute;
    mute.silent = true;
    h.device->setMisbehaviour(mute);
    h.tool->frm.timTXSettings.start(1000);
    h.tool->sender().timTXSettings_Timer();
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << "a silent device is not reported";
    EXPECT_FALSE(h.tool->frm.timTXSettings.isActive());
    EXPECT_TRUE(h.tool->frm.timScan.isActive()) << "polling goes on";

    sim::Misbehaviour refuse;
    refuse.refuseAcknowledgement = true;
    h.device->setMisbehaviour(refuse);
    h.tool->sender().timTXSettings_Timer();
    EXPECT_EQ(h.dialogs.messages, QStringList({"Settings error"}));
}

} // namespace
