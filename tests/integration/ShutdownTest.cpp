// The tool as a process: kill, Ctrl+C and a logout close it the way its window's close button
// does, so a demo's simulated module and its ports/COM<n> link go with it; a link left behind by a
// demo that was killed outright goes at the next start, and a user's own links stay as they were,
// a dangling one included, on the number a demo would have taken.
#include "QtPrinters.h"
#include "platform/SystemPortListing.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QString kTool = QStringLiteral(QMR_BINARY_DIR "/src/qmr51-visualisation");
const QString kUnplugged = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");

struct ToolRun {
    QTemporaryDir folder;
    QProcess tool;
    ToolRun() { QDir(folder.path()).mkpath(QStringLiteral("ports")); }
    QStringList ports() const
    {
        return QDir(folder.path() + QStringLiteral("/ports")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    }
    // Until what is in ports/ satisfies `done`; the limit only ends a test that went wrong.
    bool until(const std::function<bool(const QStringList&)>& done) const
    {
        for (int i = 0; i < 300 && !done(ports()); ++i)
            QThread::msleep(100);
        return done(ports());
    }
    // A user's link to an unplugged adapter at the lowest number no port of the machine holds,
    // where a demo would go: a number in use all the same. Returns its name.
    QString userLinkWhereADemoWouldGo()
    {
        platform::SystemPortListing machine(folder.path());
        int n = 1;
        while (!machine.devicePath(n).isEmpty())
            ++n;
        const QString name = QStringLiteral("COM%1").arg(n);
        return QFile::link(kUnplugged, folder.filePath("ports/" + name)) ? name : QString();
    }
    // Starts the tool; a demo until its link is there (the window is up and connected).
    bool start(bool demo)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        tool.setProcessEnvironment(env);
        tool.start(kTool, QStringList{"--program-folder", folder.path()} + (demo ? QStringList{"--demo"} : QStringList{}));
        return tool.waitForStarted(10000) && (!demo || until([](const QStringList& p) {
                   const QStringList notes = p.filter(".demo");
                   return notes.size() == 1 && p.contains(notes.first().chopped(5));
               }));
    }
};

TEST(Shutdown, ASignalClosesTheToolAndTheDemoLeavesNoLink)
{
    ASSERT_TRUE(QFileInfo(kTool).isExecutable()) << "build the qmr51-visualisation target first";
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        ToolRun run;
        const QString users = run.userLinkWhereADemoWouldGo();
        ASSERT_FALSE(users.isEmpty());
        ASSERT_TRUE(run.start(true)) << run.tool.readAllStandardError().toStdString();
        ::kill(static_cast<pid_t>(run.tool.processId()), signalNumber);
        ASSERT_TRUE(run.tool.waitForFinished(30000)) << "signal " << signalNumber;
        EXPECT_EQ(run.tool.exitStatus(), QProcess::NormalExit) << "signal " << signalNumber;
        EXPECT_EQ(run.tool.exitCode(), 0) << "signal " << signalNumber;
        EXPECT_EQ(run.ports(), QStringList{users}) << run.ports().join(' ').toStdString();
        EXPECT_EQ(QFileInfo(run.folder.filePath("ports/" + users)).symLinkTarget(), kUnplugged);
    }
}

TEST(Shutdown, ALinkLeftByAKilledDemoGoesAtTheNextStartAndAUsersLinkStays)
{
    ToolRun run;
    ASSERT_TRUE(run.start(true));
    run.tool.kill(); // SIGKILL: nothing of the tool runs any more
    ASSERT_TRUE(run.tool.waitForFinished(10000));
    ASSERT_EQ(run.ports().size(), 2) << run.ports().join(' ').toStdString(); // the link and its note
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), run.folder.path() + QStringLiteral("/ports/COM200")));

    ASSERT_TRUE(run.start(false));
    run.until([](const QStringList& p) { return p.size() <= 1; }); // the leftovers go before the window is built
    ::kill(static_cast<pid_t>(run.tool.processId()), SIGTERM);
    ASSERT_TRUE(run.tool.waitForFinished(30000));
    EXPECT_EQ(run.ports(), QStringList({"COM200"}));
}

} // namespace
