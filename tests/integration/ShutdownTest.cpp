// The tool as a process: kill, Ctrl+C and a logout close it the way its window's close button
// does, so a demo's simulated module and its ports/COM<n> link go with it; a link left behind by a
// demo that was killed outright goes at the next start, and a user's own links stay.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

namespace {

QString toolPath() { return QStringLiteral(QMR_BINARY_DIR "/src/qmr51-visualisation"); }

QStringList portsIn(const QString& folder)
{
    return QDir(folder + QStringLiteral("/ports")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
}

struct ToolRun {
    QTemporaryDir folder;
    QProcess tool;
    ToolRun() { QDir(folder.path()).mkpath(QStringLiteral("ports")); }
    bool start(bool demo)
    {
        QStringList arguments{QStringLiteral("--program-folder"), folder.path()};
        if (demo)
            arguments << QStringLiteral("--demo");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        tool.setProcessEnvironment(env);
        tool.start(toolPath(), arguments);
        return tool.waitForStarted(10000);
    }
    // Until the demo's link is there (the window is up and connected).
    bool demoLinked()
    {
        for (int i = 0; i < 300 && !portsIn(folder.path()).join(' ').contains(QLatin1String(".demo")); ++i)
            QThread::msleep(100);
        return portsIn(folder.path()).join(' ').contains(QLatin1String(".demo"));
    }
};

TEST(Shutdown, ASignalClosesTheToolAndTheDemoLeavesNoLink)
{
    ASSERT_TRUE(QFileInfo(toolPath()).isExecutable()) << "build the qmr51-visualisation target first";
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        ToolRun run;
        ASSERT_TRUE(run.start(true));
        ASSERT_TRUE(run.demoLinked()) << run.tool.readAllStandardError().toStdString();
        ::kill(static_cast<pid_t>(run.tool.processId()), signalNumber);
        ASSERT_TRUE(run.tool.waitForFinished(30000)) << "signal " << signalNumber;
        EXPECT_EQ(run.tool.exitStatus(), QProcess::NormalExit) << "signal " << signalNumber;
        EXPECT_EQ(run.tool.exitCode(), 0) << "signal " << signalNumber;
        EXPECT_TRUE(portsIn(run.folder.path()).isEmpty()) << portsIn(run.folder.path()).join(' ').toStdString();
    }
}

TEST(Shutdown, ALinkLeftByAKilledDemoGoesAtTheNextStartAndAUsersLinkStays)
{
    ToolRun run;
    ASSERT_TRUE(run.start(true));
    ASSERT_TRUE(run.demoLinked());
    run.tool.kill(); // SIGKILL: nothing of the tool runs any more
    ASSERT_TRUE(run.tool.waitForFinished(10000));
    const QStringList left = portsIn(run.folder.path());
    ASSERT_EQ(left.size(), 2) << left.join(' ').toStdString(); // the link and its note
    const QString users = run.folder.path() + QStringLiteral("/ports/COM200");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), users));

    ASSERT_TRUE(run.start(false));
    // The leftovers go before the window is built.
    for (int i = 0; i < 300 && portsIn(run.folder.path()).size() > 1; ++i)
        QThread::msleep(100);
    ::kill(static_cast<pid_t>(run.tool.processId()), SIGTERM);
    ASSERT_TRUE(run.tool.waitForFinished(30000));
    EXPECT_EQ(portsIn(run.folder.path()), QStringList({"COM200"}));
}

} // namespace
