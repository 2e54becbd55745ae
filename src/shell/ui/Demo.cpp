#include "shell/ui/Demo.h"
#include "device/ui/ConnectHandler.h"
#include "link/ui/PortList.h"
#include "platform/DemoLinks.h"
#include "shell/ui/Tool.h"
#include "sim/Simulator.h"
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>

namespace shell {

Demo::Demo(Tool& tool) : tool_(tool) {}

Demo::~Demo() { stop(); }

QString Demo::linkPath() const
{
    return portNumber_ == 0 ? QString()
                            : QDir(tool_.svc.programFolder).filePath(QStringLiteral("ports/COM%1").arg(portNumber_));
}

int Demo::freePortNumber() const { return platform::freeDemoPortNumber(tool_.svc.programFolder, tool_.svc.ports); }

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
    // The note before the link: a link without one would pass for the user's and outlive a crash.
    const bool noted = device->start() && platform::writeDemoNote(linkPath(), QCoreApplication::applicationPid());
    if (!noted || !device->linkAs(linkPath())) {
        const QString why = device->error().isEmpty()
            ? platform::demoNotePath(linkPath()) + QStringLiteral(" cannot be written")
            : device->error();
        status.setText(QStringLiteral("Demo: the simulated device could not be started: ") + why);
        if (noted)
            QFile::remove(platform::demoNotePath(linkPath()));
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
    device_->stop(); // removes the link while it still leads to the device
    device_.reset();
    QFile::remove(platform::demoNotePath(linkPath()));
    portNumber_ = 0;
}

} // namespace shell
