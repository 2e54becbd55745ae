// The port search over pseudo-terminals: four silent ports, then a device. The device protocol fixes
// the cost of a silent port at about 1.3 s (0.5 s drain after opening + 0.8 s reply wait), so the
// floor of this search is 4 x 1.3 s plus one drain and one quick answer (about 0.5 s).
#include "RealLineHarness.h"
#include <QApplication>
#include <benchmark/benchmark.h>
#include "BenchMain.h"

namespace {

void BM_ScanFourSilentPortsThenADevice(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        fakes::RealLineHarness h;
        sim::Misbehaviour silent;
        silent.silent = true;
        for (int n : {1, 2, 3, 4})
            h.addDevice(n, sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51), silent);
        h.addDevice(5, sim::DeviceProfile::defaults(sim::DeviceKind::TikaV2));
        shell::Tool& tool = h.start();
        state.ResumeTiming();
        tool.ports().cmdScanCom_Click();
        state.PauseTiming();
        if (tool.session.portNumber() != 5)
            state.SkipWithError("the device was not found");
        state.ResumeTiming();
    }
    const double floorSeconds = 4 * 1.3 + 0.5;
    state.counters["floor_s"] = floorSeconds;
}
BENCHMARK(BM_ScanFourSilentPortsThenADevice)->Unit(benchmark::kMillisecond)->Iterations(benchIterations(3))->UseRealTime();

} // namespace

QMR_BENCH_MAIN(QApplication)
