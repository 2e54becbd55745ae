#pragma once
#include "device/DeviceKind.h"
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace firmware {

// The one-off script that runs esptool for a TIKA flash from the program folder, where esptool
// finds the boot, boot-loader and partition files next to the module image. It is written as
// "PCOM" + port + ".bat" (Windows) or ".sh" (Linux) in the program folder, rewritten on every
// flash and left in place, so a technician can run it again by hand.
//
// Every path the script embeds is quoted for its shell: a program folder such as
// "C:\Program Files\QMR51" or "/home/jan/QMR51 tool" (or one holding a quote or a $) still runs
// exactly the esptool command and nothing else.
struct FlashScript {
    QString path;          // the script file, in the program folder
    QByteArray content;    // what goes into it, line ends included
    QString program;       // the shell that runs it: "cmd.exe" or "/bin/sh"
    QStringList arguments; // with the script's name (Windows) or path; run in the program folder
};

// imagePath is relative to the program folder: "DATA\TIKAv1.bin" on Windows, "DATA/TIKAv1.bin" on
// Linux ("TIKAv2.bin" for the TIKA V2).

// Windows: the three lines, each ended by CR LF: the folder's drive ("D:"), "CD " and the folder
// in double quotes, then the esptool command line for COM<port> with the image path in double
// quotes. programFolder uses '\'.
FlashScript windowsFlashScript(device::DeviceKind kind, int portNumber, const QString& imagePath,
                               const QString& programFolder);

// Linux: "#!/bin/sh", a cd into the folder, then `esptool` (the program chosen for the module)
// with the module's arguments, --port the serial device of the port (devicePath); every word in
// single quotes. Lines end in LF.
FlashScript posixFlashScript(device::DeviceKind kind, int portNumber, const QString& devicePath,
                             const QString& imagePath, const QString& programFolder, const QString& esptool);

} // namespace firmware
