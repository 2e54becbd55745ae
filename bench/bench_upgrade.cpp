// A QMR51 firmware transfer against the simulated device on a pseudo-terminal: 10 data blocks and
// the closing frame, through the tool's own transfer code (window built offscreen, real line,
// clock and event pump). The device needs 0.8 s per frame, so the floor is 0.8 s x 11 frames;
// the counter overhead_pct is what the tool adds on top of it (target: under 2 %).
//   ./bench_upgrade --benchmark_counters_tabular=true
#include "FakePlatform.h"
#include "firmware/UpgradeFrames.h"
#include "firmware/Qmr51Upgrade.h"
#include "firmware/ui/UpgradeHandlers.h"
#include "platform/QtClock.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "shell/ui/Tool.h"
#include "sim/Simulator.h"
#include <QApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <thread>
#include "BenchMain.h"

namespace {

constexpr int kBlocks = 10;
constexpr double kSecondsPerFrame = 0.8; // the device's acknowledgement window

struct Rig {
    sim::Simulator device{sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51)};
    fakes::FakePlatform fakes;
    fakes::FakePortListing listing;
    platform::QtSerialPort port{listing};
    platform::QtClock clock;
    platform::QtEventPump pump;
    platform::Services services{port, listing, clock, pump, fakes.dialogs, fakes.transfer, fakes.programs,
                                fakes.folder.path(), fakes.services.servers};
    shell::Tool tool{services};

    bool open()
    {
        if (!device.start())
            return false;
        listing.paths.insert(7, device.devicePath());
        return port.open(7);
    }
};

QByteArray image(int blocks)
{
    QByteArray bytes(blocks * firmware::kBlockBytes, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 31 + 7) & 0xFF);
    return bytes;
}

void BM_TenBlockTransfer(benchmark::State& state)
{
    Rig rig;
    if (!rig.open()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    const QByteArray data = image(kBlocks);
    const int frames = kBlocks + 1;
    const double floorSeconds = kSecondsPerFrame * frames;
    double worstSeconds = 0;
    double totalSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const auto outcome = rig.tool.upgrade().qmr51().sendImage(data, {2, 2, 0, 0});
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (outcome != firmware::Qmr51Upgrade::TransferOutcome::Done || rig.tool.upgrade().qmr51().framesAcknowledged() != frames) {
            state.SkipWithError("the simulated QMR51 did not acknowledge every frame");
            break;
        }
        state.SetIterationTime(took.count());
        totalSeconds += took.count();
        worstSeconds = std::max(worstSeconds, took.count());
        rig.tool.upgrade().progress().unload();
        // After the closing frame the device restarts into the image and hears nothing for a few
        // seconds; the next transfer starts once it listens again, as a technician's would.
        while (rig.device.restarting())
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const double meanSeconds = totalSeconds / static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["blocks"] = kBlocks;
    state.counters["frames"] = frames;
    state.counters["floor_s"] = floorSeconds;
    state.counters["mean_s"] = meanSeconds;
    state.counters["overhead_pct"] = (meanSeconds - floorSeconds) / floorSeconds * 100.0;
    state.counters["worst_overhead_pct"] = (worstSeconds - floorSeconds) / floorSeconds * 100.0;
}
BENCHMARK(BM_TenBlockTransfer)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(benchIterations(3));

} // namespace

QMR_BENCH_MAIN(QApplication)
