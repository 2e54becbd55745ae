#pragma once
#include "platform/Clock.h"
#include "platform/PortListing.h"
#include "platform/SerialPort.h"
#include "sim/DeviceModel.h"
#include <array>
#include <memory>

namespace shell {

// The place of the --demo device on the machine: a simulated TIKA V2 served inside the program,
// behind the SerialPort and PortListing interfaces, so the demo needs no pseudo-terminal and no
// port link and runs the same on Linux and Windows. It stands in front of the machine's own port
// and listing, which it passes everything else to: while a device is attached at COM<n>, the
// listing shows COM<n> (device path kDevicePath) and opening port n opens the simulated line;
// every other number is the machine's. Without a device attached it only passes through.
//
// The device answers a request at once: its answer is waiting at the next read. Its readings
// move slowly, as a household meter's do (sim::liveReadings). Use from one thread.
class DemoLine : public platform::SerialPort, public platform::PortListing {
public:
    static constexpr const char* kDevicePath = "simulated in this program";

    // The readings move with `clock`'s elapsed time.
    DemoLine(platform::SerialPort& machinePort, platform::PortListing& machinePorts, platform::Clock& clock);
    ~DemoLine() override;

    // Puts a simulated TIKA V2 at COM<portNumber>; the number must be one no port of the machine has.
    void attach(int portNumber);
    // Takes the device away: an open line to it hangs up, as with an adapter pulled out.
    void detach();
    int portNumber() const { return portNumber_; }

    bool open(int portNumber) override;
    bool isOpen() const override { return simulatedOpen_ || machinePort_.isOpen(); }
    QByteArray readAll() override;
    bool write(const QByteArray& bytes) override;
    bool waitForInput(std::chrono::milliseconds maxWait) override;
    bool hasFailed() const override;
    QString lastError() const override;
    void close() override;

    QList<platform::NumberedPort> ports() override;
    QString devicePath(int portNumber) override;

private:
    platform::SerialPort& machinePort_;
    platform::PortListing& machinePorts_;
    platform::Clock& clock_;
    std::unique_ptr<sim::DeviceModel> device_;
    int portNumber_ = 0;          // 0: no device attached
    bool simulatedOpen_ = false;  // the simulated line is the open one
    QByteArray answers_;          // sent by the device, not read yet
    QString lastError_;
    std::array<double, 13> readingsAtStart_{};
    double attachedAtSeconds_ = 0;
};

} // namespace shell
