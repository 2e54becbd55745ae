#include "view/DeviceColumns.h"
#include "view/GridColumns.h"

namespace view {

namespace {

bool moduleLacks(device::DeviceKind kind, int column)
{
    if (!device::isTika(kind))
        return false;
    if (column == 6 || column == 11 || column == 16 || column == 19)
        return true;
    return kind == device::DeviceKind::TikaV1 && (column == kFirstInputColumn || column == kLastInputColumn);
}

} // namespace

QList<int> deviceColumns(device::DeviceKind kind)
{
    QList<int> columns;
    for (int c = 0; c < kGridColumns; ++c) {
        if (!moduleLacks(kind, c))
            columns.append(c);
    }
    return columns;
}

QString deviceColumnHeading(device::DeviceKind kind, int column)
{
    if (kind == device::DeviceKind::TikaV2 && column == kFirstInputColumn)
        return QStringLiteral("Input 1");
    if (kind == device::DeviceKind::TikaV2 && column == kLastInputColumn)
        return QStringLiteral("Input 2");
    if (column < 0 || column >= kGridColumns)
        return {};
    return QString::fromUtf8(kGridLayout[static_cast<std::size_t>(column)].heading);
}

} // namespace view
