#pragma once
#include <QObject>

namespace shell {
class Tool;
}

namespace view {

// The readings poll: asks the connected device for the meter readings (command 64) and adds one
// row with the date, the time and the decoded values to the readings grid. Runs on a click on the
// refresh image and on every tick of the refresh timer timScan while a device is connected.
class ReadingsPoll {
public:
    explicit ReadingsPoll(shell::Tool& tool);

    // One poll. The refresh image is disabled while it runs, so a second manual poll cannot start
    // inside the first. The row's date and time are those of the moment the reply was in (or the
    // exchange gave up). A time-out still adds a row: date and time only. Does nothing when another
    // exchange is waiting for its reply: the device serves one request at a time, and a second
    // request would take the first one's answer.
    void imgRefresh_Click();

    // Tick of timScan: polls while a device is connected. A tick that
    // falls due while an exchange is waiting (handled in the exchange's event pass) is skipped;
    // the next tick polls as usual.
    void timScan_Timer();

private:
    shell::Tool& tool_;
    // Context of the control connections: they end with this handler.
    QObject connections_;
};

} // namespace view
