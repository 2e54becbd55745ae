// The reconnect after a TIKA flash: a simulated TIKA V1 on a pseudo-terminal, the tool's own flash
// (real line, clock and event pump, no window) and a stand-in esptool that "writes" for 0.3 to 0.55 s
// (a new length each time, so the reset falls anywhere between two questions), then gives the
// module its hard reset into a new firmware version and ends. The module boots for 1 s,
// deaf; the tool asks it who it is until it answers. Manual time and reconnect_ms: from the hard
// reset to the flash's return (the module's first whole answer); tool_reconnect_ms: the flash's own
// figure, from the moment it saw esptool end. Target: at most boot_ms + 300.
//   ./bench_reconnect --benchmark_counters_tabular=true
#include "EspImages.h"
#include "FakePlatform.h"
#include "device/Session.h"
#include "firmware/TikaFlash.h"
#include "platform/QtClock.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "sim/Simulator.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <thread>
#include "BenchMain.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kEsptoolTime{300};
constexpr std::chrono::milliseconds kBootTime{1000};

// esptool as far as the module sees it: a while of writing, then the hard reset, then its end.
class StandInEsptool : public platform::Programs {
public:
    explicit StandInEsptool(sim::Simulator& device) : device_(device) {}
    ~StandInEsptool() override { join(); }

    bool openDocument(const QString&) override { return false; }
    std::unique_ptr<platform::RunningProgram> start(const QString&, const QStringList&, const QString&) override
    {
        join();
        finished_ = false;
        writer_ = std::thread([this] {
            std::this_thread::sleep_for(kEsptoolTime + std::chrono::milliseconds(newFirmware[3] * 53 % 250));
            resetAt = Clock::now();
            device_.hardReset(newFirmware);
            finished_ = true;
        });
        return std::make_unique<Running>(finished_);
    }

    sim::FirmwareVersion newFirmware{};
    Clock::time_point resetAt;

private:
    struct Running : platform::RunningProgram {
        explicit Running(const std::atomic<bool>& finished) : done(finished) {}
        bool finished() const override { return done; }
        bool failedToStart() const override { return false; }
        int exitCode() const override { return 0; }
        QByteArray takeOutput() override { return {}; }
        void kill() override {}
        const std::atomic<bool>& done;
    };
    void join()
    {
        if (writer_.joinable())
            writer_.join();
    }

    sim::Simulator& device_;
    std::atomic<bool> finished_{false};
    std::thread writer_;
};

// Nobody watches: the flash's texts go nowhere.
struct NoHost : firmware::UpgradeHost {
    void setCaption(const QString&) override {}
    void setStatus(const QString&) override {}
    void setValue(int) override {}
    void makeVisible() override {}
    void unload() override {}
    bool cancelRequested() const override { return false; }
    void clearCancel() override {}
    bool closedByUser() const override { return false; }
    void message(const QString&) override {}
    bool askYesNo(const QString&) override { return false; }
};

struct Rig {
    sim::Simulator device{sim::DeviceProfile::defaults(sim::DeviceKind::TikaV1)};
    QTemporaryDir folder;
    fakes::FakePortListing listing;
    platform::QtSerialPort port{listing};
    platform::QtClock clock;
    platform::QtEventPump pump;
    device::Session session{port, listing, clock, pump};
    StandInEsptool esptool{device};
    NoHost host;
    firmware::TikaFlash flash{session, esptool, folder.path(), host};

    bool start()
    {
        QFile image(folder.filePath(QStringLiteral("DATA/TIKAv1.bin")));
        QFile bundled(folder.filePath(QStringLiteral("esptool32")));
        if (!device.start() || !QDir(folder.path()).mkpath(QStringLiteral("DATA")) || !image.open(QIODevice::WriteOnly)
            || image.write(espimages::good(espimages::esp32)) < 0 || !bundled.open(QIODevice::WriteOnly)
            || !bundled.setPermissions(bundled.permissions() | QFileDevice::ExeOwner))
            return false;
        device.setBootDuration(kBootTime);
        listing.paths.insert(7, device.devicePath());
        return session.connect(7) == device::Session::ConnectOutcome::Connected;
    }
};

void BM_ReconnectAfterFlash(benchmark::State& state)
{
    Rig rig;
    if (!rig.start()) {
        state.SkipWithError("no pseudo-terminal, or the simulated module did not answer");
        return;
    }
    double totalMs = 0, worstMs = 0, toolTotalMs = 0;
    std::uint8_t build = 0;
    for (auto _ : state) {
        rig.esptool.newFirmware = {24, 2, 0, ++build};
        const firmware::TikaFlash::Result result = rig.flash.run();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - rig.esptool.resetAt).count();
        if (result.outcome != firmware::TikaFlash::Outcome::Flashed || result.reconnectMs < 0) {
            state.SkipWithError("the module did not answer after its boot");
            break;
        }
        // A module that answers before its boot is over is no module booting.
        if (ms < static_cast<double>(kBootTime.count())) {
            state.SkipWithError("the module answered while it was still booting");
            break;
        }
        state.SetIterationTime(ms / 1000.0);
        totalMs += ms;
        worstMs = std::max(worstMs, ms);
        toolTotalMs += result.reconnectMs;
        if (rig.session.connect(7) != device::Session::ConnectOutcome::Connected
            || rig.session.firmware() != rig.esptool.newFirmware) {
            state.SkipWithError("the module did not come back with its new firmware");
            break;
        }
    }
    const double runs = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["boot_ms"] = static_cast<double>(kBootTime.count());
    state.counters["reconnect_ms"] = totalMs / runs;
    state.counters["worst_reconnect_ms"] = worstMs;
    state.counters["tool_reconnect_ms"] = toolTotalMs / runs;
}
BENCHMARK(BM_ReconnectAfterFlash)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(benchIterations(10));

} // namespace

QMR_BENCH_MAIN(QCoreApplication)
