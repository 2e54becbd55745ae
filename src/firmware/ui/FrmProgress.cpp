#include "firmware/ui/FrmProgress.h"
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace firmware {

FrmProgress::FrmProgress(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(QStringLiteral("Progress..."));
    setModal(false);
    lblprogress = new QLabel(QStringLiteral("Bezig met ..."), this);
    lblprogress->setObjectName(QStringLiteral("lblprogress"));
    lblprogress->setAccessibleName(QStringLiteral("Status"));
    lblprogress->setMinimumWidth(320);
    pgb1 = new QProgressBar(this);
    pgb1->setObjectName(QStringLiteral("pgb1"));
    pgb1->setAccessibleName(QStringLiteral("Progress"));
    pgb1->setRange(0, 100);
    pgb1->setValue(0);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAccessibleName(QStringLiteral("Cancel"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblprogress);
    layout->addWidget(pgb1);
    layout->addWidget(cmdCancel, 0, Qt::AlignRight);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmProgress::cancelled);
}

void FrmProgress::closeEvent(QCloseEvent* event)
{
    emit closedByUser();
    emit cancelled();
    hide();
    event->ignore();
}

} // namespace firmware
