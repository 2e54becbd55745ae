#pragma once
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/PortListing.h"
#include "platform/Programs.h"
#include "platform/SerialPort.h"
#include <functional>
#include <memory>

namespace platform {

// Everything one unit of a production line does outside its memory: its own serial port, clock,
// event pump and programs. A unit runs on a thread of its own and makes its platform there, so
// none of these objects is ever touched by two threads; the clock in particular needs no lock.
class UnitPlatform {
public:
    virtual ~UnitPlatform() = default;
    virtual SerialPort& port() = 0;
    virtual Clock& clock() = 0;
    virtual EventPump& pump() = 0;
    virtual Programs& programs() = 0;
};

// Makes the platform of one unit on the unit's thread. unitPorts lists the unit's one port and
// outlives what is made (the serial port finds its device path through it).
using UnitPlatformMaker = std::function<std::unique_ptr<UnitPlatform>(PortListing& unitPorts)>;

// The port listing of one unit: its port alone.
class OnePortListing : public PortListing {
public:
    explicit OnePortListing(NumberedPort port) : port_(std::move(port)) {}
    QList<NumberedPort> ports() override { return {port_}; }
    QString devicePath(int portNumber) override { return portNumber == port_.portNumber ? port_.devicePath : QString(); }

private:
    const NumberedPort port_;
};

} // namespace platform
