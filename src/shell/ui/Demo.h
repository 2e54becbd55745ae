#pragma once
#include <QString>
#include <memory>

namespace sim {
class Simulator;
}

namespace shell {

class Tool;

// The --demo run: a simulated TIKA V2 with slowly changing readings, served in this process on a
// pseudo-terminal and offered to the tool as a port link <program folder>/ports/COM<n>, so a new
// user sees the whole tool work without a device. n is the lowest port number that no port of the
// machine holds and no entry of ports/ names (platform/DemoLinks.h: the link's note, and the
// clean-up after a demo that was killed). The demo starts only when asked; a normal run has no
// trace of it.
class Demo {
public:
    explicit Demo(Tool& tool);
    ~Demo(); // stops the device and removes its link
    Demo(const Demo&) = delete;
    Demo& operator=(const Demo&) = delete;

    // Starts the device, puts its port in the port list and connects to it, then says on the
    // status line what is running. False when the system gives no pseudo-terminal or the link
    // cannot be made (the status line says why); the tool then runs as usual.
    bool start();
    // Stops the device (the tool sees the line hang up, as with an unplugged adapter) and removes
    // its link. Harmless when not running.
    void stop();

    bool running() const { return device_ != nullptr; }

    int portNumber() const { return portNumber_; }
    QString linkPath() const;

private:
    int freePortNumber() const;

    Tool& tool_;
    std::unique_ptr<sim::Simulator> device_;
    int portNumber_ = 0;
};

} // namespace shell
