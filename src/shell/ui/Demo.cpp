#include "shell/ui/Demo.h"
#include "device/ui/ConnectHandler.h"
#include "link/ui/PortList.h"
#include "shell/ui/Tool.h"
#include "sim/Simulator.h"
#include <QComboBox>
#include <QDir>
#include <QLabel>

namespace shell {

namespace {
constexpr int kHighestPort = 255;
}

Demo::Demo(Tool& tool) : tool_(tool) {}

Demo::~Demo() { stop(); }

QString Demo::linkPath() const
{
    return portNumber_ == 0 ? QString()
                            : QDir(tool_.svc.programFolder).filePath(QStringLiteral("ports/COM%1").arg(portNumber_));
}

int Demo::freePortNumber() const
{
    // A real adapter keeps its number: the demo takes one that nothing answers to.
    for (int n = 1; n <= kHighestPort; ++n) {
        if (tool_.svc.ports.devicePath(n).isEmpty())
            return n;
    }
    return 0;
}

bool Demo::start()
{
    if (running())
        return true;
    auto& status = *tool_.frm.statusLine;
    portNumber_ = freePortNumber();
    if (portNumber_ == 0) {
        status.setText(QStringLiteral("Demo: every port number 1-255 is taken; no demo device was started."));
        return false;
    }
    auto device = std::make_unique<sim::Simulator>(sim::DeviceProfile::defaults(sim::DeviceKind::TikaV2));
    if (!device->start() || !device->linkAs(linkPath())) {
        status.setText(QStringLiteral("Demo: the simulated device could not be started: ") + device->error());
        portNumber_ = 0;
        return false;
    }
    device->setLive(true);
    device_ = std::move(device);

    // As the port search would list it: the entry, with the device node as its tooltip.
    QComboBox& list = *tool_.frm.cmbComPort;
    comlink::addPortEntry(list, portNumber_, device_->devicePath());
    list.setCurrentIndex(list.count() - 1);
    tool_.connection().connectSelectedPort();
    status.setText(QStringLiteral("Demo: a simulated TIKA V2 answers on COM%1 (%2); its readings change slowly. "
                                  "Start without --demo to work with a real device.")
                       .arg(portNumber_)
                       .arg(device_->devicePath()));
    return true;
}

void Demo::stop()
{
    if (!device_)
        return;
    device_->stop();
    device_.reset();
    portNumber_ = 0;
}

} // namespace shell
