#pragma once
#include "device/Session.h"
#include <QObject>
#include <QString>
#include <functional>
#include <list>
#include <utility>

namespace shell {

// One request at a time on the window's device. A request's wait lets window events through (so
// the window repaints), which means a click or a timer tick can arrive while a request or a connect
// holds the line; started there, it would run inside the other one's wait and both would read
// each other's replies. Every control that talks to the device goes through here instead: a click
// waits its turn and runs right after the request under way, once even when clicked twice; a
// refresh tick that finds the line taken is simply skipped (the next tick comes anyway).
class RequestQueue {
public:
    explicit RequestQueue(device::Session& session);

    // Runs `action` now when no request is under way, else once the one under way has ended. An
    // action already waiting under the same name is not queued again.
    void run(const QString& name, std::function<void()> action);
    // Runs `action` now when no request is under way; false (and nothing run) otherwise.
    bool runIfFree(const std::function<void()>& action);

    std::size_t waiting() const { return queue_.size(); }

private:
    void runWaiting();

    device::Session& session_;
    std::list<std::pair<QString, std::function<void()>>> queue_;
    bool scheduled_ = false;
    QObject connections_;
};

} // namespace shell
