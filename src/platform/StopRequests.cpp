#include "platform/StopRequests.h"
#include <atomic>
#include <csignal>

namespace platform {

namespace {

std::atomic<int> requests{0};

void onStopSignal(int) { requests.fetch_add(1); }

} // namespace

StopRequests::StopRequests()
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

StopRequests::~StopRequests()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

int StopRequests::count() { return requests.load(); }

} // namespace platform
