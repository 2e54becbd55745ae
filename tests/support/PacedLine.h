#pragma once
// A line to simulated devices whose clock waits for them. On a real line a device answers within
// its time however busy the PC is; a simulated device is a thread of the test machine, and on a busy
// machine that thread may not run for a while. So that no test depends on the test machine's speed,
// the tool's steady clock stands still from the moment a request goes out on the line until the
// simulated device at the other end has taken it in and reacted (its answer, or the first piece of
// a deliberately slow one, is out; or it chose silence). Everything the device does on purpose
// (silence, slow pieces, a restart) still takes its time.
#include "platform/Clock.h"
#include "platform/SerialPort.h"
#include "sim/Simulator.h"
#include <QDateTime>
#include <chrono>
#include <deque>
#include <functional>
#include <map>

namespace fakes {

class PacedClock : public platform::Clock {
public:
    using Steady = std::chrono::steady_clock;

    double elapsedSeconds() override
    {
        const Steady::time_point now = Steady::now();
        while (!pending_.empty()) {
            const Request& r = pending_.front();
            const sim::Simulator::InputProgress progress = r.device->inputProgress();
            if (progress.bytes >= r.bytesAfter) {
                // The device's delay is not the tool's: it does not count.
                const Steady::time_point from = std::max(r.sentAt, excludedUntil_);
                if (progress.at > from)
                    excluded_ += progress.at - from;
                excludedUntil_ = std::max(excludedUntil_, progress.at);
                pending_.pop_front();
                continue;
            }
            if (now - r.sentAt > kGiveUp) {
                pending_.pop_front(); // a device that never reads (gone, or stopped): time runs again
                continue;
            }
            return seconds(r.sentAt);
        }
        return seconds(now);
    }
    QDateTime now() override { return QDateTime::currentDateTime(); }

    // The line now leads to `device`: what it took in before counts as its own.
    void meet(sim::Simulator* device)
    {
        if (!sentTo_.count(device))
            sentTo_[device] = device->inputProgress().bytes;
    }
    // The line to `device` was closed: what it never took in is no longer waited for.
    void forget(sim::Simulator* device)
    {
        std::erase_if(pending_, [device](const Request& r) { return r.device == device; });
    }
    // A request of `bytes` went out to `device` (met before) just now.
    void sent(sim::Simulator* device, qint64 bytes)
    {
        const qint64 total = sentTo_[device] += bytes;
        pending_.push_back({device, total, Steady::now()});
    }

private:
    static constexpr std::chrono::seconds kGiveUp{10};
    // bytesAfter: the device's input count once it has taken this request in.
    struct Request { sim::Simulator* device; qint64 bytesAfter; Steady::time_point sentAt; };
    double seconds(Steady::time_point t) const
    {
        return std::chrono::duration<double>(t - start_ - excluded_).count();
    }

    Steady::time_point start_ = Steady::now();
    Steady::duration excluded_{};
    Steady::time_point excludedUntil_{};
    std::deque<Request> pending_;
    std::map<sim::Simulator*, qint64> sentTo_;
};

// The tool's real port, telling the paced clock about every request it writes.
class PacedPort : public platform::SerialPort {
public:
    PacedPort(platform::SerialPort& real, PacedClock& clock, std::function<sim::Simulator*(int)> deviceOn)
        : real_(real), clock_(clock), deviceOn_(std::move(deviceOn))
    {
    }
    bool open(int portNumber) override
    {
        // Met before the port opens, so nothing the tool sends can be taken in before it counts.
        device_ = deviceOn_(portNumber);
        if (device_)
            clock_.meet(device_);
        if (real_.open(portNumber))
            return true;
        device_ = nullptr;
        return false;
    }
    bool isOpen() const override { return real_.isOpen(); }
    QByteArray readAll() override { return real_.readAll(); }
    bool write(const QByteArray& bytes) override
    {
        const bool written = real_.write(bytes);
        if (written && device_)
            clock_.sent(device_, bytes.size());
        return written;
    }
    bool waitForInput(std::chrono::milliseconds maxWait) override { return real_.waitForInput(maxWait); }
    bool hasFailed() const override { return real_.hasFailed(); }
    QString lastError() const override { return real_.lastError(); }
    void close() override
    {
        real_.close();
        if (device_)
            clock_.forget(device_);
        device_ = nullptr;
    }

private:
    platform::SerialPort& real_;
    PacedClock& clock_;
    std::function<sim::Simulator*(int)> deviceOn_;
    sim::Simulator* device_ = nullptr;
};

} // namespace fakes
