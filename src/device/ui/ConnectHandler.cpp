#include "device/ui/ConnectHandler.h"
#include "device/ui/SettingsReadBack.h"
#include "link/ui/PortList.h"
#include "device/Captions.h"
#include "device/SettingsLimits.h"
#include "shell/ui/PortErrorReport.h"
#include "device/ui/SettingsSender.h"
#include "shell/ui/Tool.h"
#include "device/ReadingsDecoder.h"
#include "view/ui/ReadingsGrid.h"
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace device {

ConnectHandler::ConnectHandler(shell::Tool& tool) : tool_(tool)
{
    QObject::connect(tool_.frm.cmdOpenCom, &QPushButton::clicked, &connections_, [this] { cmdOpenCom_Click(); });
    QObject::connect(&tool_.session, &Session::stateChanged, &connections_, [this](Session::State now, Session::State before) {
        if (now == Session::State::Closed)
            notConnected();
        else if (now == Session::State::Connected && before == Session::State::Connecting)
            showConnected();
    });
}

void ConnectHandler::cmdOpenCom_Click()
{
    tool_.requests().run(QStringLiteral("open"), [this] { connectSelectedPort(); });
}

void ConnectHandler::connectSelectedPort()
{
    auto& f = tool_.frm;
    device::Session& session = tool_.session;

    // Entries carry numbers 1 ... 255; without a selected entry the port is 0, which never opens.
    const auto port = static_cast<std::uint8_t>(comlink::selectedPortNumber(*f.cmbComPort));
    // Either failure leaves the session Closed, which shows the window as not connected.
    const bool opened = session.open(port);
    tool_.portErrors().afterOpen(port, opened);
    if (!opened || !session.identify())
        return;
    const device::DeviceKind kind = *session.kind();
    f.setWindowTitle(device::connectedCaption(session.serial(), port, kind, session.firmware()));

    applyLayoutOf(kind);
    f.grdInterfaces->applyDeviceLayout(kind);
    if (device::isTika(kind)) {
        // A module polls its meter itself and keeps no interval of its own.
        f.interval->spin()->setValue(5);
        f.interval->setEnabled(false);
    } else {
        f.interval->setEnabled(true);
    }

    tool_.readBack().load(session.settingsAnswer(), kind);
    showCountryOfProtocol(f.cmbProtocol->currentIndex());
    // Loading the controls armed the settings timer; the values just read must not go back.
    f.timTXSettings.stop();
    tool_.sender().deviceHoldsShownSettings();
    // The refresh starts by itself at the interval just read (it follows the session).
}

void ConnectHandler::showConnected()
{
    auto& f = tool_.frm;
    f.cmdOpenCom->hide();
    f.cmdCloseCom->show();
    f.fraSettings->show();
    f.cmdUpgrade->show();
    f.cmdDebug->show();
    f.cmdForceUpgrade->hide();
    // Without this a user could never refresh by hand again after a first close.
    f.imgRefresh->show();
}

void ConnectHandler::applyLayoutOf(device::DeviceKind kind)
{
    auto& f = tool_.frm;
    const QStringList protocols = device::protocolNames(kind);
    f.cmbProtocol->clear();
    f.cmbProtocol->addItems(protocols.mid(0, device::kQmrProtocolCount));
    if (device::isTika(kind)) {
        f.labInput->hide();
        f.cmbProtocol->addItems(protocols.mid(device::kQmrProtocolCount));
        f.fraOut[0]->show();
        f.fraOut[1]->show();
    } else {
        f.labInput->show();
        f.fraOut[0]->hide();
        f.fraOut[1]->hide();
    }
}

void ConnectHandler::showCountryOfProtocol(int protocolPosition)
{
    // The buttons only name the tariff in the grid: set by the program they send nothing (only a
    // click arms the settings timer). Neither is chosen for a protocol of another country.
    const device::TariffCountry country = device::tariffCountryOfProtocol(protocolPosition);
    const std::array<bool, 2> chosen{country.nederland, country.belgie};
    for (QRadioButton* button : tool_.frm.optNLofB)
        button->setAutoExclusive(false);
    for (std::size_t k = 0; k < chosen.size(); ++k)
        tool_.frm.optNLofB[k]->setChecked(chosen[k]);
    for (QRadioButton* button : tool_.frm.optNLofB)
        button->setAutoExclusive(true);
}

void ConnectHandler::notConnected()
{
    auto& f = tool_.frm;
    f.setWindowTitle(device::closedCaption());
    f.cmdOpenCom->show();
    f.imgRefresh->hide();
    f.fraSettings->hide();
    f.cmdUpgrade->hide();
    f.cmdDebug->hide();
}

} // namespace device
