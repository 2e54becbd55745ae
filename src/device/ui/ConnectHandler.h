#pragma once
#include "device/DeviceKind.h"
#include <QObject>
#include <QString>

namespace shell {
class Tool;
}

namespace device {

// Connecting to the device on the port chosen in the port list: open and drain the port, ask the
// device who it is (command 86), and switch the window to that kind of device. The identification
// answer carries the device's complete settings too, so one request is all a connect sends.
class ConnectHandler {
public:
    explicit ConnectHandler(shell::Tool& tool);

    void cmdOpenCom_Click();
    // Connects the session to the port chosen in the list and shows the device (the Open button,
    // the port search, the reconnect after an upgrade). No message box either way: the caption
    // ending in " ----" is the report of a port that could not be opened or had no device.
    void connectSelectedPort();

    // Nothing connected (no port, no device, closed): the caption ending in " ----", the Open
    // button, nothing to use. Shown whenever the session is Closed.
    void notConnected();

private:
    // A device answered: Close, the settings, refresh, Upgrade and Debug; not Open or Force upgrade.
    void showConnected();
    void applyLayoutOf(device::DeviceKind kind);
    // The country buttons as the device's protocol implies (they name the grid's tariff).
    void showCountryOfProtocol(int protocolPosition);

    shell::Tool& tool_;
    QObject connections_;
};

} // namespace device
