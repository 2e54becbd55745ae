#include "ToolHarness.h"
#include "view/ui/ReadingsGrid.h"
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>

using fakes::bytes;
using fakes::ToolHarness;

namespace {

// Kind and serial for every reply length are pinned in IdentificationTest; here that the result
// reaches the state and the caption.
TEST(Connect, TheIdentifiedDeviceIsShownInTheCaption)
{
    ToolHarness h;
    h.connect(7, fakes::tikaIdentity({24, 2, 0, 1}, "22m01234"));
    EXPECT_EQ(h.tool.state.DeviceType, device::DeviceKind::TikaV1);
    EXPECT_EQ(h.tool.frm.windowTitle(), "Visualizer V4.4 s/n:22m01234 Listening to COM7 TIKA V1 FW V24.2.0.1");
    EXPECT_EQ(h.tool.state.ComPort, 7);
    EXPECT_EQ(h.p.port.writes.value(0), bytes({42, 86, 35}));
}

TEST(Connect, KindLayoutsAndWhatALaterConnectKeeps)
{
    ToolHarness h;
    auto& f = h.tool.frm;
    f.show();
    h.connect(3, fakes::tikaIdentity({24, 2, 0, 1}, "22M01234"));
    EXPECT_TRUE(f.labInput->isHidden());
    EXPECT_EQ(f.cmbProtocol->count(), 6);
    EXPECT_EQ(f.cmbProtocol->itemText(4), "DK");
    EXPECT_EQ(f.cmbProtocol->itemText(5), "A1");
    EXPECT_FALSE(f.fraOut[0]->isHidden());
    EXPECT_FALSE(f.fraOut[1]->isHidden());
    EXPECT_EQ(f.interval->spin()->value(), 5);
    EXPECT_FALSE(f.interval->isEnabled());
    EXPECT_EQ(f.grdInterfaces->table().heading(20), "Input 1");
    EXPECT_EQ(f.timScan.interval(), 5000);
    EXPECT_TRUE(f.timScan.isActive());
    EXPECT_FALSE(f.timTXSettings.isActive()) << "the values just read are not sent back";

    h.tool.ports().cmdCloseCom_Click();
    h.connect(3, fakes::qmr51Identity({1, 2, 3, 4}, 10, 1, 4, 4, "Q5100042"));
    EXPECT_FALSE(f.labInput->isHidden());
    EXPECT_EQ(f.cmbProtocol->count(), 4);
    EXPECT_EQ(f.cmbProtocol->currentText(), "4.0 (NL)");
    EXPECT_TRUE(f.fraOut[0]->isHidden());
    EXPECT_TRUE(f.interval->isEnabled());
    EXPECT_EQ(f.interval->spin()->value(), 10);
    EXPECT_EQ(f.timScan.interval(), 10000);
    EXPECT_EQ(f.grdInterfaces->columnWidthTwips(6), 700);
    EXPECT_EQ(f.grdInterfaces->table().heading(20), "Input 1") << "kept from the TIKA V2";
}

TEST(Connect, ASuccessfulConnectShowsTheConnectedButtonsAndEmptiesTheGrid)
{
    ToolHarness h;
    auto& f = h.tool.frm;
    f.show();
    f.grdInterfaces->appendReading(view::ReadingRow{});
    f.cmdForceUpgrade->show();
    h.connect(3, fakes::qmr51Identity({1, 2, 3, 4}, 10, 1, 4, 4, "Q5100042"));
    EXPECT_TRUE(f.cmdOpenCom->isHidden());
    for (QWidget* w : std::initializer_list<QWidget*>{f.cmdCloseCom, f.fraSettings, f.cmdUpgrade, f.cmdDebug, f.imgRefresh})
        EXPECT_FALSE(w->isHidden()) << w->objectName().toStdString();
    EXPECT_TRUE(f.cmdForceUpgrade->isHidden());
    EXPECT_EQ(f.grdInterfaces->gridRowCount(), 1);
}

// A port that cannot be opened: PortErrorTest.
TEST(Connect, ASilentDeviceLeavesThePortOpenAndASecondOpenFindsItBusy)
{
    ToolHarness h;
    auto& f = h.tool.frm;
    h.tool.state.FwVersion = {9, 9, 9, 9};
    h.selectPort(4);
    h.tool.connection().cmdOpenCom_Click();
    EXPECT_TRUE(h.tool.state.ConnectFailed);
    EXPECT_EQ(h.tool.state.ComPort, std::nullopt);
    EXPECT_TRUE(h.p.port.isOpen());
    EXPECT_TRUE(f.cmdUpgrade->isHidden());
    EXPECT_TRUE(f.cmdDebug->isHidden());
    EXPECT_EQ(f.windowTitle(), "QMR51-TIKA V4.4 ----");
    EXPECT_EQ(h.tool.state.FwVersion[0], 9) << "a failed connect keeps the earlier version";

    h.answerIdentify(fakes::qmr51Identity({1, 2, 3, 4}, 10, 1, 4, 4, "Q5100042"));
    h.tool.connection().cmdOpenCom_Click();
    EXPECT_TRUE(h.tool.state.ConnectFailed);
    EXPECT_EQ(h.tool.state.ComPort, std::nullopt);
    EXPECT_EQ(h.p.port.writes.size(), 1) << "the second open fails before anything is sent";
    EXPECT_TRUE(h.p.dialogs.messages.isEmpty());
}

TEST(Connect, APortNumberAbove255IsRefusedNotWrapped)
{
    ToolHarness h;
    h.tool.frm.cmbComPort->addItem("COM259:");
    h.tool.frm.cmbComPort->setCurrentIndex(0);
    h.tool.connection().cmdOpenCom_Click();
    EXPECT_TRUE(h.tool.state.ConnectFailed);
    EXPECT_EQ(h.tool.state.ComPort, std::nullopt);
    EXPECT_TRUE(h.p.port.opened.isEmpty()) << "COM3 must not be opened in its place";
}

TEST(Connect, CloseResetsCaptionButtonsAndDisarmsTheSettingsTimer)
{
    ToolHarness h;
    auto& f = h.tool.frm;
    f.show();
    h.connect(3, fakes::qmr51Identity({1, 2, 3, 4}, 10, 1, 4, 4, "Q5100042"));
    f.timTXSettings.start(1000);
    f.cmbComPort->activated(0); // the user picks an entry: same as Close
    EXPECT_EQ(h.tool.state.ComPort, std::nullopt);
    EXPECT_FALSE(f.timScan.isActive());
    EXPECT_FALSE(f.timTXSettings.isActive());
    EXPECT_FALSE(h.p.port.isOpen());
    EXPECT_EQ(f.windowTitle(), "QMR51-TIKA V4.4 ----");
    EXPECT_FALSE(f.cmdOpenCom->isHidden());
    for (QWidget* w : std::initializer_list<QWidget*>{f.imgRefresh, f.fraSettings, f.cmdCloseCom})
        EXPECT_TRUE(w->isHidden());
}

} // namespace
