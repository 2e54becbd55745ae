#include "view/ui/ReadingsPoll.h"
#include "shell/ui/Tool.h"
#include <QRadioButton>
#include <QToolButton>

namespace view {

ReadingsPoll::ReadingsPoll(shell::Tool& tool) : tool_(tool)
{
    auto& f = tool_.frm;
    QObject::connect(f.imgRefresh, &QToolButton::clicked, &connections_, [this] { imgRefresh_Click(); });
    QObject::connect(&f.timScan, &QTimer::timeout, &connections_, [this] { timScan_Timer(); });
}

void ReadingsPoll::imgRefresh_Click()
{
    if (tool_.session.busy())
        return;
    auto& f = tool_.frm;
    f.imgRefresh->setEnabled(false);
    // The row lands in the log of this connection; the grid and the chart show it from there.
    tool_.readings.append(tool_.session.poll(f.optNLofB[0]->isChecked(), f.optNLofB[1]->isChecked()));
    f.imgRefresh->setEnabled(true);
}

void ReadingsPoll::timScan_Timer()
{
    if (!tool_.session.portNumber())
        return;
    imgRefresh_Click();
}

} // namespace view
