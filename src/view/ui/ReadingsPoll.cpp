#include "view/ui/ReadingsPoll.h"
#include "link/Commands.h"
#include "shell/ui/PortErrorReport.h"
#include "shell/ui/Tool.h"
#include "view/ReadingsDecoder.h"
#include "view/ui/ReadingsGrid.h"
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
    if (tool_.exchange.busy())
        return;
    auto& f = tool_.frm;
    f.imgRefresh->setEnabled(false);
    const QByteArray reply = tool_.exchange.SendCommand(comlink::kReadReadings, QByteArray());
    tool_.portErrors().afterExchange();
    // The row carries the moment the readings arrived, not the moment they were asked for.
    const qint64 takenAtMsecs = tool_.svc.clock.now().toMSecsSinceEpoch();
    const ReadingRow row = decodeReadings(reply, tool_.state.DeviceType, f.optNLofB[0]->isChecked(),
                                          f.optNLofB[1]->isChecked(), takenAtMsecs);
    f.grdInterfaces->appendReading(row);
    f.imgRefresh->setEnabled(true);
}

void ReadingsPoll::timScan_Timer()
{
    if (!tool_.state.ComPort)
        return;
    if (tool_.exchange.busy())
        return;
    imgRefresh_Click();
}

} // namespace view
