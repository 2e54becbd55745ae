// The tool as a process: kill, Ctrl+C and a logout close it the way its window's close button
// does (a normal exit with status 0), with the demo running.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

namespace {

const QString kTool = QStringLiteral(QMR_BINARY_DIR "/src/qmr51-visualisation");

// True once the process catches `signalNumber` (its handler is in place), as /proc tells.
bool catches(qint64 pid, int signalNumber)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    for (const QByteArray& line : status.open(QIODevice::ReadOnly) ? status.readAll().split('\n') : QByteArrayList())
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signalNumber - 1)) & 1;
    return false;
}

TEST(Shutdown, ASignalClosesTheToolWithItsDemo)
{
    ASSERT_TRUE(QFile::exists(kTool)) << "build the qmr51-visualisation target first";
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        QTemporaryDir folder;
        QProcess tool; // offscreen, as the test program
        tool.start(kTool, {"--program-folder", folder.path(), "--demo"});
        ASSERT_TRUE(tool.waitForStarted(10000));
        // The limit only ends a test that went wrong.
        for (int i = 0; i < 300 && !catches(tool.processId(), signalNumber); ++i)
            QThread::msleep(100);
        ::kill(static_cast<pid_t>(tool.processId()), signalNumber);
        ASSERT_TRUE(tool.waitForFinished(30000)) << "signal " << signalNumber;
        EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit) << "signal " << signalNumber;
        EXPECT_EQ(tool.exitCode(), 0) << "signal " << signalNumber << tool.readAllStandardError().toStdString();
    }
}

} // namespace
