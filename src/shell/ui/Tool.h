#pragma once
#include "link/CommandExchange.h"
#include "link/SerialLink.h"
#include "platform/Services.h"
#include "shell/AppState.h"
#include "shell/ui/FrmQMR51.h"
#include <memory>

namespace comlink {
class PortHandlers;
}
namespace device {
class ConnectHandler;
class SettingsReadBack;
}

namespace shell {

// The running tool: the shared state, the main window, the line to the device, and the handlers
// of every part of the window, wired to their controls. Each handler reaches the others through
// this object, the way the window's own handlers would call each other.
class Tool {
public:
    explicit Tool(platform::Services& services);
    ~Tool();
    Tool(const Tool&) = delete;
    Tool& operator=(const Tool&) = delete;

    platform::Services& svc;
    AppState state;
    FrmQMR51 frm;
    comlink::SerialLink serial;
    comlink::CommandExchange exchange;

    comlink::PortHandlers& ports() { return *ports_; }
    device::ConnectHandler& connection() { return *connection_; }
    device::SettingsReadBack& readBack() { return *readBack_; }

    // The window's load: grid, output-function lists, module images, caption.
    void Form_Load();
    // The window's unload: timers off, a one-second pause that keeps the window alive, then the
    // port closed. Errors on the way are ignored; the close is never refused.
    void Form_Unload();

private:
    std::unique_ptr<comlink::PortHandlers> ports_;
    std::unique_ptr<device::ConnectHandler> connection_;
    std::unique_ptr<device::SettingsReadBack> readBack_;
};

} // namespace shell
