#include "shell/ui/PortErrorReport.h"
#include "shell/PortErrorText.h"
#include "shell/ui/Tool.h"
#include <QLabel>

namespace shell {

PortErrorReport::PortErrorReport(Tool& tool) : tool_(tool)
{
    QObject::connect(&tool_.session, &device::Session::stateChanged, &tool_.frm, [this](device::Session::State now) {
        if (now == device::Session::State::LineLost)
            lineLost();
    });
}

void PortErrorReport::show(const QString& text)
{
    note_ = text;
    tool_.frm.statusLine->setText(text);
}

void PortErrorReport::afterOpen(std::uint8_t portNumber, bool opened)
{
    platform::SerialPort& port = tool_.svc.port;
    const QString path = tool_.session.devicePath(portNumber);
    if (opened) {
        // An old note would blame a port that works now.
        if (!note_.isEmpty() && tool_.frm.statusLine->text() == note_)
            tool_.frm.statusLine->setText(portInUseText(portNumber, path));
        note_.clear();
        return;
    }
    if (port.isOpen() && !port.hasFailed()) {
        // Nothing that is open is opened again: the port of a failed identification stays open
        // until the user picks a port again.
        show(portStillOpenText(portNumber, path));
        return;
    }
    show(portOpenFailedText(portNumber, path, port.lastError()));
}

void PortErrorReport::lineLost()
{
    const std::uint8_t portNumber = *tool_.session.portNumber();
    show(portLostText(portNumber, tool_.session.devicePath(portNumber), tool_.svc.port.lastError()));
}

} // namespace shell
