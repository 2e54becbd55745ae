#pragma once

namespace platform {

// The user's and the system's requests that qmr51ctl stop, counted so that a command stops at its
// next safe point (a read after the reading under way, an upgrade before its next block) and the
// port is closed on the way out. Linux: SIGINT (Ctrl+C) and SIGTERM. Windows: Ctrl+C, Ctrl+Break,
// the console window being closed, logging off and shutting down; for the last three Windows ends
// the process once it was told, so the telling waits (at most a few seconds) until this object is
// destroyed at the end of main(), when the command has stopped.
// One object per program, made at the start of main() and kept until its end.
class StopRequests {
public:
    StopRequests();
    ~StopRequests();
    StopRequests(const StopRequests&) = delete;
    StopRequests& operator=(const StopRequests&) = delete;

    // How many requests came since the program started. Safe from any thread.
    static int count();
};

} // namespace platform
