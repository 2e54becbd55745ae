#include "link/ui/LineReturn.h"
#include "device/Captions.h"
#include "device/ui/ConnectHandler.h"
#include "link/ui/PortList.h"
#include "shell/ui/Tool.h"
#include <QComboBox>

namespace comlink {

LineReturn::LineReturn(shell::Tool& tool) : tool_(tool)
{
    timReturn_.setInterval(kLookMs);
    QObject::connect(&tool_.session, &device::Session::stateChanged, &connections_, [this](device::Session::State now) {
        if (now == device::Session::State::LineLost)
            lineLost();
    });
    QObject::connect(&timReturn_, &QTimer::timeout, &connections_, [this] { look(); });
}

void LineReturn::cancel()
{
    timReturn_.stop();
    port_.reset();
}

void LineReturn::lineLost()
{
    // The session let the dead line go (the refresh stopped with it): the same device node can be
    // opened again when it returns. A settings change must not go to it meanwhile.
    tool_.frm.timTXSettings.stop();
    port_ = tool_.session.portNumber();
    attemptsLeft_ = kAttempts;
    timReturn_.start();
}

void LineReturn::look()
{
    // A look that finds the line taken (a click's request, a connect) waits for the next tick.
    if (port_)
        tool_.requests().runIfFree([this] { lookNow(); });
}

void LineReturn::lookNow()
{
    const std::uint8_t port = *port_;
    // The node of an unplugged adapter is gone until it is plugged back in.
    if (tool_.session.devicePath(port).isEmpty())
        return;
    if (comlink::selectedPortNumber(*tool_.frm.cmbComPort) != port) {
        cancel();
        return;
    }
    const QByteArray serialBefore = tool_.session.serial();
    tool_.connection().connectSelectedPort();
    auto& status = *tool_.frm.statusLine;
    if (tool_.session.kind()) {
        cancel();
        const QString device = QStringLiteral("%1 s/n:%2").arg(device::displayName(*tool_.session.kind()),
                                                                 QString::fromLatin1(tool_.session.serial()));
        status.setText(tool_.session.serial() == serialBefore
                           ? QStringLiteral("COM%1 is back: connected again to %2.").arg(port).arg(device)
                           : QStringLiteral("COM%1 is back with another device: connected to %2.").arg(port).arg(device));
        return;
    }
    // Nothing answered yet: let the port go and try again, a few times.
    tool_.session.releaseLine();
    if (--attemptsLeft_ > 0)
        return;
    cancel();
    status.setText(QStringLiteral("COM%1 is back, but no device answers on it. Press Open to try again.").arg(port));
}

} // namespace comlink
