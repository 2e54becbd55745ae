#include "platform/windows/EndRequests.h"
#include <mutex>
#include <thread>
#include <windows.h>

namespace platform::windows {

namespace {

std::mutex mutex;
std::function<void()> listener;
HANDLE handled = nullptr; // manual-reset event, set by endRequestsHandled()

void tell()
{
    std::function<void()> call;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        call = listener;
    }
    if (call)
        call();
}

void waitUntilHandled() { WaitForSingleObject(handled, kGraceMs); }

BOOL WINAPI onConsoleEvent(DWORD type)
{
    tell();
    if (type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT)
        waitUntilHandled();
    return TRUE; // handled: Ctrl+C does not end the program on the spot
}

LRESULT CALLBACK onSessionMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_QUERYENDSESSION:
        return TRUE; // the session may end; the program closes when it does
    case WM_ENDSESSION:
        if (wParam) {
            tell();
            waitUntilHandled();
        }
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// A hidden top-level window (message-only windows hear no session messages) and its message loop.
void watchSession()
{
    WNDCLASSW type{};
    type.lpfnWndProc = onSessionMessage;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = L"qmr51-session-end";
    RegisterClassW(&type);
    if (!CreateWindowExW(0, type.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, type.hInstance, nullptr))
        return;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
}

} // namespace

void listenForEndRequests(std::function<void()> onRequest)
{
    static std::once_flag started;
    std::call_once(started, [] {
        handled = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        SetConsoleCtrlHandler(onConsoleEvent, TRUE);
        std::thread(watchSession).detach();
    });
    const std::lock_guard<std::mutex> lock(mutex);
    listener = std::move(onRequest);
}

void endRequestsHandled()
{
    if (handled)
        SetEvent(handled);
}

} // namespace platform::windows
