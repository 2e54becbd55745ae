// Real programs through QProcess: /bin/sh stand-ins for esptool and for the desktop's opener.
// The test program has no running event loop, as a handler that waits in its own pause loop.
#include "platform/QtPrograms.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;

namespace {

// A bound, not an expectation: a program that never ends must fail the test instead of hanging it.
template <typename Condition>
bool eventually(Condition condition)
{
    const auto giveUp = std::chrono::steady_clock::now() + 30s;
    while (!condition() && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(10ms);
    return condition();
}

bool writeScript(const QString& path, const QByteArray& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
        return false;
    file.close();
    return file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// Gone, or a zombie waiting for whoever adopted it: either way no longer running.
bool processIsGone(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype afterName = line.lastIndexOf(')');
    return afterName < 0 || line.mid(afterName + 2, 1) == "Z";
}

TEST(QtPrograms, OutputOfBothChannelsAndTheExitCodeArriveWithoutAnEventLoop)
{
    QTemporaryDir folder;
    ASSERT_TRUE(writeScript(folder.filePath("esptool.sh"),
                            "echo 'esptool.py v4.5'\n"
                            "for p in 12 100; do echo \"Writing at 0x00010000... ($p %)\"; done\n"
                            "echo 'A fatal error occurred: stand-in' >&2\n"
                            "pwd\n"
                            "exit \"$1\"\n"));
    platform::QtPrograms programs;
    for (int exitCode : {0, 2}) {
        auto program = programs.start("/bin/sh", {"esptool.sh", QString::number(exitCode)}, folder.path());
        // Polled as the upgrade's wait loop does: finished() and takeOutput() only.
        QByteArray output;
        EXPECT_TRUE(eventually([&] {
            output += program->takeOutput();
            return program->finished();
        }));
        output += program->takeOutput();
        EXPECT_FALSE(program->failedToStart());
        EXPECT_EQ(program->exitCode(), exitCode);
        EXPECT_EQ(output, "esptool.py v4.5\n"
                          "Writing at 0x00010000... (12 %)\n"
                          "Writing at 0x00010000... (100 %)\n"
                          "A fatal error occurred: stand-in\n" +
                              QDir(folder.path()).canonicalPath().toLocal8Bit() + "\n");
    }

    auto missing = programs.start(folder.filePath("esptool-missing"), {}, folder.path());
    EXPECT_TRUE(missing->finished());
    EXPECT_TRUE(missing->failedToStart());
    EXPECT_EQ(missing->exitCode(), -1);
}

// esptool started from a script must not outlive a kill: it would keep the serial port open.
// Killing by kill() and by dropping the program both end the script and what it started.
TEST(QtPrograms, KillingOrDroppingEndsASleepingProgramAndItsChildren)
{
    platform::QtPrograms programs;
    for (bool byDestruction : {false, true}) {
        SCOPED_TRACE(byDestruction ? "dropped" : "killed");
        QTemporaryDir folder;
        ASSERT_TRUE(writeScript(folder.filePath("hang.sh"),
                                "sleep 300 &\necho $! > child.pid\necho $$ > parent.pid\nwait\n"));
        auto program = programs.start("/bin/sh", {"hang.sh"}, folder.path());
        QFile child(folder.filePath("child.pid")), parent(folder.filePath("parent.pid"));
        ASSERT_TRUE(eventually([&] { return parent.size() > 0 && child.size() > 0; }));
        ASSERT_TRUE(child.open(QIODevice::ReadOnly) && parent.open(QIODevice::ReadOnly));
        const pid_t childPid = pid_t(child.readAll().trimmed().toInt());
        const pid_t parentPid = pid_t(parent.readAll().trimmed().toInt());
        ASSERT_GT(childPid, 0);
        EXPECT_FALSE(program->finished());

        if (byDestruction) {
            program.reset();
        } else {
            program->kill();
            EXPECT_TRUE(program->finished());
            EXPECT_EQ(program->exitCode(), -1);
        }
        EXPECT_TRUE(eventually([&] { return processIsGone(parentPid); }));
        EXPECT_TRUE(eventually([&] { return processIsGone(childPid); }));
        if (!processIsGone(childPid))
            ::kill(childPid, SIGKILL); // leave no sleeper behind when the test fails
    }
}

// The desktop's opener is a stand-in on PATH that writes down the arguments it got.
TEST(QtPrograms, OpenDocumentHandsTheWholePathToTheDesktopOpenerOrSaysThereIsNone)
{
    const QByteArray savedPath = qgetenv("PATH");
    QTemporaryDir bin;
    ASSERT_TRUE(writeScript(bin.filePath("xdg-open"),
                            "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > \"$(dirname \"$0\")/opened.txt\"\n"));
    const QString document = bin.filePath("debug log 'COM3' $x.txt");
    platform::QtPrograms programs;

    qputenv("PATH", bin.path().toLocal8Bit() + ":/bin:/usr/bin");
    EXPECT_TRUE(programs.openDocument(document));
    QFile opened(bin.filePath("opened.txt"));
    EXPECT_TRUE(eventually([&] { return opened.size() > 0; }));
    EXPECT_TRUE(opened.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLocal8Bit(opened.readAll()), "1|" + document);

    QTemporaryDir emptyBin;
    qputenv("PATH", emptyBin.path().toLocal8Bit());
    EXPECT_FALSE(programs.openDocument(document));
    qputenv("PATH", savedPath);
}

} // namespace
