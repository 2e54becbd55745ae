#pragma once
#include "LinkedPortsOnly.h"
// The whole tool on its real line (QtSerialPort, the system's port listing, the real event pump and
// a steady clock paced by the simulated devices, see PacedLine.h) with fakes for the dialogs,
// transfers and programs, so a test sees every message. The program folder is a temporary one;
// simulated devices are offered to it as ports/COM<n> links.
#include "FakePlatform.h"
#include "PacedLine.h"
#include "device/ui/ConnectHandler.h"
#include "link/ui/PortHandlers.h"
#include "platform/QtClock.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "platform/SystemPortListing.h"
#include "shell/ui/Tool.h"
#include "sim/Simulator.h"
#include <QDir>
#include <QTemporaryDir>
#include <memory>

namespace fakes {

struct RealLineHarness {
    QTemporaryDir folder;
    LinkedPortsOnly ports{folder.path()};
    // The devices outlive the tool: the paced port may still name one while the tool closes.
    std::vector<std::unique_ptr<sim::Simulator>> devices;
    platform::QtSerialPort realPort{ports};
    PacedClock clock;
    std::map<int, sim::Simulator*> devicesByPort;
    PacedPort port{realPort, clock, [this](int n) { return devicesByPort.count(n) ? devicesByPort.at(n) : nullptr; }};
    platform::QtEventPump pump;
    FakeDialogs dialogs;
    FakeFileTransfer transfer;
    FakePrograms programs;
    platform::Services services{port, ports, clock, pump, dialogs, transfer, programs, folder.path(),
                                {{QStringLiteral("127.0.0.1"), QStringLiteral("tester"), QStringLiteral("Tq4wZn7KbP")},
                                 QStringLiteral("http://127.0.0.1:1")}};
    std::unique_ptr<shell::Tool> tool;

    RealLineHarness() { QDir(folder.path()).mkpath(QStringLiteral("ports")); }

    // A simulated device reachable as COM<n>; nullptr when no pseudo-terminal could be had.
    sim::Simulator* addDevice(int comNumber, sim::DeviceProfile profile, sim::Misbehaviour how = {})
    {
        auto device = std::make_unique<sim::Simulator>(std::move(profile));
        if (!device->start() || !device->linkAs(folder.path() + QStringLiteral("/ports/COM%1").arg(comNumber)))
            return nullptr;
        device->setMisbehaviour(how);
        devicesByPort[comNumber] = device.get();
        devices.push_back(std::move(device));
        return devices.back().get();
    }
    shell::Tool& start()
    {
        tool = std::make_unique<shell::Tool>(services);
        tool->Form_Load();
        return *tool;
    }
};

} // namespace fakes
