#include "platform/StopRequests.h"
#include "platform/windows/EndRequests.h"
#include <atomic>

namespace platform {

namespace {
std::atomic<int> requests{0};
}

StopRequests::StopRequests()
{
    windows::listenForEndRequests([] { requests.fetch_add(1); });
}

StopRequests::~StopRequests()
{
    windows::listenForEndRequests({});
    windows::endRequestsHandled();
}

int StopRequests::count() { return requests.load(); }

} // namespace platform
