#pragma once
#include "device/Session.h"
#include "view/ReadingsTable.h"
#include "platform/Services.h"
#include "shell/ui/FrmQMR51.h"
#include "shell/ui/RequestQueue.h"
#include <memory>

namespace comlink {
class PortHandlers;
class LineReturn;
}
namespace device {
class ConnectHandler;
class SettingsReadBack;
class SettingsSender;
}
namespace view {
class ReadingsPoll;
class SettingsEditor;
class ReadingsViews;
class ReadingsExport;
}
namespace diagnostics {
class DebugLogView;
class InputCounters;
}
namespace firmware {
class ModuleImages;
class UpgradeHandlers;
}

namespace shell {

class PortErrorReport;

// The running tool: the device session, the main window, and the handlers of every part of the
// window, wired to their controls. A handler reads its controls, calls the session or a flow on it,
// and shows the result; the handlers share the window and the session through this object.
class Tool {
public:
    explicit Tool(platform::Services& services);
    ~Tool();
    Tool(const Tool&) = delete;
    Tool& operator=(const Tool&) = delete;

    platform::Services& svc;
    device::Session session;
    // Every reading of this connection: the grid, the chart and the CSV export show it.
    view::ReadingsTable readings;
    FrmQMR51 frm{readings};

    // Every control that talks to the device takes its turn here.
    RequestQueue& requests() { return requests_; }

    comlink::PortHandlers& ports() { return *ports_; }
    // Connects again by itself when a line that went away comes back.
    comlink::LineReturn& lineReturn() { return *lineReturn_; }
    device::ConnectHandler& connection() { return *connection_; }
    device::SettingsReadBack& readBack() { return *readBack_; }
    device::SettingsSender& sender() { return *sender_; }
    view::ReadingsPoll& poll() { return *poll_; }
    view::SettingsEditor& editor() { return *editor_; }
    diagnostics::DebugLogView& debugLog() { return *debugLog_; }
    diagnostics::InputCounters& inputs() { return *inputs_; }
    firmware::UpgradeHandlers& upgrade() { return *upgrade_; }
    // The start-up refresh of the TIKA module images (runs on its own thread).
    firmware::ModuleImages& moduleImages() { return *moduleImages_; }
    // Grid or chart in the readings area; the CSV export; the status-line notes on port trouble.
    view::ReadingsViews& readingsViews() { return *readingsViews_; }
    view::ReadingsExport& readingsExport() { return *readingsExport_; }
    PortErrorReport& portErrors() { return *portErrors_; }

    // The window's load: grid, output-function lists, module images, caption.
    void Form_Load();
    // The window's unload: refresh and settings timer off, a one-second pause that keeps the window alive, then the
    // port closed. Errors on the way are ignored; the close is never refused.
    void Form_Unload();

private:
    RequestQueue requests_{session};
    std::unique_ptr<comlink::PortHandlers> ports_;
    std::unique_ptr<device::ConnectHandler> connection_;
    std::unique_ptr<device::SettingsReadBack> readBack_;
    std::unique_ptr<device::SettingsSender> sender_;
    std::unique_ptr<view::ReadingsPoll> poll_;
    std::unique_ptr<view::SettingsEditor> editor_;
    std::unique_ptr<diagnostics::DebugLogView> debugLog_;
    std::unique_ptr<diagnostics::InputCounters> inputs_;
    std::unique_ptr<firmware::UpgradeHandlers> upgrade_;
    std::unique_ptr<firmware::ModuleImages> moduleImages_;
    std::unique_ptr<view::ReadingsViews> readingsViews_;
    std::unique_ptr<view::ReadingsExport> readingsExport_;
    std::unique_ptr<PortErrorReport> portErrors_;
    std::unique_ptr<comlink::LineReturn> lineReturn_;
};

} // namespace shell
