#include "device/UnitLine.h"
#include <QThread>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace device {

namespace {

// How often the line looks at the user's stop requests while no unit has anything to say.
constexpr std::chrono::milliseconds kLookMs{50};

struct Event {
    enum class Type { Started, Progress, Done };
    Type type = Type::Started;
    qsizetype unit = 0;
    int portNumber = 0;
    int attempt = 0;
    QString phase;
    int percent = 0;
    UnitAttempt record;
    bool last = false;
};

// The units' events on their way to the thread that runs the line.
class EventQueue {
public:
    void push(Event event)
    {
        {
            const std::lock_guard lock(mutex_);
            events_.push_back(std::move(event));
        }
        arrived_.notify_one();
    }
    std::deque<Event> takeWithin(std::chrono::milliseconds wait)
    {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, wait, [this] { return !events_.empty(); });
        return std::exchange(events_, {});
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<Event> events_;
};

QString portName(const platform::NumberedPort& port)
{
    return port.devicePath.isEmpty() ? QStringLiteral("COM%1").arg(port.portNumber)
                                     : QStringLiteral("COM%1 (%2)").arg(port.portNumber).arg(port.devicePath);
}

UnitEnd connectAndRun(UnitWork& work, const platform::NumberedPort& port, const UnitJob& job)
{
    if (work.stopRequested())
        return {UnitClass::Interrupted, QStringLiteral("Stopped before it began: the device was not touched.")};
    work.progress(QStringLiteral("connect"), 0);
    Session& session = work.session();
    switch (session.connect(static_cast<std::uint8_t>(port.portNumber))) {
    case Session::ConnectOutcome::NotOpened: {
        const QString why = work.platform().port().lastError();
        return {UnitClass::NoDevice, QStringLiteral("%1 cannot be opened%2.")
                                         .arg(portName(port), why.isEmpty() ? QString() : QStringLiteral(": ") + why)};
    }
    case Session::ConnectOutcome::NoDevice:
        return {UnitClass::NoDevice, QStringLiteral("No QMR51 or TIKA answers on %1.").arg(portName(port))};
    case Session::ConnectOutcome::Connected:
        break;
    }
    UnitAttempt& attempt = work.attempt();
    attempt.kind = session.kind();
    attempt.serial = session.serial();
    attempt.firmwareBefore = session.firmware();
    return job(work);
}

struct Unit {
    qsizetype index;
    platform::NumberedPort port;
};

UnitAttempt runAttempt(const Unit& unit, int number, platform::UnitPlatform& platform, platform::PortListing& ports,
                       const UnitJob& job, EventQueue& queue, const std::atomic<int>& stops)
{
    UnitAttempt attempt;
    attempt.startUtc = QDateTime::currentDateTimeUtc();
    attempt.attempt = number;
    attempt.portNumber = unit.port.portNumber;
    attempt.devicePath = unit.port.devicePath;
    attempt.adapter = unit.port.identity.adapterText();
    const double start = platform.clock().elapsedSeconds();
    queue.push({Event::Type::Started, unit.index, unit.port.portNumber, number, {}, 0, {}, false});

    Session session(platform.port(), ports, platform.clock(), platform.pump());
    UnitWork work(
        session, platform, attempt,
        [&](const QString& phase, int percent) {
            queue.push({Event::Type::Progress, unit.index, unit.port.portNumber, number, phase, percent, {}, false});
        },
        stops);
    const UnitEnd end = connectAndRun(work, unit.port, job);
    attempt.result = end.result;
    attempt.message = end.message;
    session.close();
    attempt.durationMs = std::llround((platform.clock().elapsedSeconds() - start) * 1000.0);
    return attempt;
}

// One unit from its first attempt to its last, on its own thread.
void runUnit(const Unit& unit, const platform::UnitPlatformMaker& maker, const UnitJob& job, int retries,
             EventQueue& queue, const std::atomic<int>& stops)
{
    platform::OnePortListing ports(unit.port);
    const std::unique_ptr<platform::UnitPlatform> platform = maker(ports);
    // A retry that finds nothing on the port is still an attempt at the same unit: its record keeps
    // the serial an earlier attempt read, so the unit's history is found by its serial.
    QByteArray knownSerial;
    for (int number = 1;; ++number) {
        UnitAttempt attempt = runAttempt(unit, number, *platform, ports, job, queue, stops);
        if (attempt.serial.isEmpty())
            attempt.serial = knownSerial;
        else
            knownSerial = attempt.serial;
        const bool last = !attempt.worthRetrying() || number > retries || stops.load() >= 1;
        queue.push({Event::Type::Done, unit.index, unit.port.portNumber, number, {}, 0, std::move(attempt), last});
        if (last)
            return;
    }
}

} // namespace

UnitLine::UnitLine(platform::UnitPlatformMaker maker, UnitJob job, int retries)
    : maker_(std::move(maker)), job_(std::move(job)), retries_(std::max(0, retries))
{
}

QList<UnitAttempt> UnitLine::run(const QList<platform::NumberedPort>& ports, UnitEvents& events, UnitRecordSink* records,
                                 const std::function<int()>& stopRequests)
{
    const int stopsBefore = stopRequests ? stopRequests() : 0;
    std::atomic<int> stops{0};
    EventQueue queue;
    std::vector<std::unique_ptr<QThread>> threads;
    for (qsizetype i = 0; i < ports.size(); ++i) {
        const Unit unit{i, ports.at(i)};
        threads.emplace_back(QThread::create(
            [this, unit, &queue, &stops] { runUnit(unit, maker_, job_, retries_, queue, stops); }));
        threads.back()->start();
    }

    QList<UnitAttempt> lasts(ports.size());
    qsizetype running = ports.size();
    while (running > 0) {
        for (Event& e : queue.takeWithin(kLookMs)) {
            switch (e.type) {
            case Event::Type::Started:
                events.started(e.portNumber, e.attempt);
                break;
            case Event::Type::Progress:
                events.progress(e.portNumber, e.phase, e.percent);
                break;
            case Event::Type::Done:
                if (records)
                    records->record(e.record);
                events.done(e.record, e.last);
                if (e.last) {
                    lasts[e.unit] = std::move(e.record);
                    --running;
                }
                break;
            }
        }
        const int asked = stopRequests ? std::min(2, stopRequests() - stopsBefore) : 0;
        if (asked > stops.load()) {
            stops.store(asked);
            events.stopping(asked);
        }
    }
    for (const std::unique_ptr<QThread>& thread : threads)
        thread->wait();
    return lasts;
}

} // namespace device
