#pragma once
#include "platform/PortListing.h"
#include "platform/SerialPort.h"
#include <QSerialPort>

namespace platform {

// The serial line through Qt's QSerialPort. COM<n> is found through the port listing given at
// construction (which must outlive this object). The line is set to 115200 baud, 8 data bits, no
// parity, 1 stop bit and no flow control before it is opened; RTS is raised after the open.
//
// QSerialPort normally moves bytes in the background of the event loop. The tool's command
// exchange waits without handling events, so every operation here moves the bytes itself:
// readAll() takes what the system holds without waiting, write() hands the bytes to the system at
// once, waitForInput() sleeps in the system until input comes.
//
// A line that hangs up (a pseudo-terminal whose other end closed, an adapter pulled out) reports
// "readable" for ever while every read brings nothing. Three such reads in a row, or Qt's
// ResourceError, mark the port as failed; it is then released underneath (so the event loop does
// not spin on it) while isOpen() stays true until close().
class QtSerialPort : public SerialPort {
public:
    explicit QtSerialPort(PortListing& listing);
    ~QtSerialPort() override;

    bool open(int portNumber) override;
    bool isOpen() const override { return open_; }
    QByteArray readAll() override;
    bool write(const QByteArray& bytes) override;
    bool waitForInput(std::chrono::milliseconds maxWait) override;
    bool hasFailed() const override { return failed_; }
    QString lastError() const override { return lastError_; }
    void close() override;

private:
    void onError(QSerialPort::SerialPortError error);
    // After a Qt call: a time-out is ordinary, anything else is remembered for lastError().
    QSerialPort::SerialPortError takeError();
    void markFailed(const QString& reason);
    // Closes the QSerialPort of a failed line, keeping the bytes it had already taken in.
    void releaseFailedPort();
    bool hasInput() const { return !keptInput_.isEmpty() || (port_.isOpen() && port_.bytesAvailable() > 0); }

    PortListing& listing_;
    QSerialPort port_;
    QString devicePath_;
    QString lastError_;
    QByteArray keptInput_;
    bool open_ = false;
    bool failed_ = false;
    int emptyReadsInARow_ = 0;
};

} // namespace platform
