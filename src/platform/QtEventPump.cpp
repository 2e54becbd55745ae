#include "platform/QtEventPump.h"
#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace platform {

void QtEventPump::processEvents() { QCoreApplication::processEvents(); }

void QtEventPump::sleep100ms() { QThread::msleep(100); }

void QtEventPump::pause(std::chrono::milliseconds duration)
{
    // A local loop handles events as they come and sleeps in between, so a long wait costs no
    // processor time and the window still repaints and takes clicks.
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace platform
