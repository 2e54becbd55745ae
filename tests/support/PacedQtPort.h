#pragma once
// The tool's real serial port to simulated devices, telling the paced clock (PacedLine.h) about
// every request it writes.
#include "PacedLine.h"
#include "platform/QtSerialPort.h"

namespace fakes {

struct RealQtPort {
    explicit RealQtPort(platform::PortListing& listing) : real(listing) {}
    platform::QtSerialPort real;
};

struct PacedQtPort : RealQtPort, PacedPort {
    PacedQtPort(platform::PortListing& listing, PacedClock& clock, std::function<sim::Simulator*(int)> deviceOn)
        : RealQtPort(listing), PacedPort(real, clock, std::move(deviceOn))
    {
    }
};

} // namespace fakes
