#pragma once
// qmr51ctl on a production line of simulated devices: as CtlHarness.h, and every unit gets a
// platform of its own on its own thread (a paced clock that skips pauses, a port, a stand-in esptool
// that does to its module what the test says).
#include "CtlHarness.h"
#include "platform/UnitPlatform.h"

namespace ctl {

struct SimulatedUnit : platform::UnitPlatform {
    SimulatedUnit(platform::PortListing& ports, const std::function<sim::Simulator*(int)>& deviceOn)
        : line(ports, time.paced, deviceOn)
    {
    }
    platform::SerialPort& port() override { return line; }
    platform::Clock& clock() override { return time; }
    platform::EventPump& pump() override { return time; }
    platform::Programs& programs() override { return esptool; }
    SkippingTime time;
    fakes::PacedQtPort line;
    fakes::FakePrograms esptool;
};

struct LineCtl : Ctl {
    // What esptool does to the module on COM<n> (runs on the unit's thread); it returns esptool's
    // exit status. A port without an entry: esptool exits 0 and the module is as before.
    std::map<int, std::function<int()>> esptool;

    // A module that esptool gives firmware 25.0.1.3.
    sim::Simulator* addFlashable(int com, sim::DeviceKind kind = sim::DeviceKind::TikaV2)
    {
        sim::Simulator* module = add(com, kind);
        if (module)
            esptool[com] = [module] {
                module->changeProfile([](sim::DeviceProfile& d) { d.firmware = {25, 0, 1, 3}; });
                return 0;
            };
        return module;
    }

    LineCtl()
    {
        makeUnit = [this](platform::PortListing& ports) -> std::unique_ptr<platform::UnitPlatform> {
            auto unit = std::make_unique<SimulatedUnit>(ports, [this](int n) { return deviceOn(n); });
            const int com = ports.ports().first().portNumber;
            if (esptool.count(com)) {
                const std::function<int()> run = esptool.at(com);
                unit->esptool.onStart = [run, programs = &unit->esptool] { programs->nextRun.code = run(); };
            }
            return unit;
        };
    }

private:
    sim::Simulator* deviceOn(int n) { return byPort.count(n) ? byPort.at(n).get() : nullptr; }
};

} // namespace ctl
