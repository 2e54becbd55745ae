#include "shell/ui/PortErrorReport.h"
#include "shell/PortErrorText.h"
#include "shell/ui/Tool.h"
#include <QLabel>

namespace shell {

PortErrorReport::PortErrorReport(Tool& tool) : tool_(tool) {}

void PortErrorReport::show(const QString& text)
{
    note_ = text;
    tool_.frm.statusLine->setText(text);
}

void PortErrorReport::afterOpenCom(std::uint8_t portNumber, std::optional<std::uint8_t> result)
{
    platform::SerialPort& port = tool_.svc.port;
    const QString path = tool_.svc.ports.devicePath(portNumber);
    const bool failed = result != portNumber || !port.isOpen() || port.hasFailed();
    if (!failed) {
        // An old note would blame a port that works now.
        if (!note_.isEmpty() && tool_.frm.statusLine->text() == note_)
            tool_.frm.statusLine->setText(portInUseText(portNumber, path));
        note_.clear();
        return;
    }
    if (port.isOpen() && !port.hasFailed()) {
        // OpenCom opens nothing that is open already: the port of a failed identification stays
        // open until the user picks a port again.
        show(portStillOpenText(portNumber, path));
        return;
    }
    show(portOpenFailedText(portNumber, path, port.lastError()));
}

void PortErrorReport::afterExchange()
{
    if (!tool_.exchange.lastExchangePortFailed() || !tool_.svc.port.isOpen())
        return;
    if (!tool_.state.ComPort)
        return;
    const std::uint8_t portNumber = *tool_.state.ComPort;
    show(portLostText(portNumber, tool_.svc.ports.devicePath(portNumber), tool_.svc.port.lastError()));
}

} // namespace shell
