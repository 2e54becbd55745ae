#pragma once
#include "device/DeviceKind.h"
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

    // Outcome in AppState: ComPort = port number and DeviceType set on success; no ComPort, no
    // DeviceType and ConnectFailed when the port could not be opened or no device answered. No message box either
    // way: the caption ending in " ----" is the report.
    void cmdOpenCom_Click();

private:
    void notOpened();
    void noDevice();
    void applyLayoutOf(device::DeviceKind kind);

    shell::Tool& tool_;
};

} // namespace device
