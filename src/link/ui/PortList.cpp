#include "link/ui/PortList.h"
#include <QComboBox>

namespace comlink {

namespace {
constexpr int kNumberRole = Qt::UserRole;
}

void addPortEntry(QComboBox& list, int portNumber, const QString& devicePath)
{
    list.addItem(QStringLiteral("COM%1:").arg(portNumber));
    const int index = list.count() - 1;
    list.setItemData(index, portNumber, kNumberRole);
    list.setItemData(index, devicePath, Qt::ToolTipRole);
}

int selectedPortNumber(const QComboBox& list) { return list.currentData(kNumberRole).toInt(); }

} // namespace comlink
