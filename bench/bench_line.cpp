// A production line over pseudo-terminals with simulated devices, through qmr51ctl itself (real
// serial ports, steady clock and event pumps, one thread per unit):
//  - flash --port all on 1, 8 and 16 TIKA V2 modules, with a stand-in esptool that takes 3 s and
//    leaves the module booting (silent) for 1 s before it answers with its new firmware;
//    ratio_to_one is the wall time against one module (target: at most 1.3);
//  - upgrade --port all of a 4 KiB image (32 blocks and the closing frame, the device's 0.8 s
//    answer window each) on 1 and 4 QMR51 (target: at most 1.1);
//  - peak_rss_mb: the process's peak resident memory so far (getrusage), simulators included;
//    after 16 units at once (target: under 150 MB).
// With QMR_BENCH_SMOKE the stand-in esptool takes 0.3 s, the boot 0.1 s and the image is 2 blocks.
//   ./bench_line --benchmark_counters_tabular=true
#include "EspImages.h"
#include "FakePlatform.h"
#include "RealLineHarness.h"
#include "platform/QtUnitPlatform.h"
#include "shell/cli/Environment.h"
#include "sim/Simulator.h"
#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <chrono>
#include <thread>
#include "BenchMain.h"

namespace {

using Steady = std::chrono::steady_clock;

bool smoke() { return std::getenv("QMR_BENCH_SMOKE") != nullptr; }

double peakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// esptool as a flash looks from the tool: it runs for a while, then the module reboots (silent)
// into its new firmware.
class StandInEsptool : public platform::RunningProgram {
public:
    explicit StandInEsptool(sim::Simulator* module)
        : module_(module), endsAt_(Steady::now() + (smoke() ? std::chrono::milliseconds(300) : std::chrono::seconds(3)))
    {
    }
    ~StandInEsptool() override
    {
        if (boot_.joinable())
            boot_.join();
    }
    bool finished() const override
    {
        if (Steady::now() < endsAt_)
            return false;
        if (!boot_.joinable() && module_) {
            sim::Misbehaviour silent;
            silent.silent = true;
            module_->setMisbehaviour(silent);
            boot_ = std::thread([module = module_] {
                std::this_thread::sleep_for(smoke() ? std::chrono::milliseconds(100) : std::chrono::seconds(1));
                module->changeProfile([](sim::DeviceProfile& d) { ++d.firmware[3]; });
                module->setMisbehaviour({});
            });
        }
        return true;
    }
    bool failedToStart() const override { return false; }
    int exitCode() const override { return 0; }
    QByteArray takeOutput() override { return {}; }
    void kill() override {}

private:
    sim::Simulator* module_;
    Steady::time_point endsAt_;
    mutable std::thread boot_;
};

struct Line {
    QTemporaryDir folder;
    std::map<int, std::unique_ptr<sim::Simulator>> devices;
    platform::QtClock clock;
    platform::QtEventPump pump;
    fakes::FakeFileTransfer transfer; // nothing to download: the images are on disk
    fakes::FakePrograms programs;

    struct Unit : platform::QtUnitPlatform, platform::Programs {
        Unit(platform::PortListing& ports, sim::Simulator* module) : QtUnitPlatform(ports), module_(module) {}
        platform::Programs& programs() override { return *this; }
        bool openDocument(const QString&) override { return false; }
        std::unique_ptr<platform::RunningProgram> start(const QString&, const QStringList&, const QString&) override
        {
            return std::make_unique<StandInEsptool>(module_);
        }
        sim::Simulator* module_;
    };

    struct Quiet : shell::cli::Console {
        void out(const QByteArray& b) override { stdOut += b; }
        void err(const QString& line) override { stdErr += line + QLatin1Char('\n'); }
        void progress(const QString&) override {}
        bool outIsTerminal() const override { return false; }
        bool errIsTerminal() const override { return false; }
        bool inIsTerminal() const override { return false; }
        std::optional<QString> readLine() override { return std::nullopt; }
        QByteArray stdOut;
        QString stdErr;
    } console;

    bool start(int count, sim::DeviceKind kind)
    {
        QDir(folder.path()).mkpath(QStringLiteral("ports"));
        QDir(folder.path()).mkpath(QStringLiteral("DATA"));
        for (int n = 1; n <= count; ++n) {
            auto device = std::make_unique<sim::Simulator>(sim::DeviceProfile::defaults(kind));
            if (!device->start() || !device->linkAs(folder.filePath(QStringLiteral("ports/COM%1").arg(n))))
                return false;
            device->setRestartDuration(std::chrono::milliseconds(smoke() ? 100 : 3000));
            devices[n] = std::move(device);
        }
        return write(QStringLiteral("DATA/TIKAv2.bin"), espimages::good(espimages::esp32s3))
            && write(QStringLiteral("esptools3"), "#!/bin/sh\n");
    }

