#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

namespace platform {

// A program started by the tool (esptool through its script). Watched, never waited on blindly.
class RunningProgram {
public:
    virtual ~RunningProgram() = default;
    virtual bool finished() const = 0;
    // True when the program could not be started at all.
    virtual bool failedToStart() const = 0;
    // Exit status once finished; meaningless before.
    virtual int exitCode() const = 0;
    // Output (stdout and stderr merged) that arrived since the last call.
    virtual QByteArray takeOutput() = 0;
    // Ends the program and everything it started.
    virtual void kill() = 0;
};

class Programs {
public:
    virtual ~Programs() = default;
    // Opens a document with the desktop's default application (a text editor for .txt) and
    // returns at once. False when no opener could be started.
    virtual bool openDocument(const QString& path) = 0;
    // Starts a program with an argument list (never a command line pasted into a shell).
    virtual std::unique_ptr<RunningProgram> start(const QString& program, const QStringList& arguments,
                                                  const QString& workingFolder) = 0;
};

} // namespace platform
