#include "RealLineHarness.h"
#include "ToolHarness.h"
#include "shell/ui/PortErrorReport.h"
#include "view/ui/ReadingsGrid.h"
#include "view/ui/ReadingsPoll.h"
#include <QLabel>
#include <gtest/gtest.h>
#include <cstring>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

const QString kClosedCaption = QStringLiteral("QMR51-TIKA V4.4 ----");
const QString kDialoutAdvice = QStringLiteral(
    "cannot be opened: permission denied. Your user must be in the dialout group: run  sudo usermod -aG dialout $USER  "
    "then log out and in again.");

// A port whose open fails the way the system said, e.g. "/dev/ttyUSB0: Permission denied".
class RefusingPort : public fakes::FakeSerialPort {
public:
    using FakeSerialPort::FakeSerialPort;
    bool open(int portNumber) override { return refusal.isEmpty() && FakeSerialPort::open(portNumber); }
    QString lastError() const override { return refusal.isEmpty() ? FakeSerialPort::lastError() : refusal; }
    QString refusal;
};

struct RefusalRig {
    fakes::FakePlatform p;
    RefusingPort port{p.clock};
    platform::Services services{port,        p.ports,    p.clock,         p.pump, p.dialogs, p.transfer,
                                p.programs,  p.folder.path(), p.services.servers};
    shell::Tool tool{services};
    RefusalRig()
    {
        tool.Form_Load();
        p.ports.paths[3] = QStringLiteral("/dev/ttyUSB0");
        tool.frm.cmbComPort->addItem(QStringLiteral("COM3:"));
        tool.frm.cmbComPort->setCurrentIndex(0);
    }
    QString status() const { return tool.frm.statusLine->text(); }
};

// Which words make which advice is pinned in PortErrorTextTest; here that a refused open reaches the
// status line and leaves the tool unconnected. A device lost between polls: on a real line below.
TEST(PortErrorReport, APortThatCannotBeOpenedKeepsTheCaptionAndSaysWhyOnTheStatusLine)
{
    RefusalRig rig;
    rig.port.refusal = QStringLiteral("/dev/ttyUSB0: Permission denied");
    rig.tool.connection().cmdOpenCom_Click();
    EXPECT_EQ(rig.tool.frm.windowTitle(), kClosedCaption);
    EXPECT_TRUE(rig.tool.state.ConnectFailed);
    EXPECT_EQ(rig.tool.state.ComPort, std::nullopt);
    EXPECT_EQ(rig.tool.state.DeviceType, std::nullopt);
    EXPECT_TRUE(rig.port.writes.isEmpty());
    EXPECT_TRUE(rig.p.dialogs.messages.isEmpty()) << "the connect itself shows no message box";
    EXPECT_EQ(rig.status(), QStringLiteral("COM3 (/dev/ttyUSB0) ") + kDialoutAdvice);
    EXPECT_EQ(rig.tool.portErrors().note(), rig.status());
}

TEST(PortErrorReport, APortLeftOpenByAFailedIdentificationIsNamedAsSuch)
{
    RefusalRig rig;
    rig.port.FakeSerialPort::open(3); // the silent device of the first try left it open
    rig.tool.connection().cmdOpenCom_Click();
    EXPECT_EQ(rig.tool.frm.windowTitle(), kClosedCaption);
    EXPECT_EQ(rig.status(), QStringLiteral("COM3 (/dev/ttyUSB0) is still open from the last attempt. Pick it in the "
                                           "port list again (that closes it), then press Open."));
}

TEST(PortErrorReport, AnOpenThatWorksReplacesTheNoteWithThePortsName)
{
    RefusalRig rig;
    rig.port.refusal = QStringLiteral("/dev/ttyUSB0: Permission denied");
    rig.tool.connection().cmdOpenCom_Click();
    ASSERT_TRUE(rig.status().contains(kDialoutAdvice));
    rig.port.refusal.clear(); // the user joined the group and logged in again
    rig.tool.connection().cmdOpenCom_Click();
    EXPECT_EQ(rig.status(), QStringLiteral("COM3: /dev/ttyUSB0"));
    EXPECT_TRUE(rig.tool.portErrors().note().isEmpty());
}

