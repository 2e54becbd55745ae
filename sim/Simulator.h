#pragma once
#include "sim/DeviceModel.h"
#include "sim/PtyEndpoint.h"
#include <QList>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace sim {

// One simulated device on a pseudo-terminal, served by a thread of its own. The tool (or a test)
// opens devicePath() as its serial port. Every frame received is recorded; every setter may be
// called from any thread while the device serves.
class Simulator {
public:
    explicit Simulator(DeviceProfile profile);
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;
    ~Simulator(); // stops serving and closes the pseudo-terminal

    // Creates the pseudo-terminal and starts serving. False (error() says why) when the system
    // has no pseudo-terminal to give.
    bool start();
    // Also reachable as linkPath (a symbolic link, e.g. <program folder>/ports/COM7). Call after
    // start(); the link goes when the simulator stops.
    bool linkAs(const QString& linkPath);
    void stop();

    QString devicePath() const { return devicePath_; }
    QString error() const;

    void setMisbehaviour(const Misbehaviour& misbehaviour);
    // Changes the device's profile under the lock, e.g. [](DeviceProfile& p) { p.readingsStatus = 1; }.
    void changeProfile(const std::function<void(DeviceProfile&)>& change);
    DeviceProfile profile() const;
    // Readings move slowly from the current ones on (see liveReadings).
    void setLive(bool live);

    // Damage to firmware frames on the line (see FirmwareFaults); replaces the earlier choice.
    void setFirmwareFaults(const FirmwareFaults& faults);
    // How long a QMR51 stays silent while it restarts into an accepted image (3 s unless set);
    // whatever arrives meanwhile is lost.
    void setRestartDuration(std::chrono::milliseconds duration);
    // esptool's hard reset at the end of a flash (any thread): the device boots, hearing nothing
    // for bootDuration() (whatever arrives meanwhile is lost), then answers again, with
    // newFirmware when given (the flash installed another version).
    void hardReset(std::optional<FirmwareVersion> newFirmware = std::nullopt);
    // How long the device boots after a hard reset (1 s unless set).
    void setBootDuration(std::chrono::milliseconds duration);
    std::chrono::milliseconds bootDuration() const;
    // The image installed by the last accepted upgrade (empty before one).
    QByteArray installedImage() const;
    // True while the device restarts after an upgrade or boots after a hard reset.
    bool restarting() const;

    // Every frame received so far, in order (including those answered with silence).
    QList<RequestFrame> receivedFrames() const;
    void clearReceivedFrames();
    // Blocks until at least count frames were received or maxWait has passed; true when they were.
    bool waitForFrames(int count, std::chrono::milliseconds maxWait) const;

    // When the last byte of the latest answer went into the pseudo-terminal.
    std::chrono::steady_clock::time_point lastAnswerWrittenAt() const;
    // True once the pseudo-terminal was closed mid-answer on request (the device is gone).
    bool hungUp() const;

    // How many bytes from the line the device has taken in and reacted to (its answer, or the
    // first piece of a slow one, is out; or it chose to stay silent), and when it last did. A test
    // clock uses it to stand still while the device's thread waits for a busy machine to run it.
    struct InputProgress {
        qint64 bytes = 0;
        std::chrono::steady_clock::time_point at{};
    };
    InputProgress inputProgress() const;

private:
    enum class Delivery { Done, Stop };

    void serve();
    Delivery handleInput(const QByteArray& received);
    Delivery deliver(const QByteArray& bytes, const Misbehaviour& how);
    bool writeAll(const char* data, qsizetype size);
    // Counts the bytes of the input being handled as taken in, once per input.
    void markTakenIn();
    // Sleeps, but returns false at once when stop() is called meanwhile.
    bool pause(std::chrono::milliseconds duration);

    PtyEndpoint pty_;
    QString devicePath_;
    int wakeRead_ = -1; // stop() writes to wakeWrite_ so the serving thread's poll() returns
    int wakeWrite_ = -1;
    std::thread thread_;

    mutable std::mutex mutex_;
    mutable std::condition_variable framesArrived_;
    DeviceModel model_;
    bool live_ = false;
    std::array<double, 13> liveStart_{};
    std::chrono::steady_clock::time_point liveSince_;
    QList<RequestFrame> frames_;
    std::chrono::steady_clock::time_point lastAnswerAt_;
    bool hungUp_ = false;
    InputProgress progress_;
    qint64 unmarkedBytes_ = 0;
    std::chrono::milliseconds restartDuration_{3000};
    std::chrono::milliseconds bootDuration_{1000};
    std::chrono::steady_clock::time_point silentUntil_{};
    QString error_;
};

} // namespace sim
