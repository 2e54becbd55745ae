#pragma once
#include <QObject>

class QSocketNotifier;

namespace platform {

// SIGTERM, SIGINT and SIGHUP (kill, Ctrl+C in a terminal, logging out) turned into a Qt signal, so
// the tool closes the way it does when its window is closed (timers off, port closed, a demo
// device and its port link gone) instead of dying on the spot. A signal handler may do almost
// nothing, so it only writes a byte into a socket pair; the event loop reads it and asks to close.
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
