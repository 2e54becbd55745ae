#include "link/ui/PortHandlers.h"
#include "device/ui/ConnectHandler.h"
#include "link/PortSearch.h"
#include "shell/Captions.h"
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
        // "COM7:" alone means little on Linux: say which device node it is.
        auto& combo = *tool_.frm.cmbComPort;
        const QString path = index < 0 ? QString() : combo.itemData(index, Qt::ToolTipRole).toString();
        combo.setToolTip(path);
        if (!path.isEmpty())
            tool_.frm.statusLine->setText(combo.itemText(index) + QLatin1Char(' ') + path);
    });
}

void PortHandlers::cmdCloseCom_Click()
{
    auto& f = tool_.frm;
    tool_.state.ComPort.reset();
    tool_.state.ConnectFailed = false;
    f.timScan.stop();
    // A settings change made just before the close must not be sent to a closed port a second later.
    f.timTXSettings.stop();
    tool_.svc.port.close();
    f.setWindowTitle(shell::closedCaption());
    f.cmdOpenCom->show();
    f.imgRefresh->hide();
    f.fraSettings->hide();
    f.cmdCloseCom->hide();
}

void PortHandlers::cmbComPort_Click() { cmdCloseCom_Click(); }

void PortHandlers::cmdScanCom_Click()
{
    auto& f = tool_.frm;
    auto& state = tool_.state;
    f.cmbComPort->clear();
    const QStringList names = tool_.svc.ports.deviceNames();
    for (const QString& name : names) {
        const std::optional<int> number = candidatePortNumber(name);
        if (!number)
            continue;
        f.cmbComPort->addItem(portEntry(*number));
        const int index = f.cmbComPort->count() - 1;
        f.cmbComPort->setItemData(index, tool_.svc.ports.devicePath(*number), Qt::ToolTipRole);
        f.cmbComPort->setCurrentIndex(index);
        cmbComPort_Click();
        tool_.connection().cmdOpenCom_Click();
        if (state.ComPort)
            break;
    }
    f.cmdForceUpgrade->hide();
    if (state.ConnectFailed) {
        tool_.svc.dialogs.message(QStringLiteral("No QMR51 or TIKA found"));
        tool_.svc.port.close();
        f.cmdForceUpgrade->show();
    } else if (!state.ComPort) {
        tool_.svc.dialogs.message(QStringLiteral("No COM interfaces found"));
    }
}

} // namespace comlink
