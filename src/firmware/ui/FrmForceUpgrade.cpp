#include "firmware/ui/FrmForceUpgrade.h"
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace firmware {

FrmForceUpgrade::FrmForceUpgrade(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmForceUpgrade"));
    setWindowTitle(QStringLiteral("Force firmware to TIKA"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    const QString kinds[] = {QStringLiteral("QMR51"), QStringLiteral("TIKA V1"), QStringLiteral("TIKA V2")};
    for (int i = 0; i < 3; ++i) {
        optModuleType[i] = new QRadioButton(kinds[i], this);
        optModuleType[i]->setObjectName(QStringLiteral("optModuleType(%1)").arg(i));
        optModuleType[i]->setAccessibleName(kinds[i]);
        layout->addWidget(optModuleType[i]);
    }
    // The QMR51 is first in the group and the device most often forced.
    optModuleType[0]->setChecked(true);
    cmdStartUpgrade = new QPushButton(QStringLiteral("Start upgrade"), this);
    cmdStartUpgrade->setObjectName(QStringLiteral("cmdStartUpgrade"));
    cmdStartUpgrade->setAccessibleName(QStringLiteral("Start upgrade"));
    layout->addWidget(cmdStartUpgrade);
}

std::optional<device::DeviceKind> FrmForceUpgrade::chosenDeviceType() const
{
    for (QRadioButton* option : optModuleType) {
        if (option->isChecked())
            return device::kindNamed(option->text());
    }
    return std::nullopt;
}

} // namespace firmware
