#include "platform/QtSerialPort.h"
#include <QMetaObject>

namespace platform {

namespace {

constexpr qint32 kBaudRate = 115200;
// Reads that bring nothing although the system said "readable": the line has hung up.
constexpr int kEmptyReadsOfAHungUpLine = 3;

int milliseconds(std::chrono::steady_clock::duration d)
{
    return static_cast<int>(std::max<long long>(0, std::chrono::ceil<std::chrono::milliseconds>(d).count()));
}

} // namespace

QtSerialPort::QtSerialPort(PortListing& listing) : listing_(listing)
{
    QObject::connect(&port_, &QSerialPort::errorOccurred, &port_,
                     [this](QSerialPort::SerialPortError error) { onError(error); });
    QObject::connect(&port_, &QSerialPort::readyRead, &port_, [this] { emptyReadsInARow_ = 0; });
}

QtSerialPort::~QtSerialPort() { close(); }

void QtSerialPort::onError(QSerialPort::SerialPortError error)
{
    if (!open_ || failed_)
        return;
    switch (error) {
    case QSerialPort::ResourceError:
        markFailed(QStringLiteral("the device is gone (%1)").arg(port_.errorString()));
        break;
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
        // A hung-up line: poll() says readable, read() returns nothing. The errno Qt reports
        // then is stale, so the reason is stated here.
        if (++emptyReadsInARow_ >= kEmptyReadsOfAHungUpLine)
            markFailed(QStringLiteral("the line has hung up"));
        break;
    default:
        break;
    }
}

void QtSerialPort::markFailed(const QString& reason)
{
    failed_ = true;
    lastError_ = devicePath_ + QStringLiteral(": ") + reason;
    // Closing the QSerialPort inside its own error signal would pull the buffer from under the
    // read that raised it; it is released right after, or on the next call here.
    QMetaObject::invokeMethod(&port_, [this] { releaseFailedPort(); }, Qt::QueuedConnection);
}

void QtSerialPort::releaseFailedPort()
{
    if (!failed_ || !port_.isOpen())
        return;
    keptInput_.append(port_.readAll());
    port_.close();
}

QSerialPort::SerialPortError QtSerialPort::takeError()
{
    const QSerialPort::SerialPortError error = port_.error();
    if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError && !failed_)
        lastError_ = devicePath_ + QStringLiteral(": ") + port_.errorString();
    if (error != QSerialPort::NoError)
        port_.clearError();
    if (failed_)
        releaseFailedPort();
    return error;
}

bool QtSerialPort::open(int portNumber)
{
    if (open_) {
        lastError_ = devicePath_ + QStringLiteral(": already open");
        return false;
    }
    const QString path = listing_.devicePath(portNumber);
    if (path.isEmpty()) {
        lastError_ = QStringLiteral("COM%1: no such port").arg(portNumber);
        return false;
    }
    devicePath_ = path;
    keptInput_.clear();
    failed_ = false;
    // A reason from an earlier port would be quoted for this one.
    lastError_.clear();
    emptyReadsInARow_ = 0;

    // Every setting first; the open comes last and applies them.
    port_.setPortName(path);
    port_.setBaudRate(kBaudRate);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadWrite)) {
        lastError_ = path + QStringLiteral(": ") + port_.errorString();
        port_.clearError();
        return false;
    }
    // The devices want RTS raised. A pseudo-terminal (the simulator, a network bridge) has no
    // modem lines and refuses the request; that is harmless, the line works without them.
    port_.setRequestToSend(true);
    port_.clearError();
    open_ = true;
    return true;
}

QByteArray QtSerialPort::readAll()
{
    if (!open_)
        return {};
    if (!failed_ && port_.bytesAvailable() == 0) {
        // A zero wait takes in whatever the system holds, without waiting for more.
        port_.waitForReadyRead(0);
        takeError();
    }
    QByteArray bytes = std::exchange(keptInput_, QByteArray());
    if (port_.isOpen())
        bytes.append(port_.readAll());
    return bytes;
}

bool QtSerialPort::write(const QByteArray& bytes)
{
    if (!open_ || failed_) {
        if (!open_)
            lastError_ = QStringLiteral("write: no port open");
        return false;
    }
    if (port_.write(bytes) != bytes.size()) {
        takeError();
        return false;
    }
    // QSerialPort passes queued bytes on from the event loop; the exchange may not run it before
    // it waits, so the request is handed to the system now. What the system cannot take yet goes
    // out during the next wait.
    port_.waitForBytesWritten(0);
    takeError();
    return !failed_;
}

bool QtSerialPort::waitForInput(std::chrono::milliseconds maxWait)
{
    if (!open_)
        return false;
    if (hasInput())
        return true;
    const auto deadline = std::chrono::steady_clock::now() + maxWait;
    while (!failed_) {
        if (port_.waitForReadyRead(milliseconds(deadline - std::chrono::steady_clock::now())))
            return true;
        // Only a read that brought nothing (counted by onError towards a hang-up) is worth
        // another wait; a time-out or any other trouble ends this one.
        const QSerialPort::SerialPortError error = takeError();
        if (error != QSerialPort::ReadError && error != QSerialPort::WriteError)
            break;
        if (std::chrono::steady_clock::now() >= deadline)
            break;
    }
    return hasInput();
}

void QtSerialPort::close()
{
    if (port_.isOpen())
        port_.close();
    port_.clearError();
    open_ = false;
    failed_ = false;
    keptInput_.clear();
    emptyReadsInARow_ = 0;
}

} // namespace platform
