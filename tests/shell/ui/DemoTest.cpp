#include "RealLineHarness.h"
#include "shell/ui/Demo.h"
#include "view/ui/ReadingsGrid.h"
#include "view/ui/ReadingsPoll.h"
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QFileInfo>
#include <QLabel>
#include <QThread>
#include <gtest/gtest.h>

namespace {

QStringList portLinks(const QString& folder)
{
    return QDir(folder + QStringLiteral("/ports")).entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
}

TEST(Demo, StartsASimulatedTikaV2OnAPortLinkConnectsAndStopsWithoutATrace)
{
    fakes::RealLineHarness h;
    shell::Tool& tool = h.start();
    shell::Demo demo(tool);
    ASSERT_TRUE(demo.start()) << tool.frm.statusLine->text().toStdString();
    tool.frm.timScan.stop(); // the test polls by hand

    // The port, as a technician would find it: a COM link in the program folder to a pseudo-terminal.
    const int n = demo.portNumber();
    ASSERT_GE(n, 1);
    const QFileInfo link(demo.linkPath());
    EXPECT_EQ(link.absoluteFilePath(), QDir(h.folder.path()).absoluteFilePath(QStringLiteral("ports/COM%1").arg(n)));
    EXPECT_TRUE(link.isSymLink());
    EXPECT_TRUE(link.symLinkTarget().startsWith(QStringLiteral("/dev/pts/"))) << link.symLinkTarget().toStdString();
    EXPECT_EQ(tool.frm.cmbComPort->currentText(), QStringLiteral("COM%1:").arg(n));

    // Connected, the way a real module connects.
    EXPECT_EQ(tool.session.portNumber(), n);
    EXPECT_EQ(tool.session.kind(), device::DeviceKind::TikaV2);
    EXPECT_EQ(tool.frm.windowTitle(),
              QStringLiteral("Visualizer V4.4 s/n:22M01234 Listening to COM%1 TIKA V2 FW V25.0.1.2").arg(n));
    const QString demoNote = QStringLiteral("Demo: a simulated TIKA V2 answers on COM%1 (").arg(n);
    EXPECT_TRUE(tool.frm.statusLine->text().startsWith(demoNote))
        << tool.frm.statusLine->text().toStdString();

    // Live readings that move: two polls a moment apart differ in import power.
    view::ReadingsTable& table = tool.frm.grdInterfaces->table();
    tool.poll().imgRefresh_Click();
    QThread::msleep(1500);
    tool.poll().imgRefresh_Click();
    ASSERT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.row(0).completeFields, 13);
    EXPECT_EQ(table.row(1).completeFields, 13);
    EXPECT_NE(table.row(0).fields[0], table.row(1).fields[0]) << "the demo's power should swing";

    demo.stop();
    EXPECT_FALSE(demo.running());
    EXPECT_FALSE(QFileInfo::exists(link.absoluteFilePath()) || QFileInfo(link.absoluteFilePath()).isSymLink());
    EXPECT_TRUE(portLinks(h.folder.path()).isEmpty());
    // The tool notices the device has gone at its next poll, as with an unplugged adapter.
    tool.poll().imgRefresh_Click();
    EXPECT_TRUE(tool.frm.statusLine->text().contains(QStringLiteral("stopped answering")))
        << tool.frm.statusLine->text().toStdString();
}

TEST(Demo, TakesAPortNumberNoOtherPortHolds)
{
    fakes::RealLineHarness h;
    // Two devices of the user's own already hold COM1 and COM2 (and the machine's ttyS ports may
    // hold more).
    ASSERT_TRUE(h.addDevice(1, sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51)));
    ASSERT_TRUE(h.addDevice(2, sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51)));
    shell::Tool& tool = h.start();
    shell::Demo demo(tool);
    ASSERT_TRUE(demo.start());
    tool.frm.timScan.stop();
    EXPECT_GT(demo.portNumber(), 2);
    for (int n = 1; n < demo.portNumber(); ++n)
        EXPECT_FALSE(h.ports.devicePath(n).isEmpty()) << "COM" << n << " was free";
    // The user's links are left as they were.
    EXPECT_TRUE(QFileInfo(h.folder.path() + QStringLiteral("/ports/COM1")).isSymLink());
    EXPECT_TRUE(QFileInfo(h.folder.path() + QStringLiteral("/ports/COM2")).isSymLink());
}

} // namespace

namespace {

// The tool as the README starts it, with and without --demo: the demo's port link appears only
// with it (a normal run has no demo).
QString startedLink(const QStringList& extra, int waitMs)
{
    const QString program = QStringLiteral(QMR_BINARY_DIR "/src/qmr51-visualisation");
    if (!QFileInfo(program).isExecutable())
        return QStringLiteral("(not built)");
    QTemporaryDir folder;
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    tool.setProcessEnvironment(env);
    tool.start(program, QStringList{QStringLiteral("--program-folder"), folder.path(), QStringLiteral("--image-url"),
                                    QStringLiteral("http://127.0.0.1:1")} + extra);
    EXPECT_TRUE(tool.waitForStarted(10000));
    QString found;
    QElapsedTimer waited;
    waited.start();
    while (found.isEmpty() && waited.elapsed() < waitMs && tool.state() == QProcess::Running) {
        QThread::msleep(100);
        for (const QString& name : portLinks(folder.path())) {
            const QFileInfo link(folder.path() + QStringLiteral("/ports/") + name);
            if (link.isSymLink() && link.symLinkTarget().startsWith(QStringLiteral("/dev/pts/")))
                found = name;
        }
    }
    EXPECT_EQ(tool.state(), QProcess::Running) << tool.readAllStandardError().toStdString();
    tool.kill();
    tool.waitForFinished(10000);
    return found;
}

TEST(DemoSwitch, TheRunCommandStartsTheDemoOnlyWhenAskedTo)
{
    const QString withDemo = startedLink({QStringLiteral("--demo")}, 60000);
    if (withDemo == QStringLiteral("(not built)"))
        GTEST_SKIP() << "the tool itself is not built in this tree";
    EXPECT_TRUE(withDemo.startsWith(QStringLiteral("COM"))) << withDemo.toStdString();
    EXPECT_EQ(startedLink({}, 3000), QString());
}

} // namespace