// ----- on real lines -----------------------------------------------------------------------------

// Takes the power to open any file whatever its mode away from this thread, for its lifetime: as
// root (as the tests run in CI) a device node of mode 000 is otherwise still opened.
class WithoutFileOverride {
public:
    WithoutFileOverride()
    {
        if (::syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct reduced[2];
        std::memcpy(reduced, saved_, sizeof reduced);
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        ok_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~WithoutFileOverride()
    {
        if (ok_)
            ::syscall(SYS_capset, &header_, saved_);
    }
    bool ok() const { return ok_; }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool ok_ = false;
};

TEST(PortErrorReportOnARealLine, ADeviceNodeTheUserMayNotOpenGetsTheDialoutAdvice)
{
    fakes::RealLineHarness h;
    sim::Simulator* device = h.addDevice(5, sim::DeviceProfile::defaults(sim::DeviceKind::TikaV2));
    if (!device)
        GTEST_SKIP() << "no pseudo-terminal to be had";
    shell::Tool& tool = h.start();
    tool.frm.cmbComPort->addItem(QStringLiteral("COM5:"));
    tool.frm.cmbComPort->setCurrentIndex(0);
    const QByteArray node = device->devicePath().toLocal8Bit();
    struct stat before {};
    ASSERT_EQ(::stat(node.constData(), &before), 0);
    ASSERT_EQ(::chmod(node.constData(), 0), 0);
    {
        WithoutFileOverride asAUser;
        if (!asAUser.ok() && ::geteuid() == 0) {
            ::chmod(node.constData(), before.st_mode & 07777);
            GTEST_SKIP() << "cannot give up the root's file override in this thread";
        }
        tool.connection().cmdOpenCom_Click();
    }
    ::chmod(node.constData(), before.st_mode & 07777);

    EXPECT_EQ(tool.frm.windowTitle(), kClosedCaption);
    EXPECT_EQ(tool.frm.statusLine->text(),
              QStringLiteral("COM5 (") + device->devicePath() + QStringLiteral(") ") + kDialoutAdvice);
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}

TEST(PortErrorReportOnARealLine, ALineClosedMidExchangeIsReportedWithoutHangingOrCrashing)
{
    fakes::RealLineHarness h;
    sim::Simulator* device = h.addDevice(5, sim::DeviceProfile::defaults(sim::DeviceKind::TikaV2));
    if (!device)
        GTEST_SKIP() << "no pseudo-terminal to be had";
    shell::Tool& tool = h.start();
    tool.frm.cmbComPort->addItem(QStringLiteral("COM5:"));
    tool.frm.cmbComPort->setCurrentIndex(0);
    tool.connection().cmdOpenCom_Click();
    ASSERT_EQ(tool.state.ComPort, 5);
    tool.frm.timScan.stop();
    const QString caption = tool.frm.windowTitle();
    const QString node = device->devicePath();

    sim::Misbehaviour cut;
    cut.closeMidAnswer = true;
    device->setMisbehaviour(cut);
    tool.poll().imgRefresh_Click();

    const QString status = tool.frm.statusLine->text();
    EXPECT_TRUE(status.startsWith(QStringLiteral("COM5 (") + node +
                                  QStringLiteral(") stopped answering: the device was unplugged or switched off (")))
        << status.toStdString();
    EXPECT_TRUE(status.endsWith(QStringLiteral("). Plug it in again, then press Scan."))) << status.toStdString();
    EXPECT_EQ(tool.frm.windowTitle(), caption);
    // The next poll finds the dead line, returns, and says the same.
    tool.poll().imgRefresh_Click();
    EXPECT_EQ(tool.frm.statusLine->text(), status);
    EXPECT_EQ(tool.frm.grdInterfaces->table().rowCount(), 2);
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}

} // namespace
