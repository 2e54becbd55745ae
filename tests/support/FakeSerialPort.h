#pragma once
#include "FakeClock.h"
#include "platform/SerialPort.h"
#include <QList>
#include <functional>
#include <set>

namespace fakes {

// A scripted serial port tied to a fake clock. Bytes are scheduled to arrive at a moment; a wait
// for input moves the clock to the next arrival (or by the whole wait), so time-outs cost no real
// time. A test can fail the next open or write, make the port vanish, and read back every write.
class FakeSerialPort : public platform::SerialPort {
public:
    // Bytes that arrive afterSeconds after the write that triggered them (or after now, for feed()).
    struct Arrival { QByteArray bytes; double afterSeconds = 0; };
    // Called with each written frame; returns what the "device" sends back and when.
    using Responder = std::function<QList<Arrival>(const QByteArray& written)>;

    explicit FakeSerialPort(FakeClock& clock) : clock_(clock) {}

    bool open(int portNumber) override;
    bool isOpen() const override { return open_; }
    QByteArray readAll() override;
    bool write(const QByteArray& bytes) override;
    bool waitForInput(std::chrono::milliseconds maxWait) override;
    bool hasFailed() const override { return open_ && vanished_; }
    QString lastError() const override { return lastError_; }
    void close() override { open_ = false; }

    // Bytes that arrive afterSeconds from now.
    void feed(const QByteArray& bytes, double afterSeconds = 0);
    // Replies to the next write(s): each write pops the front entry of this queue.
    void replyToNextWrite(QList<Arrival> arrivals) { scripted_.append(arrivals); }

    Responder responder;            // used when no scripted reply is queued
    std::set<int> existingPorts{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    bool failNextOpen = false, failWrites = false;
    int bytesPerRead = 0;           // 0: a read takes everything that has arrived
    void vanish() { vanished_ = true; }

    QList<QByteArray> writes;
    QList<int> opened;
    int reads = 0;

private:
    struct Pending { double at; QByteArray bytes; };
    void deliverDue();

    FakeClock& clock_;
    bool open_ = false, vanished_ = false;
    QString lastError_;
    QList<QList<Arrival>> scripted_;
    QList<Pending> pending_;
    QByteArray arrived_;
};

} // namespace fakes
