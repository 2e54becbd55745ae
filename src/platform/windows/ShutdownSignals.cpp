#include "platform/ShutdownSignals.h"
#include "platform/windows/EndRequests.h"
#include <QMetaObject>

namespace platform {

ShutdownSignals::ShutdownSignals(QObject* parent) : QObject(parent)
{
    // Heard on a system thread; the window closes on its own thread.
    windows::listenForEndRequests([this] {
        QMetaObject::invokeMethod(this, [this] { emit requested(0); }, Qt::QueuedConnection);
    });
}

ShutdownSignals::~ShutdownSignals()
{
    windows::listenForEndRequests({});
    // Made after the window and destroyed before it, once the window has closed: the tool is done.
    windows::endRequestsHandled();
}

} // namespace platform
