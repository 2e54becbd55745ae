#pragma once
#include <QString>

namespace shell {

class DemoLine;
class Tool;

// The --demo run: a simulated TIKA V2 with slowly changing readings, served in this process (see
// DemoLine, which must be the tool's port and port listing) at COM<n>, so a new user sees the whole
// tool work without a device, on Linux and Windows alike. n is the lowest port number that no port
// of the machine holds. The demo starts only when asked; a normal run has no trace of it.
class Demo {
public:
    Demo(Tool& tool, DemoLine& line);
    ~Demo(); // stops the device
    Demo(const Demo&) = delete;
    Demo& operator=(const Demo&) = delete;

    // Starts the device, puts its port in the port list and connects to it, then says on the
    // status line what is running. False when every port number is taken (the status line says
    // so); the tool then runs as usual.
    bool start();
    // Stops the device (the tool sees the line hang up, as with an unplugged adapter). Harmless
    // when not running.
    void stop();

    bool running() const { return portNumber_ != 0; }
    int portNumber() const { return portNumber_; }

private:
    int freePortNumber() const;

    Tool& tool_;
    DemoLine& line_;
    int portNumber_ = 0;
};

} // namespace shell
