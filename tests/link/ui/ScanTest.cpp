#include "ToolHarness.h"
#include <QPushButton>
#include <gtest/gtest.h>

using fakes::ToolHarness;

namespace {

// Ports 1 and 7 are silent or answer as given; the fake port answers by the port that is open.
struct ScanHarness : ToolHarness {
    QMap<int, QByteArray> identities; // port -> identification data; absent = silent
    ScanHarness()
    {
        p.port.responder = [this](const QByteArray& written) -> QList<fakes::FakeSerialPort::Arrival> {
            const int port = p.port.opened.last();
            if (written == fakes::bytes({42, 86, 35}) && identities.contains(port))
                return {{fakes::replyFrame(86, identities.value(port)), 0.01}};
            return {};
        };
    }
    QStringList entries() const
    {
        QStringList out;
        for (int i = 0; i < tool.frm.cmbComPort->count(); ++i)
            out << tool.frm.cmbComPort->itemText(i);
        return out;
    }
};

TEST(Scan, StopsAtTheFirstPortWhereADeviceAnswers)
{
    ScanHarness h;
    h.p.ports.names = {"Printer (LPT1)", "Serial port /dev/ttyS0 (COM1)", "Serial port /dev/pts/4 (COM3)",
                       "Serial port /dev/pts/5 (COM7)"};
    h.p.ports.paths = {{1, "/dev/ttyS0"}, {3, "/dev/pts/4"}, {7, "/dev/pts/5"}};
    h.identities[3] = fakes::tikaIdentity({24, 2, 0, 1}, "22M01234");
    h.identities[7] = fakes::qmr51Identity({1, 2, 3, 4}, 10, 1, 4, 4, "Q5100042");
    h.tool.ports().cmdScanCom_Click();
    EXPECT_EQ(h.entries(), QStringList({"COM1:", "COM3:"}));
    EXPECT_EQ(h.tool.frm.cmbComPort->currentText(), "COM3:");
    EXPECT_EQ(h.tool.state.ComPort, 3);
    EXPECT_EQ(h.p.port.opened, QList<int>({1, 3})) << "COM7 is never tried";
    EXPECT_EQ(h.tool.frm.windowTitle(), "Visualizer V4.4 s/n:22M01234 Listening to COM3 TIKA V2 FW V24.2.0.1");
    EXPECT_TRUE(h.p.dialogs.messages.isEmpty());
    EXPECT_TRUE(h.tool.frm.cmdForceUpgrade->isHidden());
    EXPECT_EQ(h.tool.frm.cmbComPort->itemData(0, Qt::ToolTipRole).toString(), "/dev/ttyS0")
        << "each entry tells its device node";
}

TEST(Scan, OnlySilentPortsOffersTheForcedUpgrade)
{
    ScanHarness h;
    h.p.ports.names = {"Serial port /dev/ttyS0 (COM1)", "Serial port /dev/ttyS1 (COM2)"};
    h.tool.ports().cmdScanCom_Click();
    EXPECT_EQ(h.p.dialogs.messages, QStringList({"No QMR51 or TIKA found"}));
    EXPECT_FALSE(h.p.port.isOpen());
    EXPECT_TRUE(h.tool.state.ConnectFailed);
    EXPECT_EQ(h.tool.state.ComPort, std::nullopt);
    EXPECT_FALSE(h.tool.frm.cmdForceUpgrade->isHidden());
    EXPECT_EQ(h.tool.frm.cmbComPort->currentText(), "COM2:");
}

TEST(Scan, NoCandidateLeavesAnOpenConnectionAlone)
{
    ScanHarness h;
    h.connect(5, fakes::qmr51Identity({1, 2, 3, 4}, 10, 1, 4, 4, "Q5100042"));
    ASSERT_EQ(h.tool.state.ComPort, 5);
    h.p.ports.names = {"Printer (LPT1)", "USB COM Port (COM4)"};
    h.tool.ports().cmdScanCom_Click();
    EXPECT_EQ(h.tool.frm.cmbComPort->count(), 0);
    EXPECT_EQ(h.tool.state.ComPort, 5);
    EXPECT_TRUE(h.p.port.isOpen());
    EXPECT_TRUE(h.p.dialogs.messages.isEmpty());
}

TEST(Scan, NoCandidateAndNoConnectionSaysSo)
{
    ScanHarness h;
    h.tool.ports().cmdScanCom_Click();
    EXPECT_EQ(h.p.dialogs.messages, QStringList({"No COM interfaces found"}));
    EXPECT_TRUE(h.tool.frm.cmdForceUpgrade->isHidden());
}

} // namespace
