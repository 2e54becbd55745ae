#pragma once
#include "device/Session.h"
#include <QObject>

namespace shell {
class Tool;
}

namespace view {

// The readings poll, and the one owner of the refresh timer timScan. Asks the connected device for
// the meter readings (command 64) and adds one row with the date, the time and the decoded values
// to the readings log. Runs on a click on the refresh image and on every tick of timScan.
//
// The refresh follows the session: it runs at the interval shown (updInterval seconds) while a
// device is connected, stops for a connect, an upgrade and a line that went away, and starts again
// once a device is connected. A settings change may carry a new interval: the refresh stops while
// it goes out and starts again with it. The debug view holds the refresh while it is shown.
class ReadingsPoll {
public:
    explicit ReadingsPoll(shell::Tool& tool);

    // One poll, in its turn: a click while another request holds the line polls right after it.
    // The row's date and time are those of the moment the reply was in (or the exchange gave up).
    // A time-out still adds a row: date and time only.
    void imgRefresh_Click();
    // Tick of timScan. A tick that falls due while another request holds the line is skipped; the
    // next tick polls as usual.
    void timScan_Timer();

    // Holds the refresh (the debug view, the window closing) or lets it run again.
    void hold(bool held);

private:
    void follow(device::Session::State now);
    void startWhenConnected();
    void pollOnce();

    shell::Tool& tool_;
    bool held_ = false;
    // Context of the control connections: they end with this handler.
    QObject connections_;
};

} // namespace view
