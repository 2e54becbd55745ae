#pragma once
#include "platform/QtClock.h"
#include "platform/QtEventPump.h"
#include "platform/QtPrograms.h"
#include "platform/QtSerialPort.h"
#include "platform/UnitPlatform.h"

namespace platform {

// The real platform of one unit: Qt's serial port, a steady clock, an event pump and esptool
// through QProcess, all made on the unit's thread and used there alone.
class QtUnitPlatform : public UnitPlatform {
public:
    explicit QtUnitPlatform(PortListing& unitPorts) : port_(unitPorts) {}
    SerialPort& port() override { return port_; }
    Clock& clock() override { return clock_; }
    EventPump& pump() override { return pump_; }
    Programs& programs() override { return programs_; }

    static UnitPlatformMaker maker()
    {
        return [](PortListing& unitPorts) { return std::make_unique<QtUnitPlatform>(unitPorts); };
    }

private:
    QtSerialPort port_;
    QtClock clock_;
    QtEventPump pump_;
    QtPrograms programs_;
};

} // namespace platform
