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

// Bounds, not expectations: a program that never ends must fail the test instead of hanging it.
constexpr auto patience = 30s;

bool writeScript(const QString& path, const QByteArray& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
        return false;
    file.close();
    return file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// Polls as the upgrade's wait loop does: finished() and takeOutput() only, no event loop.
QByteArray collectUntilFinished(platform::RunningProgram& program)
{
    QByteArray output;
    const auto giveUp = std::chrono::steady_clock::now() + patience;
    while (!program.finished() && std::chrono::steady_clock::now() < giveUp) {
        output += program.takeOutput();
        std::this_thread::sleep_for(5ms);
    }
    return output + program.takeOutput();
}

template <typename Condition>
bool eventually(Condition condition)
{
    const auto giveUp = std::chrono::steady_clock::now() + patience;
    while (!condition() && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(10ms);
    return condition();
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

const QByteArray esptoolStandIn = "echo 'esptool.py v4.5'\n"
                                  "for p in 12 50 100; do echo \"Writing at 0x00010000... ($p %)\"; done\n"
                                  "echo 'A fatal error occurred: stand-in' >&2\n"
                                  "pwd\n"
                                  "exit \"$1\"\n";

class QtProgramsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(writeScript(folder.filePath(QStringLiteral("esptool.sh")), esptoolStandIn));
    }
    QTemporaryDir folder;
    platform::QtPrograms programs;
};

class ProgramExit : public QtProgramsTest, public ::testing::WithParamInterface<int> {};

TEST_P(ProgramExit, outputOfBothChannelsAndTheExitCodeArriveWithoutAnEventLoop)
{
    const QString exitCode = QString::number(GetParam());
    auto program = programs.start(QStringLiteral("/bin/sh"), {QStringLiteral("esptool.sh"), exitCode}, folder.path());
    const QByteArray output = collectUntilFinished(*program);
    ASSERT_TRUE(program->finished());
    EXPECT_FALSE(program->failedToStart());
    EXPECT_EQ(program->exitCode(), GetParam());
    EXPECT_EQ(output, "esptool.py v4.5\n"
                      "Writing at 0x00010000... (12 %)\n"
                      "Writing at 0x00010000... (50 %)\n"
                      "Writing at 0x00010000... (100 %)\n"
                      "A fatal error occurred: stand-in\n" +
                          QDir(folder.path()).canonicalPath().toLocal8Bit() + "\n");
}

INSTANTIATE_TEST_SUITE_P(Codes, ProgramExit, ::testing::Values(0, 2));

TEST_F(QtProgramsTest, aMissingProgramIsReportedAsNotStarted)
{
    auto program = programs.start(folder.filePath(QStringLiteral("esptool-missing")), {}, folder.path());
    EXPECT_TRUE(program->finished());
    EXPECT_TRUE(program->failedToStart());
    EXPECT_EQ(program->exitCode(), -1);
}

// esptool started from a script must not outlive a kill: it would keep the serial port open.
// Killing by kill() and by dropping the program both end the script and what it started.
class ProgramKill : public QtProgramsTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ProgramKill, endsASleepingProgramAndItsChildren)
{
    const bool byDestruction = GetParam();
    ASSERT_TRUE(writeScript(folder.filePath(QStringLiteral("hang.sh")),
                            "sleep 300 &\necho $! > child.pid\necho $$ > parent.pid\nwait\n"));
    auto program = programs.start(QStringLiteral("/bin/sh"), {QStringLiteral("hang.sh")}, folder.path());
    const QString childFile = folder.filePath(QStringLiteral("child.pid"));
    const QString parentFile = folder.filePath(QStringLiteral("parent.pid"));
    ASSERT_TRUE(eventually([&] { return QFile(parentFile).size() > 0 && QFile(childFile).size() > 0; }));
    QFile child(childFile), parent(parentFile);
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

INSTANTIATE_TEST_SUITE_P(Ways, ProgramKill, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("dropped") : std::string("killed");
                         });

// The desktop's opener is a stand-in on PATH that writes down the argument it got.
class OpenDocument : public QtProgramsTest {
protected:
    void SetUp() override
    {
        QtProgramsTest::SetUp();
        savedPath = qgetenv("PATH");
    }
    void TearDown() override { qputenv("PATH", savedPath); }
    QByteArray savedPath;
};

TEST_F(OpenDocument, handsTheWholePathToTheDesktopOpener)
{
    QTemporaryDir bin;
    ASSERT_TRUE(writeScript(bin.filePath(QStringLiteral("xdg-open")),
                            "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > \"$(dirname \"$0\")/opened.txt\"\n"));
    qputenv("PATH", bin.path().toLocal8Bit() + ":/bin:/usr/bin");
    const QString document = folder.filePath(QStringLiteral("debug log 'COM3' $x.txt"));

    ASSERT_TRUE(programs.openDocument(document));
    QFile opened(bin.filePath(QStringLiteral("opened.txt")));
    ASSERT_TRUE(eventually([&] { return opened.size() > 0; }));
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLocal8Bit(opened.readAll()), QStringLiteral("1|") + document);
}

TEST_F(OpenDocument, withoutAnOpenerOrADesktopItSaysSo)
{
    QTemporaryDir emptyBin;
    qputenv("PATH", emptyBin.path().toLocal8Bit());
    EXPECT_FALSE(programs.openDocument(folder.filePath(QStringLiteral("log.txt"))));
}

} // namespace
