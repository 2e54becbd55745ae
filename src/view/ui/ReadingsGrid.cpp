#include "view/ui/ReadingsGrid.h"
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include "view/DeviceColumns.h"
#include "view/ReadingFormat.h"

namespace view {

int topRowAfterAppend(int rowCount, int firstHiddenRow, int rowsThatFit)
{
    const int newest = rowCount - 1;
    if (firstHiddenRow > newest)
        return 0;
    return std::max(1, rowCount - std::max(1, rowsThatFit));
}

ReadingsGrid::ReadingsGrid(QWidget* parent) : QTableView(parent)
{
    setObjectName(QStringLiteral("grdInterfaces"));
    setAccessibleName(QStringLiteral("Readings"));
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
    if (twips <= 0) {
        setColumnHidden(column, true);
        return;
    }
    setColumnHidden(column, false);
    setColumnWidth(column, std::max({1, twipsToPixels(twips, dotsPerInch()), textWidth(column)}));
}

int ReadingsGrid::textWidth(int column) const
{
    // The date and time of a reading must be readable whatever the locale writes them as: their
    // columns grow to the widest text they can show (the designed width stays the minimum).
    QStringList texts;
    if (column == kDateColumn)
        texts = dateTextSamples(table_->locale());
    else if (column == kTimeColumn)
        texts = timeTextSamples(table_->locale());
    int widest = 0;
    for (const QString& text : texts)
        widest = std::max(widest, fontMetrics().horizontalAdvance(text));
    // The cell's own margins on both sides, as the view draws them.
    return texts.isEmpty() ? 0 : widest + 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 8;
}

int ReadingsGrid::widthToShowAllColumns() const
{
    return horizontalHeader()->length() + verticalScrollBar()->sizeHint().width() + 2 * frameWidth();
}

void ReadingsGrid::showLog(ReadingsTable& log)
{
    table_ = &log;
    setModel(&log);
    // A new row below the view brings the view down with it.
    connect(&log, &QAbstractItemModel::rowsInserted, this, [this] { scrollTowardsNewRow(); });
}

void ReadingsGrid::InitGrid()
{
    table_->clear();
    horizontalHeader()->setFixedHeight(twipsToPixels(kHeadingRowTwips, dotsPerInch()));
    for (int column : kSetupOrder) {
        setColumnWidthTwips(column, kGridLayout[static_cast<size_t>(column)].widthTwips);
        table_->setHeading(column, QString::fromUtf8(kGridLayout[static_cast<size_t>(column)].heading));
    }
}

void ReadingsGrid::applyDeviceLayout(device::DeviceKind kind)
{
    // The columns a kind has keep their designed width (a TIKA V1 before may have hidden them).
    const QList<int> shown = deviceColumns(kind);
    for (int column = 0; column < kGridColumns; ++column)
        setColumnWidthTwips(column, shown.contains(column) ? kGridLayout[static_cast<size_t>(column)].widthTwips : 0);
    // A TIKA V2 counts pulses and names its inputs so; a QMR51 after it has its Extern1/Extern2
    // again, in the grid, the chart's legend and the export alike.
    for (int column : {kFirstInputColumn, kLastInputColumn})
        table_->setHeading(column, deviceColumnHeading(kind, column));
    emit deviceLayoutApplied();
}

int ReadingsGrid::topGridRow() const
{
    // Scrolling is per row with one row height, so the scroll bar's value is the first model row
    // shown. Asking the view (rowAt) would make it measure its rows again after every insert.
    return verticalScrollBar()->value() + 1;
}

int ReadingsGrid::firstHiddenGridRow() const
{
    const int rows = table_->rowCount();
    if (rows == 0)
        return 1;
    if (topGridRow() > 1)
        return 1; // the user scrolled away from the first readings
    return std::min(rows, rowsThatFit()) + 1;
}

int ReadingsGrid::rowsThatFit() const
{
    // Rows all have one height, so this is a division, whatever the number of rows.
    const int rowHeight = verticalHeader()->defaultSectionSize();
    return rowHeight > 0 ? viewport()->height() / rowHeight : 1;
}

void ReadingsGrid::scrollTowardsNewRow()
{
    const int top = topRowAfterAppend(gridRowCount(), firstHiddenGridRow(), rowsThatFit());
    if (top < 1)
        return;
    // Scrolling is per row: the scroll bar's value is the first model row shown. The range follows
    // the rows only after a layout pass; with one row height it is known without measuring rows
    // (asking the view for it would make it add up every row's height again).
    const int lastTop = std::max(0, table_->rowCount() - rowsThatFit());
    if (verticalScrollBar()->maximum() < lastTop)
        verticalScrollBar()->setRange(0, lastTop);
    verticalScrollBar()->setValue(top - 1);
}

} // namespace view
