#pragma once
#include "view/GridColumns.h"
#include "device/ReadingRow.h"
#include <QAbstractTableModel>
#include <QLocale>
#include <QStringList>
#include <vector>

namespace view {

// The running log behind the readings grid. Each poll appends one compact row of decoded values;
// the texts are made only when the grid paints a cell, so a week of readings at a 5 s interval
// (about 120,000 rows) stays small, and an append costs the same at row 100,000 as at row 10.
// The headings are the grid's row 0; model row r is grid row r + 1.
class ReadingsTable : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ReadingsTable(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void append(const device::ReadingRow& row);
    // Removes every reading, keeps the headings.
    void clear();
    void setHeading(int column, const QString& text);
    QString heading(int column) const { return headings_.value(column); }
    const device::ReadingRow& row(int modelRow) const { return rows_[static_cast<size_t>(modelRow)]; }
    // The text a cell shows (model rows; for tests and export).
    QString cellText(int modelRow, int column) const;
    void setLocale(const QLocale& locale) { locale_ = locale; }
    const QLocale& locale() const { return locale_; }

private:
    std::vector<device::ReadingRow> rows_;
    QStringList headings_;
    QLocale locale_;
};

} // namespace view
