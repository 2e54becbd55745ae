#include "shell/ui/RequestQueue.h"
#include <QTimer>
#include <algorithm>

namespace shell {

RequestQueue::RequestQueue(device::Session& session) : session_(session)
{
    QObject::connect(&session_, &device::Session::stateChanged, &connections_, [this] {
        if (queue_.empty() || scheduled_ || session_.requestUnderWay())
            return;
        // Not from inside the signal: the request that just ended is still on the stack.
        scheduled_ = true;
        QTimer::singleShot(0, &connections_, [this] { runWaiting(); });
    });
}

void RequestQueue::run(const QString& name, std::function<void()> action)
{
    if (!session_.requestUnderWay() && queue_.empty()) {
        action();
        return;
    }
    const bool alreadyWaiting = std::any_of(queue_.begin(), queue_.end(), [&](const auto& entry) { return entry.first == name; });
    if (!alreadyWaiting)
        queue_.emplace_back(name, std::move(action));
}

bool RequestQueue::runIfFree(const std::function<void()>& action)
{
    if (session_.requestUnderWay())
        return false;
    action();
    return true;
}

void RequestQueue::runWaiting()
{
    scheduled_ = false;
    while (!queue_.empty() && !session_.requestUnderWay()) {
        std::function<void()> action = std::move(queue_.front().second);
        queue_.pop_front();
        action();
    }
}

} // namespace shell
