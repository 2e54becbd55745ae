#include "shell/ui/Tool.h"
#include "device/ui/ConnectHandler.h"
#include "device/ui/SettingsReadBack.h"
#include "link/ui/PortHandlers.h"
#include "shell/Captions.h"
#include "shell/OutputFunctions.h"
#include "shell/Waits.h"
#include "view/ui/ReadingsGrid.h"
#include <QComboBox>

namespace shell {

Tool::Tool(platform::Services& services)
    : svc(services),
      serial(services.port, services.clock, services.pump, frm.TimeOut2),
      exchange(services.port, services.clock, services.pump, services.dialogs, state, frm.TimeOut),
      ports_(std::make_unique<comlink::PortHandlers>(*this)),
      connection_(std::make_unique<device::ConnectHandler>(*this)),
      readBack_(std::make_unique<device::SettingsReadBack>(*this))
{
    QObject::connect(&frm, &FrmQMR51::unloading, &frm, [this] { Form_Unload(); }, Qt::DirectConnection);
}

Tool::~Tool() = default;

void Tool::Form_Load()
{
    frm.grdInterfaces->InitGrid();
    for (QComboBox* list : frm.cmbOutSelector) {
        list->clear();
        for (const char* function : kOutputFunctions)
            list->addItem(QString::fromUtf8(function));
        list->setCurrentIndex(-1);
    }
    frm.setWindowTitle(startCaption());
}

void Tool::Form_Unload()
{
    frm.timScan.stop();
    frm.timTXSettings.stop();
    // A second for whatever the window still has to do (a click that is being handled, a repaint)
    // before the line goes down.
    waitHandlingEvents(svc.clock, svc.pump, frm.TimeOut2, 1.0f, std::chrono::milliseconds(100));
    state.ComPort = kNoConnection;
    svc.port.close();
    svc.pump.processEvents();
}

} // namespace shell
