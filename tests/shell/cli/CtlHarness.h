#pragma once
// qmr51ctl in-process against simulated devices on pseudo-terminals, reached as ports/COM<n> links of
// a temporary program folder. The steady clock is paced by the devices (PacedLine.h) and skips every
// pause the program makes (the 20 s after a flash, the 7 s restart, the drain), so nothing depends
// on the test machine's speed and no test sleeps through a fixed wait.
#include "FakePlatform.h"
#include "PacedLine.h"
#include "platform/QtSerialPort.h"
#include "platform/SystemPortListing.h"
#include "shell/cli/Environment.h"
#include "sim/Simulator.h"
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <map>

namespace ctl {

struct SkippingClock : platform::Clock {
    fakes::PacedClock paced;
    double skipped = 0;
    double elapsedSeconds() override { return paced.elapsedSeconds() + skipped; }
    QDateTime now() override { return QDateTime::currentDateTime(); }
};

struct SkippingPump : platform::EventPump {
    explicit SkippingPump(SkippingClock& c) : clock(c) {}
    void processEvents() override { QCoreApplication::processEvents(); }
    void sleep100ms() override { clock.skipped += 0.1; }
    void pause(std::chrono::milliseconds d) override { clock.skipped += d.count() / 1000.0; processEvents(); }
    SkippingClock& clock;
};

// The machine's own serial ports (a VM's ttyS0...) would make results depend on the machine.
struct SimulatedPortsOnly : platform::PortListing {
    explicit SimulatedPortsOnly(const QString& folder) : system(folder) {}
    QList<platform::NumberedPort> ports() override
    {
        QList<platform::NumberedPort> found = system.ports();
        found.removeIf([](const auto& p) { return !p.devicePath.startsWith(QLatin1String("/dev/pts/")); });
        return found;
    }
    QString devicePath(int n) override { return system.devicePath(n); }
    platform::SystemPortListing system;
};

struct RealPort {
    explicit RealPort(platform::PortListing& l) : real(l) {}
    platform::QtSerialPort real;
};
struct PacedQtPort : RealPort, fakes::PacedPort {
    PacedQtPort(platform::PortListing& l, fakes::PacedClock& c, std::function<sim::Simulator*(int)> on)
        : RealPort(l), PacedPort(real, c, std::move(on)) {}
};

struct CapturedConsole : shell::cli::Console {
    void out(const QByteArray& b) override { stdOut += b; }
    void err(const QString& line) override { stdErr += line + QLatin1Char('\n'); }
    void progress(const QString&) override {}
    bool errIsTerminal() const override { return false; }
    bool inIsTerminal() const override { return false; }
    std::optional<QString> readLine() override { return std::nullopt; }
    QByteArray stdOut;
    QString stdErr;
};

struct Ctl {
    QTemporaryDir folder;
    std::vector<std::unique_ptr<sim::Simulator>> devices;
    std::map<int, sim::Simulator*> byPort;
    SkippingClock clock;
    SkippingPump pump{clock};
    fakes::FakeFileTransfer transfer;
    fakes::FakePrograms programs;
    CapturedConsole console;
    // Called at every look for Ctrl+C; returns how often it was pressed.
    std::function<int()> interruptions = [] { return 0; };
    std::function<shell::cli::SystemFacts(const QString&, const QList<platform::NumberedPort>&)> facts =
        shell::cli::readSystemFacts;

    Ctl() { QDir(folder.path()).mkpath(QStringLiteral("ports")); }

    // A simulated device as COM<com>, silent when asked; nullptr when no pseudo-terminal could be had.
    sim::Simulator* add(int com, sim::DeviceKind kind, bool silent = false)
    {
        auto device = std::make_unique<sim::Simulator>(sim::DeviceProfile::defaults(kind));
        if (!device->start() || !device->linkAs(folder.filePath(QStringLiteral("ports/COM%1").arg(com))))
            return nullptr;
        sim::Misbehaviour how;
        how.silent = silent;
        device->setMisbehaviour(how);
        devices.push_back(std::move(device));
        return byPort[com] = devices.back().get();
    }

    int run(QStringList arguments)
    {
        console = {};
        arguments << QStringLiteral("--program-folder") << folder.path();
        shell::cli::Environment env{
            folder.path(),
            [](const QString& f) { return std::make_unique<SimulatedPortsOnly>(f); },
            [this](platform::PortListing& l) {
                return std::make_unique<PacedQtPort>(l, clock.paced, [this](int n) { return byPort.count(n) ? byPort[n] : nullptr; });
            },
            clock, pump, transfer, programs,
            {{QStringLiteral("127.0.0.1"), QStringLiteral("tester"), QStringLiteral("pw")}, QStringLiteral("http://127.0.0.1:1")},
            console, [this] { return interruptions(); }, facts};
        return shell::cli::runQmr51ctl(arguments, env);
    }
    QString out() const { return QString::fromUtf8(console.stdOut); }
    QString err() const { return console.stdErr; }
};

// The commands a device received, in order.
inline QList<int> commandsTo(const sim::Simulator& device)
{
    QList<int> commands;
    for (const sim::RequestFrame& f : device.receivedFrames())
        commands.append(f.command);
    return commands;
}

} // namespace ctl
