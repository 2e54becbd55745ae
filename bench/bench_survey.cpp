// Finding a device behind eight silent ports, two ways over pseudo-terminals (the clock paced by the
// simulated devices, PacedLine.h, so a busy machine's late device thread does not count):
// asking every port at once (qmr51ctl scan and --port auto), and one port after the other (the
// window's search: open, 0.5 s drain, identification, 0.8 s reply time, next port). A silent port
// costs the search 1.3 s, so one after the other takes about 8 x 1.3 s + 1.3 s for the device;
// asked at once, the ports share one drain and one reply time: about 1.3 s in all.
#include "PacedQtPort.h"
#include "RealLineHarness.h"
#include "device/PortSurvey.h"
#include "device/Session.h"
#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include "BenchMain.h"

namespace {

constexpr int kSilentPorts = 8;
constexpr int kDevicePort = kSilentPorts + 1;

using fakes::PacedQtPort;

// Eight silent devices on COM1 ... COM8 and a TIKA V2 on COM9, the last port asked.
struct NinePorts {
    QTemporaryDir folder;
    fakes::LinkedPortsOnly ports{folder.path()};
    std::vector<std::unique_ptr<sim::Simulator>> devices;
    fakes::PacedClock clock;
    platform::QtEventPump pump;

    std::unique_ptr<PacedQtPort> makePort()
    {
        return std::make_unique<PacedQtPort>(ports, clock, [this](int n) {
            return n >= 1 && n <= kDevicePort ? devices[static_cast<std::size_t>(n - 1)].get() : nullptr;
        });
    }

    bool start()
    {
        QDir(folder.path()).mkpath(QStringLiteral("ports"));
        for (int n = 1; n <= kDevicePort; ++n) {
            auto device = std::make_unique<sim::Simulator>(sim::DeviceProfile::defaults(sim::DeviceKind::TikaV2));
            if (!device->start() || !device->linkAs(folder.filePath(QStringLiteral("ports/COM%1").arg(n))))
                return false;
            sim::Misbehaviour silent;
            silent.silent = n != kDevicePort;
            device->setMisbehaviour(silent);
            devices.push_back(std::move(device));
        }
        return ports.ports().size() == kDevicePort;
    }
};

void BM_FindTheDeviceAskingAllPortsAtOnce(benchmark::State& state)
{
    NinePorts line;
    if (!line.start())
        state.SkipWithError("no pseudo-terminals");
    for (auto _ : state) {
        const QList<device::SurveyedPort> found = device::surveyPorts(
            line.ports.ports(), [&] { return line.makePort(); }, line.clock, line.pump);
        if (found.size() != kDevicePort || !found.last().identification.deviceFound || found.first().identification.deviceFound)
            state.SkipWithError("the device was not found on COM9 alone");
    }
    state.counters["goal_s"] = 1.5;
}
BENCHMARK(BM_FindTheDeviceAskingAllPortsAtOnce)->Unit(benchmark::kMillisecond)->Iterations(benchIterations(5))->UseRealTime();

void BM_FindTheDeviceOnePortAfterTheOther(benchmark::State& state)
{
    NinePorts line;
    if (!line.start())
        state.SkipWithError("no pseudo-terminals");
    const std::unique_ptr<PacedQtPort> port = line.makePort();
    device::Session session(*port, line.ports, line.clock, line.pump);
    for (auto _ : state) {
        int foundOn = 0;
        for (const platform::NumberedPort& p : line.ports.ports()) {
            session.close();
            if (session.connect(static_cast<std::uint8_t>(p.portNumber)) == device::Session::ConnectOutcome::Connected) {
                foundOn = p.portNumber;
                break;
            }
        }
        session.close();
        if (foundOn != kDevicePort)
            state.SkipWithError("the device was not found on COM9");
    }
}
BENCHMARK(BM_FindTheDeviceOnePortAfterTheOther)->Unit(benchmark::kMillisecond)->Iterations(benchIterations(2))->UseRealTime();

} // namespace

QMR_BENCH_MAIN(QCoreApplication)
