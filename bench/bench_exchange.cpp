// The command exchange over a real pseudo-terminal with the device simulator:
//  (a) how long after the device's last reply byte the exchange returns (target: median < 1 ms);
//  (b) processor time of one full 0.8 s acknowledgement wait (command 208 answered "*U#"),
//      measured on the process clock, simulator thread included (target: < 10 ms).
#include "FakeDialogs.h"
#include "FakePlatform.h"
#include "firmware/UpgradeFrames.h"
#include "link/CommandExchange.h"
#include "platform/QtClock.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "sim/Simulator.h"
#include <QCoreApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <ctime>
#include <vector>
#include "BenchMain.h"

namespace {

struct BenchLine {
    sim::Simulator device{sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51)};
    fakes::FakePortListing listing;
    platform::QtSerialPort port{listing};
    platform::QtClock clock;
    platform::QtEventPump pump;
    double deadline = 0;
    comlink::CommandExchange exchange{port, clock, pump, deadline};

    bool connect()
    {
        if (!device.start())
            return false;
        listing.paths.insert(7, device.devicePath());
        return port.open(7);
    }
};

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

double cpuSeconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void BM_LastReplyByteToReturn(benchmark::State& state)
{
    BenchLine line;
    if (!line.connect()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    std::vector<double> micros;
    for (auto _ : state) {
        const auto sent = std::chrono::steady_clock::now();
        const comlink::Reply result = line.exchange.send(86, {});
        const auto returned = std::chrono::steady_clock::now();
        if (!result.ok()) {
            state.SkipWithError("the identification was not answered");
            break;
        }
        // The simulator notes the moment right after its write returns; the exchange can be back
        // before that note is made, so wait for this answer's note rather than read the last one.
        auto lastByte = line.device.lastAnswerWrittenAt();
        for (int i = 0; i < 100000 && lastByte < sent; ++i)
            lastByte = line.device.lastAnswerWrittenAt();
        const std::chrono::duration<double> latency = std::max(returned - lastByte, std::chrono::steady_clock::duration{});
        state.SetIterationTime(latency.count());
        micros.push_back(latency.count() * 1e6);
    }
    state.counters["median_us"] = percentile(micros, 0.5);
    state.counters["p90_us"] = percentile(micros, 0.9);
    state.counters["max_us"] = percentile(micros, 1.0);
}
BENCHMARK(BM_LastReplyByteToReturn)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(benchIterations(300));

void BM_AcknowledgementWaitCpu(benchmark::State& state)
{
    BenchLine line;
    if (!line.connect()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    // A real first block of an image, with its right CRC: the QMR51 acknowledges only those.
    const QByteArray block = firmware::dataBlockFrame(QByteArray(firmware::kBlockBytes, '\x5A'), 0);
    std::vector<double> processMs;
    std::vector<double> threadMs;
    for (auto _ : state) {
        const double process0 = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        const double thread0 = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        const comlink::Reply result = line.exchange.send(208, block);
        processMs.push_back((cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - process0) * 1e3);
        threadMs.push_back((cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - thread0) * 1e3);
        if (!result.ok()) {
            state.SkipWithError("the block was not acknowledged");
            break;
        }
    }
    state.counters["process_cpu_ms_median"] = percentile(processMs, 0.5);
    state.counters["process_cpu_ms_max"] = percentile(processMs, 1.0);
    state.counters["exchange_thread_cpu_ms_median"] = percentile(threadMs, 0.5);
}
BENCHMARK(BM_AcknowledgementWaitCpu)->Iterations(benchIterations(5))->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

QMR_BENCH_MAIN(QCoreApplication)
