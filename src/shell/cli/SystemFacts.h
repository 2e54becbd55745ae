#pragma once
#include "platform/PortListing.h"
#include <QList>
#include <QString>
#include <QStringList>

namespace shell::cli {

// What doctor looks at on a Linux machine.
struct SystemFacts {
    bool isRoot = false;
    bool dialoutGroupExists = false;
    bool inDialout = false;           // the user is a member of dialout
    QStringList serialDevices;        // the device node of every serial port found
    QStringList unusableDevices;      // those the user cannot open for reading and writing
    bool modemManagerRunning = false;
    bool brlttyPresent = false;       // running, or its rules that take USB serial adapters installed
    struct Holder {
        QString devicePath;
        qint64 pid = 0;
        QString program;
    };
    QList<Holder> holders;            // other processes that hold a serial device open (not the
                                      // one serving a pseudo-terminal from its master end)
    QString programFolder;
    bool programFolderWritable = true;
};

// Reads the facts of this machine: /etc/group through the C library, /proc for running programs
// and their open files, the udev rules folders, the device nodes of `ports`.
SystemFacts readSystemFacts(const QString& programFolder, const QList<platform::NumberedPort>& ports);

} // namespace shell::cli
