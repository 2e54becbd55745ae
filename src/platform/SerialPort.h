#pragma once
#include <QByteArray>
#include <QString>
#include <chrono>

namespace platform {

// One serial line to a device, addressed by its COM number (1..255). The line settings are
// fixed by the devices: 115200 baud, 8 data bits, no parity, 1 stop bit, no handshaking, RTS on.
// Bytes go through unchanged: no character-set conversion, byte 0 is an ordinary byte.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Opens COM<portNumber>. False when the port does not exist, is busy, or this object
    // already has a port open (the caller must close first); lastError() then says why.
    virtual bool open(int portNumber) = 0;
    virtual bool isOpen() const = 0;

    // Every byte received since the last read, possibly none. Never waits.
    virtual QByteArray readAll() = 0;

    // Queues the whole byte string for sending and returns. False when the port cannot take it.
    virtual bool write(const QByteArray& bytes) = 0;

    // Blocks until input is waiting, the port fails, or maxWait has passed. True when input is
    // waiting. Lets a reply be seen the moment it arrives without spinning the processor.
    virtual bool waitForInput(std::chrono::milliseconds maxWait) = 0;

    // True once the open port has failed under us (adapter unplugged, the other end hung up):
    // no more input will ever arrive on it.
    virtual bool hasFailed() const = 0;

    // What went wrong last, for a technician: the device path and the system's reason.
    virtual QString lastError() const = 0;

    // Closes the port. Harmless when nothing is open.
    virtual void close() = 0;
};

} // namespace platform
