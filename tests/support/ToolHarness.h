#pragma once
// The whole tool on a fake platform, window built offscreen. For the tests of window handlers.
#include "DeviceFrames.h"
#include "FakePlatform.h"
#include "device/ui/ConnectHandler.h"
#include "link/ui/PortHandlers.h"
#include "link/ui/PortList.h"
#include "shell/ui/Tool.h"
#include <QComboBox>
#include <QCoreApplication>
#include <initializer_list>

namespace fakes {

struct ToolHarness {
    FakePlatform p;
    shell::Tool tool{p.services};
    ToolHarness() { tool.Form_Load(); }

    // Puts "COM<n>:" in the port list and selects it, as the search would.
    void selectPort(int n)
    {
        tool.frm.cmbComPort->clear();
        comlink::addPortEntry(*tool.frm.cmbComPort, n, p.ports.devicePath(n));
        tool.frm.cmbComPort->setCurrentIndex(0);
    }
    // The device answers the next identification with these data bytes.
    void answerIdentify(const QByteArray& data) { p.port.replyToNextWrite({{replyFrame(86, data), 0.02}}); }
    void connect(int port, const QByteArray& identity)
    {
        selectPort(port);
        answerIdentify(identity);
        tool.connection().cmdOpenCom_Click();
        // The refresh starts once the connect's handler has returned, as it does in the window.
        QCoreApplication::processEvents();
    }
};

} // namespace fakes
