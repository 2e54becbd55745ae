#include "link/ui/PortList.h"
#include <QComboBox>

namespace comlink {

namespace {
constexpr int kNumberRole = Qt::UserRole;
constexpr int kNoteRole = Qt::UserRole + 1;
}

void addPortEntry(QComboBox& list, int portNumber, const QString& devicePath, const QString& adapter)
{
    list.addItem(QStringLiteral("COM%1:").arg(portNumber));
    const int index = list.count() - 1;
    list.setItemData(index, portNumber, kNumberRole);
    list.setItemData(index, adapter.isEmpty() ? devicePath : adapter + QLatin1Char('\n') + devicePath, Qt::ToolTipRole);
    list.setItemData(index, adapter.isEmpty() ? devicePath : adapter, kNoteRole);
}

QString portEntryNote(const QComboBox& list, int index) { return list.itemData(index, kNoteRole).toString(); }

int selectedPortNumber(const QComboBox& list) { return list.currentData(kNumberRole).toInt(); }

} // namespace comlink
