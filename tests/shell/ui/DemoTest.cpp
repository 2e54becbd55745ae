#include "RealLineHarness.h"
#include "shell/ui/Demo.h"
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <gtest/gtest.h>

namespace {

QStringList portLinks(const QString& folder)
{
    return QDir(folder + QStringLiteral("/ports")).entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
}

TEST(Demo, ConnectsToASimulatedTikaV2OnAPortLinkAndLeavesNoTrace)
{
    fakes::RealLineHarness h;
    shell::Tool& tool = h.start();
    shell::Demo demo(tool);
    ASSERT_TRUE(demo.start()) << tool.frm.statusLine->text().toStdString();
    tool.frm.timScan.stop();

    // The port, as a technician would find it: a COM link in the program folder to a pseudo-terminal.
    const int n = demo.portNumber();
    const QFileInfo link(demo.linkPath());
    EXPECT_EQ(link.absoluteFilePath(), QDir(h.folder.path()).absoluteFilePath(QStringLiteral("ports/COM%1").arg(n)));
    EXPECT_TRUE(link.symLinkTarget().startsWith(QStringLiteral("/dev/pts/"))) << link.symLinkTarget().toStdString();
    EXPECT_EQ(tool.frm.cmbComPort->currentText(), QStringLiteral("COM%1:").arg(n));
    EXPECT_EQ(tool.session.portNumber(), n);
    EXPECT_EQ(tool.session.kind(), device::DeviceKind::TikaV2);
    EXPECT_TRUE(tool.frm.statusLine->text().startsWith(QStringLiteral("Demo: a simulated TIKA V2 answers on COM%1 (").arg(n)))
        << tool.frm.statusLine->text().toStdString();

    demo.stop();
    EXPECT_TRUE(portLinks(h.folder.path()).isEmpty());
}

TEST(Demo, TakesAPortNumberNoOtherPortHolds)
{
    fakes::RealLineHarness h;
    // Two devices of the user's own hold COM1 and COM2 (the machine's ttyS ports may hold more).
    ASSERT_TRUE(h.addDevice(1, sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51)));
    ASSERT_TRUE(h.addDevice(2, sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51)));
    shell::Tool& tool = h.start();
    shell::Demo demo(tool);
    ASSERT_TRUE(demo.start());
    tool.frm.timScan.stop();
    EXPECT_GT(demo.portNumber(), 2);
    for (int n = 1; n < demo.portNumber(); ++n)
        EXPECT_FALSE(h.ports.devicePath(n).isEmpty()) << "COM" << n << " was free";
    demo.stop();
    EXPECT_EQ(portLinks(h.folder.path()), QStringList({"COM1", "COM2"})) << "the user's links stay";
}

} // namespace
