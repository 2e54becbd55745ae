#include "view/ui/ReadingsViews.h"
#include "shell/ui/FrmQMR51.h"
#include "view/ui/ReadingsChart.h"
#include "view/ui/ReadingsGrid.h"
#include <QEvent>
#include <QGroupBox>
#include <QToolButton>

namespace view {

ReadingsViews::ReadingsViews(shell::FrmQMR51& frm) : frm_(frm)
{
    connect(frm_.cmdShowGrid, &QToolButton::clicked, this, [this] { cmdShowGrid_Click(); });
    connect(frm_.cmdShowChart, &QToolButton::clicked, this, [this] { cmdShowChart_Click(); });
    frm_.fraDebug->installEventFilter(this);
    showPickedView();
}

void ReadingsViews::cmdShowGrid_Click()
{
    chartPicked_ = false;
    showPickedView();
}

void ReadingsViews::cmdShowChart_Click()
{
    chartPicked_ = true;
    showPickedView();
}

void ReadingsViews::showPickedView()
{
    frm_.cmdShowGrid->setChecked(!chartPicked_);
    frm_.cmdShowChart->setChecked(chartPicked_);
    // isHidden, not isVisible: the frame counts as up while the whole window is minimised or not
    // yet shown.
    const bool debugShown = !frm_.fraDebug->isHidden();
    frm_.cmdShowGrid->setVisible(!debugShown);
    frm_.cmdShowChart->setVisible(!debugShown);
    if (debugShown) {
        frm_.chtReadings->hide();
        return;
    }
    frm_.grdInterfaces->setVisible(!chartPicked_);
    frm_.chtReadings->setVisible(chartPicked_);
    if (chartPicked_)
        frm_.chtReadings->raise();
}

bool ReadingsViews::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == frm_.fraDebug && (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent))
        showPickedView();
    return QObject::eventFilter(watched, event);
}

} // namespace view
