#include "platform/QtPrograms.h"
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <utility>
#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

namespace platform {
namespace {

// Starting is quick (a fork and an exec); the bound only guards against a stuck system.
constexpr int startWaitMs = 10000;
// After SIGKILL the process ends at once; the bound only guards against a stuck system.
constexpr int killWaitMs = 5000;

class QtRunningProgram final : public RunningProgram {
public:
    QtRunningProgram(const QString& program, const QStringList& arguments, const QString& workingFolder)
    {
        process_.setProcessChannelMode(QProcess::MergedChannels);
        if (!workingFolder.isEmpty())
            process_.setWorkingDirectory(workingFolder);
#ifdef Q_OS_UNIX
        // Its own session and process group: kill() can then reach the program's children too.
        process_.setChildProcessModifier([] { ::setsid(); });
#endif
        QObject::connect(&process_, &QProcess::readyRead, &process_, [this] { output_ += process_.readAll(); });
        QObject::connect(&process_, &QProcess::finished, &process_, [this](int code, QProcess::ExitStatus status) {
            exitCode_ = status == QProcess::NormalExit ? code : -1;
            done_ = true;
        });
        QObject::connect(&process_, &QProcess::errorOccurred, &process_, [this](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart)
                return;
            notStarted_ = true;
            done_ = true;
        });
        process_.start(program, arguments);
        process_.waitForStarted(startWaitMs);
    }

    ~QtRunningProgram() override { kill(); }

    bool finished() const override
    {
        lookAtProcess();
        return done_;
    }
    bool failedToStart() const override { return notStarted_; }
    // -1 when the program could not start, crashed or was killed.
    int exitCode() const override { return exitCode_; }
    QByteArray takeOutput() override
    {
        lookAtProcess();
        return std::exchange(output_, QByteArray());
    }
    void kill() override
    {
        if (done_ || process_.state() == QProcess::NotRunning)
            return;
#ifdef Q_OS_UNIX
        const qint64 pid = process_.processId();
        if (pid > 0)
            ::kill(-pid_t(pid), SIGKILL); // the group that setsid() made, led by the program
#endif
        process_.kill();
        process_.waitForFinished(killWaitMs);
    }

private:
    // Without an event loop the signals above only fire inside QProcess's own waits; a wait of
    // zero reads what is there and notices an end without blocking.
    void lookAtProcess() const
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.waitForReadyRead(0);
        if (process_.state() != QProcess::NotRunning)
            process_.waitForFinished(0);
    }

    mutable QProcess process_;
    mutable QByteArray output_;
    mutable bool done_ = false;
    mutable bool notStarted_ = false;
    mutable int exitCode_ = -1;
};

} // namespace

bool QtPrograms::openDocument(const QString& path)
{
#ifdef Q_OS_WIN
    return QProcess::startDetached(QStringLiteral("notepad.exe"), {QDir::toNativeSeparators(path)});
#else
#ifdef Q_OS_MACOS
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("open"));
#else
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
#endif
    return !opener.isEmpty() && QProcess::startDetached(opener, {path});
#endif
}

std::unique_ptr<RunningProgram> QtPrograms::start(const QString& program, const QStringList& arguments,
                                                  const QString& workingFolder)
{
    return std::make_unique<QtRunningProgram>(program, arguments, workingFolder);
}

} // namespace platform
