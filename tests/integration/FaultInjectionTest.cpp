// Faults a technician meets in the field, injected with the simulator over a real pseudo-terminal:
// an adapter pulled out mid-exchange, a device at the wrong baud rate (noise), an acknowledgement
// that never comes. (Replies in pieces at the deadline's edge are pinned on the fake line.) For each: the tool
// keeps working, tells the user what there is to tell, and gives the window back. How long each
// handler held the window is printed (not asserted: timings are for the report, not for a test).
#include "link/ui/PortList.h"
#include "RealLineHarness.h"
#include "device/ui/SettingsSender.h"
#include "view/ui/ReadingsGrid.h"
#include "view/ui/ReadingsPoll.h"
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include "firmware/ui/UpgradeHandlers.h"
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <iostream>

using fakes::RealLineHarness;

namespace {

struct Connected : RealLineHarness {
    sim::Simulator* device = nullptr;
    explicit Connected(sim::DeviceKind kind)
    {
        device = addDevice(9, sim::DeviceProfile::defaults(kind));
        start();
        comlink::addPortEntry(*tool->frm.cmbComPort, 9, {});
        tool->frm.cmbComPort->setCurrentIndex(0);
        tool->connection().cmdOpenCom_Click();
    }
    bool connected() const { return device && tool->session.portNumber() == 9; }
};

// Runs a handler and reports how long the window was held.
template <typename F>
double heldSeconds(const char* fault, F&& handler)
{
    QElapsedTimer clock;
    clock.start();
    handler();
    const double seconds = clock.nsecsElapsed() / 1e9;
    std::cout << "[fault] " << fault << ": window held " << seconds << " s\n";
    return seconds;
}

TEST(FaultInjection, AdapterPulledOutDuringAReadingsPoll)
{
    Connected h(sim::DeviceKind::TikaV2);
    ASSERT_TRUE(h.connected());
    sim::Misbehaviour cut;
    cut.closeMidAnswer = true;
    h.device->setMisbehaviour(cut);
    auto& grid = *h.tool->frm.grdInterfaces;
    const int rowsBefore = grid.gridRowCount();
    heldSeconds("pty closed mid poll", [&] { h.tool->poll().imgRefresh_Click(); });
    ASSERT_EQ(grid.gridRowCount(), rowsBefore + 1) << "a failed poll still adds its row";
    EXPECT_EQ(grid.table().row(grid.gridRowCount() - 2).completeFields, 0);
    EXPECT_TRUE(h.tool->session.lastExchangePortFailed());
    // The next poll finds the same dead line and returns at once, without a crash.
    heldSeconds("poll on a dead line", [&] { h.tool->poll().imgRefresh_Click(); });
    EXPECT_EQ(grid.gridRowCount(), rowsBefore + 2);
}

TEST(FaultInjection, NoiseAtTheWrongBaudRateIsNoDevice)
{
    RealLineHarness h;
    sim::Misbehaviour noise;
    QByteArray junk(64, 0);
    for (char& c : junk)
        c = static_cast<char>(QRandomGenerator::global()->bounded(256));
    junk.replace("*W", "xx"); // noise that happens to look like a reply header is another test
    noise.strayBytes = junk;
    noise.silent = false;
    noise.wrongEndByte = true;
    ASSERT_TRUE(h.addDevice(9, sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51), noise));
    shell::Tool& tool = h.start();
    comlink::addPortEntry(*tool.frm.cmbComPort, 9, {});
    tool.frm.cmbComPort->setCurrentIndex(0);
    heldSeconds("noise instead of a reply", [&] { tool.connection().cmdOpenCom_Click(); });
    EXPECT_TRUE(tool.session.connectFailed());
    EXPECT_EQ(tool.session.portNumber(), std::nullopt);
    EXPECT_EQ(tool.frm.windowTitle(), "QMR51-TIKA V4.4 ----");
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}

TEST(FaultInjection, ASettingsAcknowledgementThatNeverComes)
{
    Connected h(sim::DeviceKind::TikaV2);
    ASSERT_TRUE(h.connected());
    sim::Misbehaviour mute;
    mute.silent = true;
    h.device->setMisbehaviour(mute);
    h.tool->frm.timTXSettings.start(1000);
    heldSeconds("settings never acknowledged", [&] { h.tool->sender().timTXSettings_Timer(); });
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

namespace {

QByteArray testFile(const char* name)
{
    QFile file(QStringLiteral(QMR_TEST_DATA "/upgrade/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(FaultInjection, AdapterPulledOutDuringAFirmwareTransfer)
{
    Connected h(sim::DeviceKind::Qmr51);
    ASSERT_TRUE(h.connected());
    QByteArray list(92, 'Z');
    list.replace(40, 4, QByteArray("\x09\x09\x09\x09", 4));
    h.transfer.files.insert(QStringLiteral("/DENA_UPGlist.bin"), list);
    const QByteArray hex = testFile("four_blocks.hex");
    ASSERT_FALSE(hex.isEmpty());
    h.transfer.files.insert(QStringLiteral("/QMR51v2.hex"), hex);
    h.dialogs.answers = {true};
    h.device->clearReceivedFrames();
    sim::Misbehaviour cut;
    cut.closeMidAnswer = true;
    h.device->setMisbehaviour(cut);

    heldSeconds("pty closed mid upgrade", [&] { h.tool->upgrade().cmdUpgrade_Click(); });

    EXPECT_TRUE(h.dialogs.messages.contains("Upload failed. Please retry"));
    int blocks = 0;
    for (const sim::RequestFrame& frame : h.device->receivedFrames())
        blocks += frame.command == 208 ? 1 : 0;
    EXPECT_EQ(blocks, 1) << "nothing more goes out once the line is gone";
    EXPECT_FALSE(h.tool->frm.timScan.isActive()) << "the refresh stays off after a failed transfer";
}

} // namespace
