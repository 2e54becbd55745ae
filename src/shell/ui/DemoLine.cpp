#include "shell/ui/DemoLine.h"
#include "sim/DeviceProfile.h"
#include "sim/LiveReadings.h"
#include <algorithm>
#include <thread>

namespace shell {

DemoLine::DemoLine(platform::SerialPort& machinePort, platform::PortListing& machinePorts, platform::Clock& clock)
    : machinePort_(machinePort), machinePorts_(machinePorts), clock_(clock)
{
}

DemoLine::~DemoLine() = default;

void DemoLine::attach(int portNumber)
{
    device_ = std::make_unique<sim::DeviceModel>(sim::DeviceProfile::defaults(sim::DeviceKind::TikaV2));
    portNumber_ = portNumber;
    readingsAtStart_ = device_->profile().readings;
    attachedAtSeconds_ = clock_.elapsedSeconds();
}

void DemoLine::detach()
{
    device_.reset();
    portNumber_ = 0;
    answers_.clear();
}

bool DemoLine::open(int portNumber)
{
    if (isOpen()) {
        lastError_ = QStringLiteral("COM%1: already open").arg(portNumber);
        return false;
    }
    if (!device_ || portNumber != portNumber_)
        return machinePort_.open(portNumber);
    lastError_.clear();
    answers_.clear();
    device_->discardPartialRequest();
    simulatedOpen_ = true;
    return true;
}

QByteArray DemoLine::readAll() { return simulatedOpen_ ? std::exchange(answers_, QByteArray()) : machinePort_.readAll(); }

bool DemoLine::write(const QByteArray& bytes)
{
    if (!simulatedOpen_)
        return machinePort_.write(bytes);
    if (!device_) {
        lastError_ = QString::fromLatin1(kDevicePath) + QStringLiteral(": the line has hung up");
        return false;
    }
    device_->profile().readings = sim::liveReadings(readingsAtStart_, clock_.elapsedSeconds() - attachedAtSeconds_);
    for (const sim::DeviceModel::Answer& answer : device_->receive(bytes))
        answers_ += answer.bytes;
    return true;
}

bool DemoLine::waitForInput(std::chrono::milliseconds maxWait)
{
    if (!simulatedOpen_)
        return machinePort_.waitForInput(maxWait);
    // The device answers at once or not at all: nothing more comes while a caller waits.
    if (answers_.isEmpty())
        std::this_thread::sleep_for(maxWait);
    return !answers_.isEmpty();
}

bool DemoLine::hasFailed() const { return simulatedOpen_ ? !device_ : machinePort_.hasFailed(); }

QString DemoLine::lastError() const
{
    if (!lastError_.isEmpty() || simulatedOpen_)
        return lastError_;
    return machinePort_.lastError();
}

void DemoLine::close()
{
    simulatedOpen_ = false;
    answers_.clear();
    lastError_.clear();
    machinePort_.close();
}

QList<platform::NumberedPort> DemoLine::ports()
{
    QList<platform::NumberedPort> found = machinePorts_.ports();
    if (!device_)
        return found;
    found.append({portNumber_, QString::fromLatin1(kDevicePath), QStringLiteral("Simulated TIKA V2")});
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.portNumber < b.portNumber; });
    return found;
}

QString DemoLine::devicePath(int portNumber)
{
    if (device_ && portNumber == portNumber_)
        return QString::fromLatin1(kDevicePath);
    return machinePorts_.devicePath(portNumber);
}

} // namespace shell