    bool write(const QString& name, const QByteArray& content)
    {
        QFile f(folder.filePath(name));
        return f.open(QIODevice::WriteOnly) && f.write(content) == content.size()
            && f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    }

    // Runs the command line; true when every unit passed.
    bool run(QStringList arguments)
    {
        console.stdOut.clear();
        arguments << QStringLiteral("--json") << QStringLiteral("--program-folder") << folder.path();
        shell::cli::Environment env{
            folder.path(),
            [](const QString& f) -> std::unique_ptr<platform::PortListing> { return std::make_unique<fakes::LinkedPortsOnly>(f); },
            [](platform::PortListing& l) { return std::make_unique<platform::QtSerialPort>(l); },
            clock, pump, transfer, programs, {}, console, [] { return 0; }, shell::cli::readSystemFacts,
            [this](platform::PortListing& ports) {
                const int n = ports.ports().first().portNumber;
                return std::make_unique<Unit>(ports, devices.count(n) ? devices.at(n).get() : nullptr);
            }};
        return shell::cli::runQmr51ctl(arguments, env) == 0
            && console.stdOut.contains(QByteArrayLiteral("\"failed\":0,\"passed\":") + QByteArray::number(devices.size()));
    }
};

// An Intel HEX file of `bytes` bytes from address 0, 16 per record.
QByteArray hexFile(int bytes)
{
    QByteArray text;
    for (int at = 0; at < bytes; at += 16) {
        QByteArray record = QByteArray(1, 16) + char(at >> 8) + char(at & 0xFF) + char(0);
        for (int i = 0; i < 16; ++i)
            record.append(static_cast<char>((at + i) * 7));
        int sum = 0;
        for (char c : record)
            sum += static_cast<unsigned char>(c);
        record.append(static_cast<char>(-sum & 0xFF));
        text += ':' + record.toHex().toUpper() + "\r\n";
    }
    return text + ":00000001FF\r\n";
}

double oneFlashSeconds = 0;
double oneUpgradeSeconds = 0;

void report(benchmark::State& state, double seconds, double& one)
{
    state.SetIterationTime(seconds);
    if (state.range(0) == 1)
        one = seconds;
    state.counters["units"] = static_cast<double>(state.range(0));
    state.counters["seconds"] = seconds;
    state.counters["ratio_to_one"] = one > 0 ? seconds / one : 0;
    state.counters["peak_rss_mb"] = peakRssMb();
}

void BM_FlashEveryModule(benchmark::State& state)
{
    Line line;
    if (!line.start(static_cast<int>(state.range(0)), sim::DeviceKind::TikaV2)) {
        state.SkipWithError("no pseudo-terminals");
        return;
    }
    for (auto _ : state) {
        const auto start = Steady::now();
        if (!line.run({"flash", "--port", "all"})) {
            state.SkipWithError(qPrintable(QString::fromUtf8(line.console.stdOut) + line.console.stdErr));
            break;
        }
        report(state, std::chrono::duration<double>(Steady::now() - start).count(), oneFlashSeconds);
    }
}
BENCHMARK(BM_FlashEveryModule)->Arg(1)->Arg(8)->Arg(16)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(benchIterations(1));

void BM_UpgradeEveryQmr51(benchmark::State& state)
{
    Line line;
    if (!line.start(static_cast<int>(state.range(0)), sim::DeviceKind::Qmr51)
        || !line.write(QStringLiteral("image.hex"), hexFile(smoke() ? 256 : 4096))) {
        state.SkipWithError("no pseudo-terminals");
        return;
    }
    int version = 6;
    for (auto _ : state) {
        const auto start = Steady::now();
        if (!line.run({"upgrade", "--port", "all", "--yes", "--hex", line.folder.filePath("image.hex"), "--fw-version",
                       QStringLiteral("2.1.0.%1").arg(version++)})) {
            state.SkipWithError(qPrintable(QString::fromUtf8(line.console.stdOut) + line.console.stdErr));
            break;
        }
        report(state, std::chrono::duration<double>(Steady::now() - start).count(), oneUpgradeSeconds);
    }
}
BENCHMARK(BM_UpgradeEveryQmr51)->Arg(1)->Arg(4)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(benchIterations(1));

} // namespace

QMR_BENCH_MAIN(QCoreApplication)
