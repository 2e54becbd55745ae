#pragma once
#include "device/DeviceKind.h"
#include "view/GridColumns.h"
#include "view/ReadingsTable.h"
#include <QTableView>
#include <array>

namespace view {

// The readings grid grdInterfaces: headings in row 0, one row per poll below, column widths in
// twips as designed (converted with the screen's resolution), hidden columns at width 0.
class ReadingsGrid : public QTableView {
    Q_OBJECT
public:
    explicit ReadingsGrid(QWidget* parent = nullptr);
    // The grid is a view on the session's readings log; it shows nothing before this.
    void showLog(ReadingsTable& log);

    // Sets the grid up as the window loads: 22 columns, headings centred, design widths, no readings.
    void InitGrid();
    // The columns a device kind shows. A TIKA V2 renames the input columns; no other kind names them
    // back, so the names stay until a restart.
    void applyDeviceLayout(device::DeviceKind kind);

    // A width of 0 hides the column; the Date and Time columns are never narrower than their text.
    void setColumnWidthTwips(int column, int twips);
    // The view's width that shows every visible column without scrolling sideways.
    int widthToShowAllColumns() const;

    ReadingsTable& table() { return *table_; }
    // Grid rows including the heading row.
    int gridRowCount() const { return table_->rowCount() + 1; }

    // The smallest grid row (0 = headings) that is not fully in view; gridRowCount() when all are.
    int firstHiddenGridRow() const;
    // How many reading rows the view shows at once, fully.
    int rowsThatFit() const;
    // The grid row shown first below the headings.
    int topGridRow() const;

    double dotsPerInch() const;

signals:
    // The columns of a device kind are in place (after applyDeviceLayout).
    void deviceLayoutApplied();

private:
    // Scrolls so a new row can be seen when it fell below the view.
    void scrollTowardsNewRow();
    int textWidth(int column) const;

    ReadingsTable* table_ = nullptr;
};

// Where the view must scroll after a row was appended: rowCount rows in all (headings included),
// firstHiddenRow the smallest grid row not in view (1 when the user scrolled away from the first
// readings), rowsThatFit the reading rows the view shows at once. Returns the grid row to show
// first, or 0 when the newest row is in view and nothing has to move. The newest row ends at the
// bottom of the view, fully visible.
int topRowAfterAppend(int rowCount, int firstHiddenRow, int rowsThatFit);

} // namespace view
