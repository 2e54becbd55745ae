#pragma once
// qmr51ctl in-process against simulated devices on pseudo-terminals, reached as ports/COM<n> links of
// a temporary program folder. The steady clock is paced by the devices (PacedLine.h) and skips every
// pause the program makes (the 20 s after a flash, the 7 s restart, the drain), so nothing depends
// on the test machine's speed and no test sleeps through a fixed wait.
#include "FakePlatform.h"
#include "LinkedPortsOnly.h"
#include "PacedQtPort.h"
#include "platform/QtSerialPort.h"
#include "platform/SystemPortListing.h"
#include "platform/UnitPlatform.h"
#include "shell/cli/Environment.h"
#include <QCoreApplication>
#include <gtest/gtest.h>

namespace ctl {

// The steady clock and the pauses: a pause costs no real time, it only moves the clock on.
struct SkippingTime : platform::Clock, platform::EventPump {
    fakes::PacedClock paced;
    double skipped = 0;
    double elapsedSeconds() override { return paced.elapsedSeconds() + skipped; }
    QDateTime now() override { return QDateTime::currentDateTime(); }
    void processEvents() override { QCoreApplication::processEvents(); }
    void sleep100ms() override { skipped += 0.1; }
    void pause(std::chrono::milliseconds d) override { skipped += d.count() / 1000.0; processEvents(); }
};

struct CapturedConsole : shell::cli::Console {
    void out(const QByteArray& b) override { stdOut += b; }
    void err(const QString& line) override { stdErr += line + QLatin1Char('\n'); }
    void progress(const QString&) override {}
    bool outIsTerminal() const override { return outTerminal; }
    bool errIsTerminal() const override { return false; }
    bool inIsTerminal() const override { return false; }
    std::optional<QString> readLine() override { return std::nullopt; }
    QByteArray stdOut;
    QString stdErr;
    bool outTerminal = false;
};

struct Ctl {
    QTemporaryDir folder;
    std::map<int, std::unique_ptr<sim::Simulator>> byPort;
    SkippingTime time;
    fakes::FakeFileTransfer transfer;
    fakes::FakePrograms programs;
    CapturedConsole console;
    // Called at every look for Ctrl+C; returns how often it was pressed.
    std::function<int()> interruptions = [] { return 0; };
    std::function<shell::cli::SystemFacts(const QString&, const QList<platform::NumberedPort>&)> facts = shell::cli::readSystemFacts;
    // Every port the listing finds, not only the simulated devices (for a made-up sysfs tree).
    bool everyPort = false;
    // The platform of each unit of a line (LineHarness.h); none for a single port.
    std::function<std::unique_ptr<platform::UnitPlatform>(platform::PortListing&)> makeUnit;

    Ctl() { QDir(folder.path()).mkpath(QStringLiteral("ports")); }

    // A simulated device as COM<com>; nullptr when no pseudo-terminal could be had.
    sim::Simulator* add(int com, sim::DeviceKind kind)
    {
        auto device = std::make_unique<sim::Simulator>(sim::DeviceProfile::defaults(kind));
        if (!device->start() || !device->linkAs(folder.filePath(QStringLiteral("ports/COM%1").arg(com))))
            return nullptr;
        return (byPort[com] = std::move(device)).get();
    }

    int run(QStringList arguments)
    {
        console.stdOut.clear();
        console.stdErr.clear();
        arguments << QStringLiteral("--program-folder") << folder.path();
        shell::cli::Environment env{
            folder.path(), [this](const QString& f) -> std::unique_ptr<platform::PortListing> {
                return everyPort ? std::unique_ptr<platform::PortListing>(std::make_unique<platform::SystemPortListing>(f))
                             : std::make_unique<fakes::LinkedPortsOnly>(f);
            },
            [this](platform::PortListing& l) {
                return std::make_unique<fakes::PacedQtPort>(l, time.paced, [this](int n) { return byPort.count(n) ? byPort[n].get() : nullptr; });
            },
            time, time, transfer, programs, {{"127.0.0.1", "tester", "pw"}, "http://127.0.0.1:1"}, console, [this] { return interruptions(); }, facts,
            makeUnit};
        return shell::cli::runQmr51ctl(arguments, env);
    }
    QString out() const { return QString::fromUtf8(console.stdOut); }
    QString err() const { return console.stdErr; }
};

// The commands a device received, in order, and the payload of the last `command` it received.
inline QList<int> commandsTo(const sim::Simulator& device)
{
    QList<int> commands;
    for (const sim::RequestFrame& f : device.receivedFrames())
        commands.append(f.command);
    return commands;
}
inline QByteArray lastPayload(const sim::Simulator& device, int command)
{
    QByteArray payload;
    for (const sim::RequestFrame& f : device.receivedFrames())
        payload = f.command == command ? f.payload : payload;
    return payload;
}

// The device keeps one misbehaviour at a time (or none: nullptr).
inline void misbehave(sim::Simulator& device, bool sim::Misbehaviour::*how)
{
    sim::Misbehaviour m;
    if (how)
        m.*how = true;
    device.setMisbehaviour(m);
}

// One command line, the exit status it must end with and a text it must print (out or err).
// `before` changes the devices or the program folder first.
struct Step {
    QStringList args;
    int exit;
    QString says;
    std::function<void()> before = {};
};

inline void play(Ctl& h, std::initializer_list<Step> steps)
{
    for (const Step& s : steps) {
        if (s.before)
            s.before();
        const std::string line = s.args.join(' ').toStdString();
        EXPECT_EQ(h.run(s.args), s.exit) << line << '\n' << h.err().toStdString();
        EXPECT_FALSE(s.says.isEmpty()) << line;
        EXPECT_TRUE((h.out() + h.err()).contains(s.says)) << line << " does not say " << s.says.toStdString() << ":\n"
                                                          << (h.out() + h.err()).toStdString();
    }
}

} // namespace ctl
