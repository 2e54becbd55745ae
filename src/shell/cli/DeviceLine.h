#pragma once
#include "device/Session.h"
#include "shell/cli/Context.h"
#include <memory>

namespace shell::cli {

// The line to the one device a command works on: --port resolved to a COM number, the port opened
// and the device identified through a device session, exactly as the window connects.
class DeviceLine {
public:
    explicit DeviceLine(Context& context) : c_(context) {}

    // 0 once a device is connected; otherwise the failure was told and its exit code comes back:
    // usage error (a --port that is no port name, several devices for auto), no device.
    int connect();
    // For a forced upgrade of a device that no longer answers: --port must name one port; the
    // session takes `kind` on it without asking the device anything. 0, or the usage error told.
    int assume(device::DeviceKind kind);
    // Closes the line and connects to the same port again (after a firmware upgrade).
    int reconnect();

    // Only finds the COM number of `port` (one --port value, not auto) without opening it: 0 and
    // portNumber() set, or the failure told and its exit code.
    int resolve(const QString& port) { return resolvePort(port); }

    device::Session& session() { return *session_; }
    int portNumber() const { return portNumber_; }
    // "COM3 (/dev/ttyUSB0)"
    QString portName();

private:
    int resolvePort(const QString& port);
    int connectToResolvedPort();

    Context& c_;
    std::unique_ptr<platform::SerialPort> port_;
    std::unique_ptr<device::Session> session_;
    int portNumber_ = 0;
};

} // namespace shell::cli
