#pragma once
#include "device/DeviceKind.h"
#include <QList>
#include <QString>

namespace view {

// Which grid columns a device kind uses, and what it calls them. A TIKA module reports no
// differences (columns 6, 11, 16 and the separator 19); a TIKA V1 has no pulse inputs (20, 21); a
// TIKA V2 calls its inputs "Input 1" and "Input 2" where the QMR51 has "Extern1" and "Extern2".
// The readings export writes the columns a kind shows, so these are also the export's columns.

// Every column (0 ... 21, separators included) the kind shows, in grid order.
QList<int> deviceColumns(device::DeviceKind kind);

// The grid's heading of a column for the kind (empty for a separator).
QString deviceColumnHeading(device::DeviceKind kind, int column);

} // namespace view
