#include "view/ui/ReadingsGrid.h"
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>

namespace view {

int topRowAfterAppend(int rowCount, int firstHiddenRow)
{
    const int newest = rowCount - 1;
    if (firstHiddenRow >= rowCount || newest < firstHiddenRow)
        return 0;
    // Rows 1 .. k-1 fit below the headings; show the k-1 newest ones.
    return std::max(1, rowCount - (firstHiddenRow - 1));
}

ReadingsGrid::ReadingsGrid(QWidget* parent) : QTableView(parent)
{
    setObjectName(QStringLiteral("grdInterfaces"));
    setAccessibleName(QStringLiteral("Readings"));
    setModel(&table_);
    verticalHeader()->hide();
    // Every row has the same height, so the view never measures rows: appending and scrolling cost
    // the same whatever the number of rows.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setHighlightSections(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
}

double ReadingsGrid::dotsPerInch() const
{
    const QScreen* s = screen();
    return s ? s->logicalDotsPerInchX() : 96.0;
}

void ReadingsGrid::setColumnWidthTwips(int column, int twips)
{
    widthTwips_.at(static_cast<size_t>(column)) = twips;
    if (twips <= 0) {
        setColumnHidden(column, true);
        return;
    }
    setColumnHidden(column, false);
    setColumnWidth(column, std::max(1, twipsToPixels(twips, dotsPerInch())));
}

void ReadingsGrid::InitGrid()
{
    table_.clear();
    horizontalHeader()->setFixedHeight(twipsToPixels(kHeadingRowTwips, dotsPerInch()));
    for (int column : kSetupOrder) {
        setColumnWidthTwips(column, kGridLayout[static_cast<size_t>(column)].widthTwips);
        table_.setHeading(column, QString::fromUtf8(kGridLayout[static_cast<size_t>(column)].heading));
    }
}

void ReadingsGrid::applyDeviceLayout(DeviceLayout layout)
{
    if (layout == DeviceLayout::Qmr51) {
        for (int c : {6, 11, 16})
            setColumnWidthTwips(c, 700);
        setColumnWidthTwips(19, 50);
        setColumnWidthTwips(20, 1200);
        setColumnWidthTwips(21, 1200);
        return;
    }
    for (int c : {6, 11, 16, 19})
        setColumnWidthTwips(c, 0);
    if (layout == DeviceLayout::TikaV2) {
        table_.setHeading(20, QStringLiteral("Input 1"));
        table_.setHeading(21, QStringLiteral("Input 2"));
    } else {
        setColumnWidthTwips(20, 0);
        setColumnWidthTwips(21, 0);
    }
}

int ReadingsGrid::topGridRow() const
{
    const int modelRow = rowAt(0);
    return modelRow < 0 ? 1 : modelRow + 1;
}

int ReadingsGrid::firstHiddenGridRow() const
{
    const int rows = table_.rowCount();
    if (rows == 0)
        return 1;
    const int top = rowAt(0);
    if (top > 0)
        return 1; // the user scrolled away from the first readings
    const int height = viewport()->height();
    const int rowHeight = verticalHeader()->defaultSectionSize();
    const int fullyVisible = rowHeight > 0 ? height / rowHeight : rows;
    return std::min(rows, fullyVisible) + 1 > rows ? rows + 1 : fullyVisible + 1;
}

void ReadingsGrid::appendReading(const ReadingRow& row)
{
    table_.append(row);
    scrollTowardsNewRow();
}

void ReadingsGrid::scrollTowardsNewRow()
{
    const int top = topRowAfterAppend(gridRowCount(), firstHiddenGridRow());
    if (top < 1)
        return;
    // Scrolling is per row: the scroll bar's value is the first model row shown.
    verticalScrollBar()->setValue(top - 1);
}

} // namespace view
