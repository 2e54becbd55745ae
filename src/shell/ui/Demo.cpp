#include "shell/ui/Demo.h"
#include "platform/DemoLinks.h"
#include "device/ui/ConnectHandler.h"
#include "link/ui/PortList.h"
#include "shell/ui/DemoLine.h"
#include "shell/ui/Tool.h"
#include <QComboBox>
#include <QLabel>

namespace shell {

Demo::Demo(Tool& tool, DemoLine& line) : tool_(tool), line_(line) {}

Demo::~Demo() { stop(); }

int Demo::freePortNumber() const
{
    // A real adapter keeps its number, and so does a user's link to one that is unplugged.
    return platform::freeDemoPortNumber(tool_.svc.programFolder, tool_.svc.ports);
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
    line_.attach(portNumber_);

    // As the port search would list it: the entry, with the device node as its tooltip.
    QComboBox& list = *tool_.frm.cmbComPort;
    comlink::addPortEntry(list, portNumber_, QString::fromLatin1(DemoLine::kDevicePath));
    list.setCurrentIndex(list.count() - 1);
    tool_.connection().connectSelectedPort();
    status.setText(QStringLiteral("Demo: a simulated TIKA V2 answers on COM%1 (%2); its readings change slowly. "
                                  "Start without --demo to work with a real device.")
                       .arg(portNumber_)
                       .arg(QString::fromLatin1(DemoLine::kDevicePath)));
    return true;
}

void Demo::stop()
{
    if (!running())
        return;
    line_.detach();
    portNumber_ = 0;
}

} // namespace shell
