// The window's search over real lines takes the first device that answers, after a port whose device
// sends noise (at the wrong baud rate), and never tries the rest. Then the window and qmr51ctl read one simulated device: a QMR51 set to the
// Belgian protocol while its meter is in tariff 2, after the TIKA V2 found was connected to the same
// window. Both must show the same row, cell by cell, with the same headings: the tariff named as in
// Belgium without a click on the country buttons, the inputs called Extern1 and Extern2 again.
#include "RealLineHarness.h"
#include "link/ui/PortList.h"
#include "link/ui/PortHandlers.h"
#include "view/DeviceColumns.h"
#include "view/ReadingsCsv.h"
#include "view/ui/ReadingsPoll.h"
#include <QComboBox>
#include <QProcess>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

TEST(WindowAndQmr51ctl, TheSearchFindsTheFirstAnsweringDeviceAndBothShowTheSameRowForTheSameReading)
{
    fakes::RealLineHarness h;
    sim::DeviceProfile qmr = sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51);
    qmr.settings = QByteArray::fromHex("0a020504"); // 10 s, Belgium, protocol "BE", divider 4
    qmr.readings[10] = 2.0;                          // the tariff indicator: tariff 2
    QByteArray noise(64, 0);
    for (char& c : noise)
        c = static_cast<char>(QRandomGenerator::global()->bounded(256));
    noise.replace("*W", "xx"); // noise that happens to look like a reply header is another test
    sim::Simulator* noisy = h.addDevice(1, sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51), {.wrongEndByte = true, .strayBytes = noise});
    sim::Simulator* seven = h.addDevice(7, qmr);
    ASSERT_TRUE(noisy && seven && h.addDevice(3, sim::DeviceProfile::defaults(sim::DeviceKind::TikaV2)));
    shell::Tool& tool = h.start();
    tool.ports().cmdScanCom_Click();
    EXPECT_EQ(tool.frm.windowTitle(), "Visualizer V4.4 s/n:22M01234 Listening to COM3 TIKA V2 FW V25.0.1.2");
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
    EXPECT_EQ(noisy->receivedFrames().size(), 1) << "the noisy port was asked once";
    EXPECT_TRUE(seven->receivedFrames().isEmpty()) << "COM7 is not tried";

    tool.ports().cmdCloseCom_Click();
    comlink::addPortEntry(*tool.frm.cmbComPort, 7, {});
    tool.frm.cmbComPort->setCurrentIndex(tool.frm.cmbComPort->count() - 1);
    tool.connection().cmdOpenCom_Click();
    ASSERT_EQ(tool.session.kind(), device::DeviceKind::Qmr51);
    tool.poll().imgRefresh_Click();
    const view::ReadingsTable& log = tool.readings;
    ASSERT_EQ(log.rowCount(), 1);
    tool.ports().cmdCloseCom_Click(); // the port is qmr51ctl's now

    QProcess ctl;
    ctl.start(QStringLiteral(QMR_CTL), {"read", "--port", "COM7", "--count", "1", "--program-folder", h.folder.path()});
    ASSERT_TRUE(ctl.waitForFinished(60000));
    ASSERT_EQ(ctl.exitCode(), 0) << ctl.readAllStandardError().toStdString();
    const QStringList lines = QString::fromUtf8(ctl.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    const QStringList headings = lines[0].split(u'\t'), cells = lines[1].split(u'\t');

    // Date and time are when each read; every quantity after them must agree, under the names the
    // window's headings give them.
    QStringList windowHeadings, windowCells;
    for (int column : view::deviceColumns(device::DeviceKind::Qmr51)) {
        const QString name = view::csvColumnName(column, log.heading(column));
        if (name.isEmpty())
            continue;
        windowHeadings << name;
        windowCells << log.cellText(0, column);
    }
    EXPECT_EQ(headings.mid(2), windowHeadings);
    EXPECT_EQ(cells.mid(2), windowCells);
    EXPECT_TRUE(windowCells.contains("Low")) << "tariff 2 is the low tariff in Belgium";
    EXPECT_TRUE(windowHeadings.contains("Extern2 (pulses)"));
}

} // namespace
