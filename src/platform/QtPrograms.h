#pragma once
#include "platform/Programs.h"

namespace platform {

// Starts the programs the tool hands work to: the text editor for a saved debug log and esptool
// (through its script) for a module flash. Use from the interface thread.
//
// start() runs the program with QProcess, stdout and stderr merged, in its own session (process
// group) so that kill() also ends whatever it started: esptool holds the serial port, and a flash
// script killed without its esptool would leave the port blocked for the next connect.
// The returned program is watched through QProcess's finished and errorOccurred signals when an
// event loop runs; finished() and takeOutput() also look at the process themselves, without
// blocking, so a caller that waits in its own pause loop sees output and the end as well.
// Destroying a program that still runs kills it the same way.
class QtPrograms : public Programs {
public:
    // Windows: notepad.exe with the path, as the debug log has always been shown. Elsewhere:
    // xdg-open (macOS: open), the desktop's own choice. Returns at once; false when no opener
    // could be started. (The window adds the desktop services, see platform/ui/DesktopPrograms.)
    bool openDocument(const QString& path) override;
    // An empty workingFolder keeps the tool's own current folder.
    std::unique_ptr<RunningProgram> start(const QString& program, const QStringList& arguments,
                                          const QString& workingFolder) override;
};

} // namespace platform
