#include "platform/windows/EndRequests.h"
#include <mutex>
#include <thread>
#include <windows.h>

namespace platform::windows {

namespace {

std::mutex mutex;
std::function<void()> listener;
HANDLE handled = nullptr; // manual-reset event, set by endRequestsHandled()
HANDLE windowMade = nullptr; // manual-reset event, set once the watcher's window is made (or failed)

// How long the end of the program waits for the watcher's window: Wine, starting cold, takes a
// second or two to make a program's first window.
constexpr DWORD kWindowWaitMs = 10000;

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
    const HWND window =
        CreateWindowExW(0, type.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, type.hInstance, nullptr);
    SetEvent(windowMade);
    if (!window)
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
        windowMade = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        SetConsoleCtrlHandler(onConsoleEvent, TRUE);
        std::thread(watchSession).detach();
    });
    if (!onRequest) {
        // The program is about to end, and ending kills the watcher thread wherever it is. Killed
        // while it makes its window, it can leave the window system's lock taken, and the end then
        // hangs for ever when Qt gives back its own window class (seen under Wine in about one run
        // in fifteen of a program that ends at once, such as --version). Once the window is made
        // the watcher only waits for messages, where ending it is harmless.
        WaitForSingleObject(windowMade, kWindowWaitMs);
    }
    const std::lock_guard<std::mutex> lock(mutex);
    listener = std::move(onRequest);
}

void endRequestsHandled()
{
    if (handled)
        SetEvent(handled);
}

} // namespace platform::windows
