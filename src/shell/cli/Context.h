#pragma once
#include "device/PortSurvey.h"
#include "shell/cli/Environment.h"
#include "shell/cli/Options.h"
#include "shell/cli/PortChoice.h"
#include <QJsonObject>
#include <memory>

namespace shell::cli {

// One run of qmr51ctl: the environment, the options, the program folder and its ports, and the
// way results and messages leave the program. Results go to standard output (text, or one JSON
// document per line with --json); messages to standard error. Making one removes the port links a
// killed demo left in the program folder, before any port is listed.
class Context {
public:
    Context(Environment& environment, const Options& options);

    Environment& env;
    const Options& options;
    QString programFolder;
    PortChoice& ports() { return *choice_; }
    platform::ServerConfig servers() const;

    // A fresh port object for this run's ports.
    std::unique_ptr<platform::SerialPort> makePort() { return env.makePort(*choice_); }
    // Every port asked at once who is there.
    QList<device::SurveyedPort> survey();

    void print(const QString& text);
    void printJson(const QJsonObject& object);
    void message(const QString& text);
    // Tells the failure on standard error (and, with --json, as {"error", "exitCode"} on standard
    // output) and returns its exit code.
    int fail(int exitCode, const QString& text);
    // Asks a question on the terminal: yes with --yes, else the user's answer; without a terminal
    // to ask on (and without --yes) the answer is CannotAsk, and the caller sends nothing.
    enum class Answer { Yes, No, CannotAsk };
    Answer confirm(const QString& question);
    // The sentence for an answer other than Yes: nothing was sent, and why.
    static QString notConfirmed(Answer answer, const QString& question);

    // The user asked to stop since `since` (a count of interruptions, see Environment).
    bool interruptedSince(int since) const { return env.interruptions() > since; }

private:
    std::unique_ptr<platform::PortListing> machine_;
    std::unique_ptr<PortChoice> choice_;
};

} // namespace shell::cli
