#include "link/ui/PortHandlers.h"
#include "device/ui/ConnectHandler.h"
#include "link/ui/LineReturn.h"
#include "link/ui/PortList.h"
#include "device/Captions.h"
#include "shell/ui/Tool.h"
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace comlink {

PortHandlers::PortHandlers(shell::Tool& tool) : tool_(tool)
{
    auto& f = tool_.frm;
    QObject::connect(f.cmdCloseCom, &QPushButton::clicked, &f, [this] { cmdCloseCom_Click(); });
    QObject::connect(f.cmbComPort, &QComboBox::activated, &f, [this] { cmbComPort_Click(); });
    QObject::connect(f.cmdScanCom, &QPushButton::clicked, &f, [this] { cmdScanCom_Click(); });
    QObject::connect(f.cmbComPort, &QComboBox::currentIndexChanged, &f, [this](int index) {
        // "COM7:" alone means little on Linux: say which adapter, or which device node, it is.
        auto& combo = *tool_.frm.cmbComPort;
        combo.setToolTip(index < 0 ? QString() : combo.itemData(index, Qt::ToolTipRole).toString());
        const QString note = index < 0 ? QString() : portEntryNote(combo, index);
        if (!note.isEmpty())
            tool_.frm.statusLine->setText(combo.itemText(index) + QLatin1Char(' ') + note);
    });
}

void PortHandlers::cmdCloseCom_Click()
{
    tool_.requests().run(QStringLiteral("close"), [this] { closeConnection(); });
}

void PortHandlers::cmbComPort_Click()
{
    tool_.requests().run(QStringLiteral("close"), [this] { closeConnection(); });
}

void PortHandlers::closeConnection()
{
    auto& f = tool_.frm;
    // The user has taken the port in hand: a line that went away is no longer waited for.
    tool_.lineReturn().cancel();
    // A settings change made just before the close must not be sent to a closed port a second later.
    f.timTXSettings.stop();
    tool_.session.close();
    // Shown as not connected even when nothing was (a port chosen in the list before any Open).
    tool_.connection().notConnected();
    f.cmdCloseCom->hide();
}


void PortHandlers::cmdScanCom_Click()
{
    tool_.requests().run(QStringLiteral("search"), [this] { searchPorts(); });
}

void PortHandlers::searchPorts()
{
    auto& f = tool_.frm;
    device::Session& session = tool_.session;
    f.cmbComPort->clear();
    for (const platform::NumberedPort& port : session.portListing().ports()) {
        addPortEntry(*f.cmbComPort, port.portNumber, port.devicePath, port.identity.adapterText());
        f.cmbComPort->setCurrentIndex(f.cmbComPort->count() - 1);
        closeConnection();
        tool_.connection().connectSelectedPort();
        if (session.portNumber())
            break;
    }
    f.cmdForceUpgrade->hide();
    if (session.connectFailed()) {
        tool_.svc.dialogs.message(QStringLiteral("No QMR51 or TIKA found"));
        session.releaseLine();
        f.cmdForceUpgrade->show();
    } else if (!session.portNumber()) {
        tool_.svc.dialogs.message(QStringLiteral("No COM interfaces found"));
    }
    // The remembered COM numbers could not be read and start afresh: the user should know why
    // an adapter has another number today.
    if (const QString note = session.portListing().takeNote(); !note.isEmpty())
        f.statusLine->setText(note);
}

} // namespace comlink
