#pragma once
#include <functional>

namespace platform::windows {

// The requests to end a program on Windows, heard in one place: Ctrl+C and Ctrl+Break in its
// console, its console window being closed, logging off and shutting down. The last two come as
// console events to a program without windows, and as the session-end messages to a program that
// has any (which includes every Qt program: Qt loads user32), so both are heard; the messages
// through a hidden window of our own, on a thread of its own, so they are answered even while the
// program is busy in a long command.
//
// onRequest runs on a system thread, once per request; it must only record the request (or post
// it to the interface thread). After the console was closed, a logoff or a shutdown, Windows ends
// the process as soon as the program has been told, so the telling waits until finished() is
// called or kGraceMs have passed: the program then has the time to close the port cleanly.
inline constexpr unsigned long kGraceMs = 4500; // Windows allows a closing console 5 s

// Starts listening (once per process) and makes onRequest the one to tell; an empty function
// stops telling anyone.
void listenForEndRequests(std::function<void()> onRequest);

// The program has done what it does before it ends: a waiting request may now let Windows go on.
void endRequestsHandled();

} // namespace platform::windows
