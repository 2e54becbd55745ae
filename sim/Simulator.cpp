#include "sim/Simulator.h"
#include "sim/LiveReadings.h"
#include <cerrno>
#include <utility>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace sim {

namespace {

// A module forgets a half-received request after this much silence on the line.
constexpr int kReceiveTimeoutMs = 100;
constexpr qsizetype kReadChunkBytes = 4096;

QString systemError(const char* what)
{
    return QString::fromLatin1(what) + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

Simulator::Simulator(DeviceProfile profile) : model_(std::move(profile)) {}

Simulator::~Simulator() { stop(); }

bool Simulator::start()
{
    if (thread_.joinable())
        return true;
    std::lock_guard lock(mutex_);
    if (!pty_.open()) {
        error_ = pty_.error();
        return false;
    }
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        error_ = systemError("pipe");
        pty_.close();
        return false;
    }
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];
    devicePath_ = pty_.slavePath();
    thread_ = std::thread([this] { serve(); });
    return true;
}

bool Simulator::linkAs(const QString& linkPath)
{
    std::lock_guard lock(mutex_);
    if (pty_.createLink(linkPath))
        return true;
    error_ = pty_.error();
    return false;
}

void Simulator::stop()
{
    if (thread_.joinable()) {
        const char wake = 1;
        [[maybe_unused]] const ssize_t written = ::write(wakeWrite_, &wake, 1);
        thread_.join();
    }
    for (int* fd : {&wakeRead_, &wakeWrite_}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    std::lock_guard lock(mutex_);
    pty_.close();
}

QString Simulator::error() const
{
    std::lock_guard lock(mutex_);
    return error_;
}

void Simulator::setMisbehaviour(const Misbehaviour& misbehaviour)
{
    std::lock_guard lock(mutex_);
    model_.misbehaviour() = misbehaviour;
}

void Simulator::changeProfile(const std::function<void(DeviceProfile&)>& change)
{
    std::lock_guard lock(mutex_);
    change(model_.profile());
    // Live readings go on from whatever was set.
    liveStart_ = model_.profile().readings;
    liveSince_ = std::chrono::steady_clock::now();
}

DeviceProfile Simulator::profile() const
{
    std::lock_guard lock(mutex_);
    return model_.profile();
}

void Simulator::setLive(bool live)
{
    std::lock_guard lock(mutex_);
    live_ = live;
    liveStart_ = model_.profile().readings;
    liveSince_ = std::chrono::steady_clock::now();
}

void Simulator::setFirmwareFaults(const FirmwareFaults& faults)
{
    std::lock_guard lock(mutex_);
    model_.firmware().setFaults(faults);
}

void Simulator::setRestartDuration(std::chrono::milliseconds duration)
{
    std::lock_guard lock(mutex_);
    restartDuration_ = duration;
}

void Simulator::hardReset(std::optional<FirmwareVersion> newFirmware)
{
    std::lock_guard lock(mutex_);
    silentUntil_ = std::chrono::steady_clock::now() + bootDuration_;
    model_.discardPartialRequest();
    if (newFirmware)
        model_.profile().firmware = *newFirmware;
}

void Simulator::setBootDuration(std::chrono::milliseconds duration)
{
    std::lock_guard lock(mutex_);
    bootDuration_ = duration;
}

std::chrono::milliseconds Simulator::bootDuration() const
{
    std::lock_guard lock(mutex_);
    return bootDuration_;
}

QByteArray Simulator::installedImage() const
{
    std::lock_guard lock(mutex_);
    return model_.firmware().installedImage();
}

bool Simulator::restarting() const
{
    std::lock_guard lock(mutex_);
    return std::chrono::steady_clock::now() < silentUntil_;
}

QList<RequestFrame> Simulator::receivedFrames() const
{
    std::lock_guard lock(mutex_);
    return frames_;
}

void Simulator::clearReceivedFrames()
{
    std::lock_guard lock(mutex_);
    frames_.clear();
}

bool Simulator::waitForFrames(int count, std::chrono::milliseconds maxWait) const
{
    std::unique_lock lock(mutex_);
    return framesArrived_.wait_for(lock, maxWait, [&] { return frames_.size() >= count; });
}

std::chrono::steady_clock::time_point Simulator::lastAnswerWrittenAt() const
{
    std::lock_guard lock(mutex_);
    return lastAnswerAt_;
}

bool Simulator::hungUp() const
{
    std::lock_guard lock(mutex_);
    return hungUp_;
}

void Simulator::serve()
{
    // Only this thread reads or writes the master while it runs; it closes it only on a hang-up
    // request, and then stops.
    const int master = pty_.masterDescriptor();
    for (;;) {
        bool partial = false;
        {
            std::lock_guard lock(mutex_);
            partial = model_.hasPartialRequest();
        }
        pollfd fds[2] = {{master, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        const int ready = ::poll(fds, 2, partial ? kReceiveTimeoutMs : -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            std::lock_guard lock(mutex_);
            error_ = systemError("poll");
            return;
        }
        if (fds[1].revents != 0)
            return;
        if (ready == 0) {
            std::lock_guard lock(mutex_);
            model_.discardPartialRequest();
            continue;
        }
        if (fds[0].revents & POLLIN) {
            char buffer[kReadChunkBytes];
            const ssize_t got = ::read(master, buffer, sizeof buffer);
            if (got > 0 && handleInput(QByteArray(buffer, got)) == Delivery::Stop)
                return;
        } else if (!pause(std::chrono::milliseconds(kReceiveTimeoutMs))) {
            // A hang-up or error on the master cannot happen while our own slave descriptor is
            // open; should it happen anyway, do not spin on it.
            return;
        }
    }
}

Simulator::Delivery Simulator::handleInput(const QByteArray& received)
{
    QList<DeviceModel::Answer> answers;
    Misbehaviour how;
    bool restart = false;
    unmarkedBytes_ = received.size();
    {
        std::lock_guard lock(mutex_);
        if (std::chrono::steady_clock::now() < silentUntil_) {
            // Restarting: the device's receiver is not running yet, the bytes are lost.
            model_.discardPartialRequest();
            progress_ = {progress_.bytes + std::exchange(unmarkedBytes_, 0), std::chrono::steady_clock::now()};
            return Delivery::Done;
        }
        if (live_) {
            const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - liveSince_;
            model_.profile().readings = liveReadings(liveStart_, elapsed.count());
        }
        answers = model_.receive(received);
        restart = model_.firmware().takeRestartRequest();
        how = model_.misbehaviour();
        for (const DeviceModel::Answer& answer : answers)
            frames_.append(answer.request);
    }
    if (!answers.isEmpty())
        framesArrived_.notify_all();
    for (const DeviceModel::Answer& answer : answers) {
        if (!answer.bytes.isEmpty() && deliver(answer.bytes, how) == Delivery::Stop)
            return Delivery::Stop;
    }
    markTakenIn();
    if (restart) {
        // The acknowledgement of the closing frame is out; now the device boots its new image.
        std::lock_guard lock(mutex_);
        silentUntil_ = std::chrono::steady_clock::now() + restartDuration_;
        model_.discardPartialRequest();
        model_.misbehaviour().bootLoaderOnly = false; // it starts the image it just took
    }
    return Delivery::Done;
}

void Simulator::markTakenIn()
{
    if (unmarkedBytes_ == 0)
        return;
    std::lock_guard lock(mutex_);
    progress_ = {progress_.bytes + std::exchange(unmarkedBytes_, 0), std::chrono::steady_clock::now()};
}

Simulator::InputProgress Simulator::inputProgress() const
{
    std::lock_guard lock(mutex_);
    return progress_;
}

Simulator::Delivery Simulator::deliver(const QByteArray& bytes, const Misbehaviour& how)
{
    if (how.closeMidAnswer) {
        writeAll(bytes.constData(), std::max<qsizetype>(1, bytes.size() / 2));
        markTakenIn();
        std::lock_guard lock(mutex_);
        pty_.close();
        hungUp_ = true;
        return Delivery::Stop;
    }
    const qsizetype piece = how.pieceSize > 0 ? how.pieceSize : bytes.size();
    for (qsizetype at = 0; at < bytes.size(); at += piece) {
        if (at > 0 && !pause(how.pieceDelay))
            return Delivery::Stop;
        if (!writeAll(bytes.constData() + at, std::min(piece, bytes.size() - at)))
            return Delivery::Stop;
        // The device has reacted; the pauses between later pieces are its own slowness.
        markTakenIn();
    }
    std::lock_guard lock(mutex_);
    lastAnswerAt_ = std::chrono::steady_clock::now();
    return Delivery::Done;
}

bool Simulator::writeAll(const char* data, qsizetype size)
{
    const int master = pty_.masterDescriptor();
    while (size > 0) {
        const ssize_t written = ::write(master, data, static_cast<size_t>(size));
        if (written > 0) {
            data += written;
            size -= written;
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno != EAGAIN) {
            std::lock_guard lock(mutex_);
            error_ = systemError("write");
            return false;
        }
        // The tool is not reading and the line's buffer is full: wait until it takes more.
        pollfd fds[2] = {{master, POLLOUT, 0}, {wakeRead_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            return false;
        if (fds[1].revents != 0)
            return false;
    }
    return true;
}

bool Simulator::pause(std::chrono::milliseconds duration)
{
    pollfd wake{wakeRead_, POLLIN, 0};
    const auto until = std::chrono::steady_clock::now() + duration;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return true;
        const int ready = ::poll(&wake, 1, static_cast<int>(left.count()));
        if (ready > 0)
            return false;
        if (ready == 0)
            return true;
        if (errno != EINTR)
            return true;
    }
}

} // namespace sim
