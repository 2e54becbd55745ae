#include "view/ui/ReadingsExport.h"
#include "platform/WholeFile.h"
#include "shell/ui/Tool.h"
#include "view/ReadingsCsv.h"
#include "view/ui/ReadingsGrid.h"
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QPushButton>

namespace view {

ReadingsExport::ReadingsExport(shell::Tool& tool) : tool_(tool)
{
    auto& f = tool_.frm;
    QObject::connect(f.cmdExport, &QPushButton::clicked, &connections_, [this] { cmdExport_Click(); });
    ReadingsTable& table = f.grdInterfaces->table();
    QObject::connect(&table, &QAbstractItemModel::rowsInserted, &connections_, [this] { followRowCount(); });
    QObject::connect(&table, &QAbstractItemModel::modelReset, &connections_, [this] { followRowCount(); });
    followRowCount();
}

void ReadingsExport::followRowCount()
{
    tool_.frm.cmdExport->setEnabled(tool_.frm.grdInterfaces->table().rowCount() > 0);
}

QString ReadingsExport::proposedFileName(const QDateTime& now)
{
    return QStringLiteral("readings-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".csv");
}

void ReadingsExport::cmdExport_Click()
{
    auto& f = tool_.frm;
    ReadingsGrid& grid = *f.grdInterfaces;
    const platform::Dialogs::SaveRequest request{QStringLiteral("Export readings"),
                                                 proposedFileName(tool_.svc.clock.now()),
                                                 QStringLiteral("CSV files (*.csv)"), QStringLiteral("csv")};
    const std::optional<QString> chosen = tool_.svc.dialogs.saveFileName(request);
    if (!chosen || chosen->isEmpty())
        return;

    QList<int> shown;
    for (int c = 0; c < kGridColumns; ++c) {
        if (!grid.isColumnHidden(c))
            shown.append(c);
    }
    // Made after the dialog: rows that came in while it was open are in the file.
    const QByteArray csv = readingsCsv(grid.table(), shown);
    const QString shownName = QDir::toNativeSeparators(*chosen);
    if (const QString failure = platform::saveWholeFile(*chosen, csv); !failure.isEmpty()) {
        tool_.svc.dialogs.message(QStringLiteral("The readings could not be saved as %1: %2").arg(shownName, failure));
        return;
    }
    f.statusLine->setText(QStringLiteral("%1 readings exported to %2").arg(grid.table().rowCount()).arg(shownName));
}

} // namespace view
