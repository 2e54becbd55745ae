// The production line with a fake platform per unit: each unit's port answers (or not) on its own
// fake clock, and the jobs are scripted per port.
#include "DeviceFrames.h"
#include "FakePlatform.h"
#include "device/UnitLine.h"
#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <map>
#include <thread>

namespace {

using device::UnitClass;

const QByteArray kQmr51 = fakes::qmr51Identity({2, 1, 0, 5}, 10, 1, 4, 4, "Q5100042");
constexpr int kSilentPort = 9; // nothing answers there

struct FakeUnit : platform::UnitPlatform {
    explicit FakeUnit(int portNumber)
    {
        if (portNumber != kSilentPort)
            serial.responder = [](const QByteArray&) { return QList<fakes::FakeSerialPort::Arrival>{{fakes::replyFrame(86, kQmr51), 0.02}}; };
    }
    platform::SerialPort& port() override { return serial; }
    platform::Clock& clock() override { return fakeClock; }
    platform::EventPump& pump() override { return fakePump; }
    platform::Programs& programs() override { return fakePrograms; }
    fakes::FakeClock fakeClock;
    fakes::FakeEventPump fakePump{fakeClock};
    fakes::FakeSerialPort serial{fakeClock};
    fakes::FakePrograms fakePrograms;
};

// Everything the line told, in the order it told it (always on the test's thread).
struct Heard : device::UnitEvents, device::UnitRecordSink {
    void started(int, int) override { ++starts; }
    void progress(int, const QString&, int) override {}
    void done(const device::UnitAttempt& a, bool last) override { lastFlags[a.portNumber].append(last); }
    void record(const device::UnitAttempt& a) override { records[a.portNumber].append(a.attempt); }
    void stopping(int requests) override { stops.append(requests); }
    int starts = 0;
    QList<int> stops;
    std::map<int, QList<bool>> lastFlags;
    std::map<int, QList<int>> records;
};

QList<platform::NumberedPort> ports(std::initializer_list<int> numbers)
{
    QList<platform::NumberedPort> list;
    for (int n : numbers)
        list.append({n, QStringLiteral("/dev/ttyUSB%1").arg(n)});
    return list;
}

platform::UnitPlatformMaker fakeUnits()
{
    return [](platform::PortListing& unitPorts) { return std::make_unique<FakeUnit>(unitPorts.ports().first().portNumber); };
}

TEST(UnitLine, AFailedUnitIsTriedAgainFromTheStartAloneAndARefusedInputIsNot)
{
    // How each port's job ends, attempt by attempt.
    const std::map<int, QList<UnitClass>> script{
        {1, {UnitClass::Passed}},
        {2, {UnitClass::Transfer, UnitClass::Passed}},
        {3, {UnitClass::RefusedInput}},
        {4, {UnitClass::Version, UnitClass::Version}},
        {5, {UnitClass::Transfer}}, // unplugged in the middle: the retry finds nothing
        {kSilentPort, {}},
    };
    std::map<int, std::atomic<int>> runs;
    for (const auto& [port, ends] : script)
        runs[port] = 0;
    device::UnitLine line(fakeUnits(), [&](device::UnitWork& work) {
        const int port = work.attempt().portNumber;
        EXPECT_EQ(work.attempt().serial, "Q5100042") << "the job runs on a connected device";
        if (port == 5)
            static_cast<FakeUnit&>(work.platform()).serial.responder = nullptr;
        return device::UnitEnd{script.at(port).at(runs[port]++), QStringLiteral("told")};
    }, 1);
    Heard heard;
    const QList<device::UnitAttempt> lasts = line.run(ports({1, 2, 3, 4, 5, kSilentPort}), heard, &heard, {});

    const std::map<int, std::pair<UnitClass, int>> expected{
        {1, {UnitClass::Passed, 1}},  {2, {UnitClass::Passed, 2}},   {3, {UnitClass::RefusedInput, 1}},
        {4, {UnitClass::Version, 2}}, {5, {UnitClass::NoDevice, 2}}, {kSilentPort, {UnitClass::NoDevice, 2}},
    };
    ASSERT_EQ(lasts.size(), 6);
    for (const device::UnitAttempt& a : lasts) {
        const auto [result, attempts] = expected.at(a.portNumber);
        EXPECT_EQ(a.result, result) << a.portNumber;
        EXPECT_EQ(a.attempt, attempts) << a.portNumber;
        QList<int> numbered;
        for (int n = 1; n <= attempts; ++n)
            numbered.append(n);
        EXPECT_EQ(heard.records[a.portNumber], numbered) << "one record per attempt, port " << a.portNumber;
        EXPECT_EQ(heard.lastFlags[a.portNumber].count(true), 1) << a.portNumber;
        EXPECT_TRUE(heard.lastFlags[a.portNumber].last()) << a.portNumber;
    }
    EXPECT_EQ(lasts.last().message, "No QMR51 or TIKA answers on COM9 (/dev/ttyUSB9).");
    EXPECT_EQ(lasts.at(4).serial, "Q5100042") << "the retry that found nothing is still recorded under the unit's serial";
    EXPECT_TRUE(lasts.last().serial.isEmpty()) << "a port where nothing ever answered has no serial to record";
    EXPECT_EQ(heard.starts, 10);
}

// Units busy until a stop ends them: a flash under way (COM2) only ends on the second request.
TEST(UnitLine, TheFirstStopEndsEveryUnitAtItsSafePointTheSecondAtOnceAndNoneIsRetried)
{
    std::atomic<int> busy = 0; // units inside the job
    device::UnitLine line(fakeUnits(), [&busy](device::UnitWork& work) {
        const int port = work.attempt().portNumber;
        ++busy;
        while (port == 2 ? !work.stopNow() : !work.stopRequested())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        // COM3 fails at its safe point in a way that would otherwise be tried again.
        return device::UnitEnd{port == 3 ? UnitClass::Transfer : UnitClass::Interrupted,
                               work.stopNow() ? QStringLiteral("at once") : QStringLiteral("at a safe point")};
    }, 3);
    Heard heard;
    const QList<device::UnitAttempt> lasts = line.run(ports({1, 2, 3}), heard, &heard, [&] {
        if (busy < 3)
            return 0;
        return heard.lastFlags.count(1) && heard.lastFlags.count(3) ? 2 : 1;
    });
    ASSERT_EQ(lasts.size(), 3);
    const QStringList said{lasts[0].message, lasts[1].message, lasts[2].message};
    EXPECT_EQ(said, QStringList({"at a safe point", "at once", "at a safe point"}));
    for (const device::UnitAttempt& a : lasts)
        EXPECT_EQ(heard.records[a.portNumber], QList<int>{1}) << "a stopped unit is not tried again: " << a.portNumber;
    EXPECT_EQ(heard.stops, QList<int>({1, 2}));
}

} // namespace
