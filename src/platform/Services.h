#pragma once
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "platform/FileTransfer.h"
#include "platform/PortListing.h"
#include "platform/Programs.h"
#include "platform/SerialPort.h"
#include <QString>

namespace platform {

// Where the servers are. Built into the program, overridable on the command line for tests.
struct ServerConfig {
    FtpAccount firmwareServer;   // QMR51 upgrade list and HEX image
    QString moduleImageBaseUrl;  // TIKA module images, e.g. "http://host" (no trailing slash)
};

// The servers this build was made for.
ServerConfig defaultServers();

// `base` with the servers given on the command line (an empty text keeps the built-in one).
ServerConfig withServerOptions(ServerConfig base, const QString& ftpHost, const QString& ftpUser,
                               const QString& imageUrl);

// Everything the tool does outside its own memory, handed to the window at start-up. Tests hand
// in fakes. The window owns none of these.
struct Services {
    SerialPort& port;
    PortListing& ports;
    Clock& clock;
    EventPump& pump;
    Dialogs& dialogs;
    FileTransfer& transfer;
    Programs& programs;
    QString programFolder;  // the tool's own folder: ports/, DATA/, downloads, PCOM<n> scripts
    ServerConfig servers;
};

} // namespace platform
