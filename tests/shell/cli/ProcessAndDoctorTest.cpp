#include "CtlHarness.h"
#include "shell/cli/Doctor.h"
#include <QProcess>
#include <QJsonDocument>
#include <QJsonObject>
#include <csignal>
#include <gtest/gtest.h>

using ctl::Ctl;

namespace {

TEST(Qmr51ctl, ReadEndsCleanlyOnCtrlCAsAProgramOfItsOwn)
{
    Ctl h;
    ASSERT_TRUE(h.add(1, sim::DeviceKind::Qmr51));
    QProcess ctl;
    ctl.start(QStringLiteral(QMR_CTL), {"read", "--port", "COM1", "--interval", "0.2", "--program-folder", h.folder.path()});
    ASSERT_TRUE(ctl.waitForStarted(30000));
    QByteArray out;
    // Generous: ends as soon as the header and two readings are there.
    for (int i = 0; i < 300 && out.count('\n') < 3 && ctl.state() == QProcess::Running; ++i) {
        ctl.waitForReadyRead(100);
        out += ctl.readAllStandardOutput();
    }
    ASSERT_GE(out.count('\n'), 3) << ctl.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(ctl.processId()), SIGINT);
    ASSERT_TRUE(ctl.waitForFinished(30000));
    EXPECT_EQ(ctl.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(ctl.exitCode(), 0) << ctl.readAllStandardError().toStdString();
    out += ctl.readAllStandardOutput();
    EXPECT_TRUE(out.startsWith("Date\tTime\tImport power (W)")) << out.toStdString();
}

TEST(Doctor, EachProblemOfTheMachineComesWithItsFix)
{
    using shell::cli::SystemFacts;
    const SystemFacts fine{false, true, true, {"/dev/ttyUSB0"}, {}, false, false, {}, "/opt/qmr", true};
    struct Case {
        std::function<void(SystemFacts&)> change;
        const char* fix; // nullptr: nothing to fix
    };
    const Case cases[] = {
        {[](SystemFacts&) {}, nullptr},
        {[](SystemFacts& f) { f.inDialout = false; f.unusableDevices = f.serialDevices; }, "sudo usermod -aG dialout $USER"},
        {[](SystemFacts& f) { f.isRoot = true; f.inDialout = false; }, nullptr},
        {[](SystemFacts& f) { f.unusableDevices = f.serialDevices; }, "Give your user access to the device"},
        {[](SystemFacts& f) { f.modemManagerRunning = true; }, "sudo systemctl disable --now ModemManager"},
        {[](SystemFacts& f) { f.brlttyPresent = true; }, "sudo apt remove brltty"},
        {[](SystemFacts& f) { f.holders = {{"/dev/ttyUSB0", 4711, "minicom"}}; }, "Close minicom (or `kill 4711`)"},
        {[](SystemFacts& f) { f.serialDevices.clear(); }, "Plug in the USB serial adapter"},
        {[](SystemFacts& f) { f.programFolderWritable = false; }, "--program-folder DIR"},
    };
    for (const Case& c : cases) {
        SystemFacts facts = fine;
        c.change(facts);
        const QList<shell::cli::Finding> found = shell::cli::diagnose(facts);
        ASSERT_EQ(found.size(), c.fix ? 1 : 0) << (c.fix ? c.fix : "nothing");
        if (c.fix) {
            EXPECT_TRUE(found[0].fix.contains(QString::fromUtf8(c.fix))) << found[0].fix.toStdString();
        }
    }

    Ctl h;
    h.facts = [fine](const QString&, const QList<platform::NumberedPort>&) {
        SystemFacts f = fine;
        f.modemManagerRunning = true;
        return f;
    };
    EXPECT_EQ(h.run({"doctor", "--json"}), 5);
    EXPECT_TRUE(QJsonDocument::fromJson(h.console.stdOut).object()["problems"][0]["problem"].toString().startsWith("ModemManager"));
}

} // namespace
