#pragma once
#include "platform/PortListing.h"
#include <QList>
#include <QString>
#include <QStringList>

namespace shell::cli {

// What doctor looks at. The Linux facts stay empty on Windows and the Windows ones on Linux.
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
    // Windows
    bool windows = false;             // the findings give Windows' fixes
    QStringList busyPorts;            // COM ports another program holds open (Windows does not say which)
    struct Driverless {
        QString name;                 // as Device Manager shows it
        QString chip;                 // the adapter's serial chip, e.g. "FTDI"
    };
    QList<Driverless> adaptersWithoutDriver; // USB serial adapters that got no COM port
};

// Reads the facts of this machine. Linux (SystemFacts.cpp): /etc/group through the C library, /proc
// for running programs and their open files, the udev rules folders, the device nodes of `ports`.
// Windows (windows/SystemFacts.cpp): each COM port of `ports` opened once to see whether another
// program holds it, and the USB devices Windows found no driver for.
SystemFacts readSystemFacts(const QString& programFolder, const QList<platform::NumberedPort>& ports);

} // namespace shell::cli
