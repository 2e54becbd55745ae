#include "shell/ui/Tool.h"
#include "device/ui/ConnectHandler.h"
#include "device/ui/SettingsReadBack.h"
#include "device/ui/SettingsSender.h"
#include "diagnostics/ui/DebugLogView.h"
#include "diagnostics/ui/InputCounters.h"
#include "firmware/ModuleImages.h"
#include "firmware/ui/UpgradeHandlers.h"
#include "link/ui/LineReturn.h"
#include "link/ui/PortHandlers.h"
#include "device/Captions.h"
#include "shell/OutputFunctions.h"
#include "shell/ui/PortErrorReport.h"
#include "view/ui/ReadingsExport.h"
#include "view/ui/ReadingsGrid.h"
#include "view/ui/ReadingsViews.h"
#include "view/ui/ReadingsPoll.h"
#include "view/ui/SettingsEditor.h"
#include <QComboBox>

namespace shell {

Tool::Tool(platform::Services& services)
    : svc(services),
      session(services.port, services.ports, services.clock, services.pump),
      ports_(std::make_unique<comlink::PortHandlers>(*this)),
      connection_(std::make_unique<device::ConnectHandler>(*this)),
      readBack_(std::make_unique<device::SettingsReadBack>(*this)),
      sender_(std::make_unique<device::SettingsSender>(*this)),
      poll_(std::make_unique<view::ReadingsPoll>(*this)),
      editor_(std::make_unique<view::SettingsEditor>(*this)),
      debugLog_(std::make_unique<diagnostics::DebugLogView>(*this)),
      inputs_(std::make_unique<diagnostics::InputCounters>(*this)),
      upgrade_(std::make_unique<firmware::UpgradeHandlers>(*this)),
      moduleImages_(std::make_unique<firmware::ModuleImages>(services.transfer, services.servers.moduleImageBaseUrl,
                                                             services.programFolder)),
      readingsViews_(std::make_unique<view::ReadingsViews>(frm)),
      readingsExport_(std::make_unique<view::ReadingsExport>(*this)),
      portErrors_(std::make_unique<PortErrorReport>(*this)),
      lineReturn_(std::make_unique<comlink::LineReturn>(*this))
{
    QObject::connect(&frm, &FrmQMR51::unloading, &frm, [this] { Form_Unload(); }, Qt::DirectConnection);
    // The log holds the readings of this connection only.
    QObject::connect(&session, &device::Session::stateChanged, &frm, [this](auto now, auto before) {
        if (now == device::Session::State::Connected && before == device::Session::State::Connecting)
            readings.clear();
    });
}

Tool::~Tool() = default;

void Tool::Form_Load()
{
    frm.grdInterfaces->InitGrid();
    frm.fitWidthToGrid();
    for (QComboBox* list : frm.cmbOutSelector) {
        list->clear();
        for (const char* function : kOutputFunctions)
            list->addItem(QString::fromUtf8(function));
        list->setCurrentIndex(-1);
    }
    // Fresh module images for a later TIKA flash; the window does not wait for them.
    moduleImages_->start();
    frm.setWindowTitle(device::startCaption());
}

void Tool::Form_Unload()
{
    lineReturn_->cancel();
    poll_->hold(true);
    frm.timTXSettings.stop();
    // A second for whatever the window still has to do (a click that is being handled, a repaint)
    // before the line goes down.
    session.waits().countDown(1.0, std::chrono::milliseconds(100));
    session.close();
    svc.pump.processEvents();
}

} // namespace shell
