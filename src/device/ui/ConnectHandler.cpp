#include "device/ui/ConnectHandler.h"
#include "device/Identification.h"
#include "device/ui/SettingsReadBack.h"
#include "link/Commands.h"
#include "link/PortSearch.h"
#include "shell/Captions.h"
#include "shell/ui/PortErrorReport.h"
#include "shell/ui/Tool.h"
#include "view/ui/ReadingsGrid.h"
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace device {

ConnectHandler::ConnectHandler(shell::Tool& tool) : tool_(tool)
{
    QObject::connect(tool_.frm.cmdOpenCom, &QPushButton::clicked, &tool_.frm, [this] { cmdOpenCom_Click(); });
}

void ConnectHandler::cmdOpenCom_Click()
{
    auto& f = tool_.frm;
    auto& state = tool_.state;
    state.DeviceType.reset();

    const std::optional<int> port = comlink::portNumberOfEntry(f.cmbComPort->currentText());
    if (!port) {
        // A number past 255 names no port this tool can address; it must not wrap round to another.
        state.ComPort.reset();
        state.ConnectFailed = true;
        notOpened();
        return;
    }
    state.ComPort = tool_.serial.OpenCom(static_cast<std::uint8_t>(*port));
    state.ConnectFailed = !state.ComPort;
    tool_.portErrors().afterOpenCom(static_cast<std::uint8_t>(*port), state.ComPort);
    if (!state.ComPort) {
        notOpened();
        return;
    }

    const QByteArray reply = tool_.exchange.SendCommand(comlink::kIdentify, QByteArray());
    tool_.portErrors().afterExchange();
    const Identification id = identifyDevice(reply);
    if (!id.deviceFound) {
        noDevice();
        return;
    }
    state.FwVersion = id.fwVersion;
    state.DeviceType = id.kind;
    f.setWindowTitle(shell::connectedCaption(id.serial, *port, id.kind, id.fwVersion));

    applyLayoutOf(id.kind);
    f.cmdOpenCom->hide();
    f.cmdCloseCom->show();
    f.fraSettings->show();
    if (device::isTika(id.kind)) {
        f.grdInterfaces->applyDeviceLayout(id.kind == device::DeviceKind::TikaV2 ? view::ReadingsGrid::DeviceLayout::TikaV2
                                                                            : view::ReadingsGrid::DeviceLayout::TikaV1);
        // A module polls its meter itself and keeps no interval of its own.
        f.interval->spin()->setValue(5);
        f.interval->setEnabled(false);
    } else {
        f.grdInterfaces->applyDeviceLayout(view::ReadingsGrid::DeviceLayout::Qmr51);
        f.interval->setEnabled(true);
    }

    tool_.readBack().load(reply, id.kind);
    // Loading the controls armed the settings timer; the values just read must not go back.
    f.timTXSettings.stop();
    f.timScan.start(f.interval->spin()->value() * 1000);

    f.cmdUpgrade->show();
    f.cmdDebug->show();
    f.grdInterfaces->cutToHeadingRow();
    f.cmdForceUpgrade->hide();
    // Without this a user could never refresh by hand again after a first close.
    f.imgRefresh->show();
}

void ConnectHandler::applyLayoutOf(device::DeviceKind kind)
{
    auto& f = tool_.frm;
    f.cmbProtocol->clear();
    f.cmbProtocol->addItems({QStringLiteral("2.0 (NL)"), QStringLiteral("4.0 (NL)"), QStringLiteral("5.0 (NL)"),
                             QStringLiteral("BE")});
    if (device::isTika(kind)) {
        f.labInput->hide();
        f.cmbProtocol->addItems({QStringLiteral("DK"), QStringLiteral("A1")});
        f.fraOut[0]->show();
        f.fraOut[1]->show();
    } else {
        f.labInput->show();
        f.fraOut[0]->hide();
        f.fraOut[1]->hide();
    }
}

void ConnectHandler::notOpened()
{
    auto& f = tool_.frm;
    f.setWindowTitle(shell::closedCaption());
    f.cmdOpenCom->show();
    f.imgRefresh->hide();
    f.fraSettings->hide();
}

void ConnectHandler::noDevice()
{
    auto& f = tool_.frm;
    tool_.state.ComPort.reset();
    tool_.state.ConnectFailed = true;
    f.setWindowTitle(shell::closedCaption());
    f.cmdOpenCom->show();
    f.imgRefresh->hide();
    f.fraSettings->hide();
    f.cmdUpgrade->hide();
    f.cmdDebug->hide();
}

} // namespace device
