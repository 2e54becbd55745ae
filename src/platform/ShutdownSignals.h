#pragma once
#include <QObject>

class QSocketNotifier;

namespace platform {

// The requests to end the tool turned into a Qt signal, so the tool closes the way it does when its
// window is closed (timers off, port closed, a demo device gone) instead of dying on the spot.
// Linux: SIGTERM, SIGINT and SIGHUP (kill, Ctrl+C in a terminal, logging out). A signal handler may
// do almost nothing, so it only writes a byte into a socket pair; the event loop reads it and asks
// to close. Windows (platform/windows/): Ctrl+C, a closed console, logging off and shutting down,
// with signalNumber 0; Windows waits for the end of the close until this object is destroyed.
class ShutdownSignals : public QObject {
    Q_OBJECT
public:
    explicit ShutdownSignals(QObject* parent = nullptr);
    ~ShutdownSignals() override;

signals:
    void requested(int signalNumber);

private:
    void takeSignal();
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace platform
