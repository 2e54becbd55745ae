#pragma once
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/FileTransfer.h"
#include "platform/PortListing.h"
#include "platform/Programs.h"
#include "platform/SerialPort.h"
#include "platform/Services.h"
#include "platform/UnitPlatform.h"
#include "shell/cli/Console.h"
#include "shell/cli/SystemFacts.h"
#include <functional>
#include <memory>

namespace shell::cli {

// Everything qmr51ctl does outside its own memory. main() hands in the real things; a test hands
// in simulated devices, a paced clock and a console that keeps what was written.
struct Environment {
    // The folder of the executable, where the program folder is unless --program-folder says.
    QString executableFolder;
    // The machine's serial ports as numbered in the program folder (its ports/ links and the system's).
    std::function<std::unique_ptr<platform::PortListing>(const QString& programFolder)> listPorts;
    // A new serial-port object that finds COM<n> through the listing (one per port a scan opens).
    std::function<std::unique_ptr<platform::SerialPort>(platform::PortListing& listing)> makePort;
    platform::Clock& clock;
    platform::EventPump& pump;
    platform::FileTransfer& transfer;
    platform::Programs& programs;
    // The servers this build was made for; --ftp-host, --ftp-user and --image-url override them.
    platform::ServerConfig servers;
    Console& console;
    // How many times the user asked to stop (Ctrl+C, SIGTERM) since the program started.
    std::function<int()> interruptions;
    // What doctor looks at: the user, the serial devices and who holds them, the services that
    // take serial adapters, the program folder.
    std::function<SystemFacts(const QString& programFolder, const QList<platform::NumberedPort>& ports)> systemFacts;
    // The platform of one unit of a production line (--port with several ports, or all), made on
    // the unit's own thread.
    platform::UnitPlatformMaker makeUnit = {};
};

// Runs one qmr51ctl command line (arguments without the program name) and returns its exit code.
int runQmr51ctl(const QStringList& arguments, Environment& environment);

} // namespace shell::cli
