// Real programs through QProcess: /bin/sh stand-ins for esptool and for the desktop's opener.
// The test program has no running event loop, as a handler that waits in its own pause loop.
#include "TestFiles.h"
#include "platform/QtPrograms.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

using fakes::eventually;
using fakes::readFile;
using fakes::writeFile;

namespace {

// Gone, or a zombie waiting for whoever adopted it: either way no longer running.
bool processIsGone(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    return !stat.open(QIODevice::ReadOnly) || stat.readAll().contains(") Z ");
}

// Each argument arrives whole (a port path with a blank is no two arguments), in the folder given.
TEST(QtPrograms, OutputOfBothChannelsAndTheExitCodeArriveWithoutAnEventLoop)
{
    QTemporaryDir folder;
    ASSERT_TRUE(writeFile(folder.filePath("esptool.sh"), "echo \"$#|$2\"\necho 'A fatal error occurred' >&2\npwd\nexit \"$1\"\n"));
    platform::QtPrograms programs;
    auto program = programs.start("/bin/sh", {"esptool.sh", "2", "--port '/dev/my port' $x"}, folder.path());
    // Polled as the upgrade's wait loop does: finished() and takeOutput() only.
    QByteArray output;
    EXPECT_TRUE(eventually([&] {
        output += program->takeOutput();
        return program->finished();
    }));
    output += program->takeOutput();
    EXPECT_EQ(program->exitCode(), 2);
    EXPECT_EQ(output, "2|--port '/dev/my port' $x\nA fatal error occurred\n" + QDir(folder.path()).canonicalPath().toLocal8Bit() + "\n");

    auto missing = programs.start(folder.filePath("esptool-missing"), {}, folder.path());
    EXPECT_TRUE(missing->finished() && missing->failedToStart());
}

// esptool started from a script must not outlive a kill: it would keep the serial port open.
// Dropping a running program kills it the same way.
TEST(QtPrograms, KillingEndsASleepingProgramAndItsChildren)
{
    QTemporaryDir folder;
    ASSERT_TRUE(writeFile(folder.filePath("hang.sh"), "sleep 300 &\necho $! > child.pid\nwait\n"));
    platform::QtPrograms programs;
    auto program = programs.start("/bin/sh", {"hang.sh"}, folder.path());
    ASSERT_TRUE(eventually([&] { return !readFile(folder.filePath("child.pid")).isEmpty(); }));
    const pid_t childPid = pid_t(readFile(folder.filePath("child.pid")).trimmed().toInt());
    ASSERT_GT(childPid, 0);

    program->kill();
    EXPECT_TRUE(program->finished());
    EXPECT_TRUE(eventually([&] { return processIsGone(childPid); }));
    if (!processIsGone(childPid))
        ::kill(childPid, SIGKILL); // leave no sleeper behind when the test fails
}

// The desktop's opener is a stand-in on PATH that writes down the arguments it got.
TEST(QtPrograms, OpenDocumentHandsTheWholePathToTheDesktopOpenerOrSaysThereIsNone)
{
    const QByteArray savedPath = qgetenv("PATH");
    QTemporaryDir bin;
    ASSERT_TRUE(writeFile(bin.filePath("xdg-open"), "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > \"$(dirname \"$0\")/opened.txt\"\n", true));
    const QString document = bin.filePath("debug log 'COM3' $x.txt");
    platform::QtPrograms programs;

    qputenv("PATH", bin.path().toLocal8Bit() + ":/bin:/usr/bin");
    EXPECT_TRUE(programs.openDocument(document));
    EXPECT_TRUE(eventually([&] { return !readFile(bin.filePath("opened.txt")).isEmpty(); }));
    EXPECT_EQ(QString::fromLocal8Bit(readFile(bin.filePath("opened.txt"))), "1|" + document);

    qputenv("PATH", bin.filePath("empty").toLocal8Bit());
    EXPECT_FALSE(programs.openDocument(document));
    qputenv("PATH", savedPath);
}

} // namespace
