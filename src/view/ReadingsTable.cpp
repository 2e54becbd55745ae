#include "view/ReadingsTable.h"
#include "view/ReadingFormat.h"

namespace view {

ReadingsTable::ReadingsTable(QObject* parent) : QAbstractTableModel(parent), locale_(QLocale::system())
{
    for (const GridColumn& c : kGridLayout)
        headings_.append(QString::fromUtf8(c.heading));
}

int ReadingsTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ReadingsTable::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kGridColumns; }

QString ReadingsTable::cellText(int modelRow, int column) const
{
    if (modelRow < 0 || static_cast<size_t>(modelRow) >= rows_.size())
        return {};
    return readingCellText(rows_[static_cast<size_t>(modelRow)], column, locale_);
}

QVariant ReadingsTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return cellText(index.row(), index.column());
    if (role == Qt::TextAlignmentRole && index.column() == kTariffColumn)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

QVariant ReadingsTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return headings_.value(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

void ReadingsTable::append(const device::ReadingRow& row)
{
    const int at = static_cast<int>(rows_.size());
    beginInsertRows({}, at, at);
    rows_.push_back(row);
    endInsertRows();
}

void ReadingsTable::clear()
{
    beginResetModel();
    rows_.clear();
    rows_.shrink_to_fit();
    endResetModel();
}

void ReadingsTable::setHeading(int column, const QString& text)
{
    if (column < 0 || column >= headings_.size())
        return;
    headings_[column] = text;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

} // namespace view
