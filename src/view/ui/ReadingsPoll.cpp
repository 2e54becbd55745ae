#include "view/ui/ReadingsPoll.h"
#include "shell/ui/RequestQueue.h"
#include "shell/ui/SpinText.h"
#include "shell/ui/Tool.h"
#include <QRadioButton>
#include <QToolButton>

namespace view {

ReadingsPoll::ReadingsPoll(shell::Tool& tool) : tool_(tool)
{
    auto& f = tool_.frm;
    QObject::connect(f.imgRefresh, &QToolButton::clicked, &connections_, [this] { imgRefresh_Click(); });
    QObject::connect(&f.timScan, &QTimer::timeout, &connections_, [this] { timScan_Timer(); });
    QObject::connect(&tool_.session, &device::Session::stateChanged, &connections_,
                     [this](device::Session::State now) { follow(now); });
}

void ReadingsPoll::follow(device::Session::State now)
{
    using State = device::Session::State;
    auto& timer = tool_.frm.timScan;
    switch (now) {
    case State::Connected:
        // Not at once: a connect fills the interval control from the device's settings only after
        // the session is connected, and the refresh must run at that interval.
        QTimer::singleShot(0, &connections_, [this] { startWhenConnected(); });
        break;
    case State::Busy:
        if (tool_.session.activity() == QLatin1String("settings"))
            timer.stop();
        break;
    case State::Closed:
    case State::Connecting:
    case State::LineLost:
    case State::Upgrading:
        timer.stop();
        break;
    }
}

void ReadingsPoll::startWhenConnected()
{
    auto& timer = tool_.frm.timScan;
    if (held_ || timer.isActive() || tool_.session.state() != device::Session::State::Connected)
        return;
    timer.start(tool_.frm.interval->spin()->value() * 1000);
}

void ReadingsPoll::hold(bool held)
{
    held_ = held;
    if (held)
        tool_.frm.timScan.stop();
    else
        startWhenConnected();
}

void ReadingsPoll::imgRefresh_Click()
{
    tool_.requests().run(QStringLiteral("refresh"), [this] { pollOnce(); });
}

void ReadingsPoll::timScan_Timer() { tool_.requests().runIfFree([this] { pollOnce(); }); }

void ReadingsPoll::pollOnce()
{
    auto& f = tool_.frm;
    f.imgRefresh->setEnabled(false);
    // The row lands in the log of this connection; the grid and the chart show it from there.
    tool_.readings.append(tool_.session.poll(f.optNLofB[0]->isChecked(), f.optNLofB[1]->isChecked()));
    f.imgRefresh->setEnabled(true);
}

} // namespace view
