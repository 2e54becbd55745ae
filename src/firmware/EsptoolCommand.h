#pragma once
#include "device/DeviceKind.h"
#include <QString>
#include <QStringList>
#include <functional>

namespace firmware {

// A TIKA module is flashed by the external esptool program, not by this tool: esptool resets the
// module into its ROM boot loader over the serial line and writes boot_app0, the second-stage boot
// loader, the partition table and the application image. These functions only build the command
// and the one-off script that runs it from the program folder; starting it is the caller's job.
// The module kind: a TIKA V2 is the ESP32-S3 board, anything else the ESP32
// board (TIKA V1).

enum class PathStyle { Windows, Posix };

// The application image, relative to the program folder: "DATA\TIKAv1.bin" / "DATA/TIKAv1.bin"
// ("TIKAv2.bin" for the TIKA V2).
QString moduleImagePath(device::DeviceKind kind, PathStyle style);

// The argument list after the program name, with the port given as `port` ("COM5" on Windows,
// "/dev/ttyUSB0" on Linux) and the image path as given. The flash layout is the module's:
// TIKA V1 (ESP32, flash size detected): 0xe000 boot_app0.bin, 0x1000 bootloader_qio_80m.bin,
// 0x10000 image, 0x8000 ino.partitions.bin; TIKA V2 (ESP32-S3, 8 MB): 0xe000
// TIKAV2_boot_app0.bin, 0x0000 TIKAV2_bootloader.bin, 0x10000 image, 0x8000 TIKAV2_partitions.bin.
QStringList esptoolArguments(device::DeviceKind kind, const QString& port, const QString& imagePath);

// The Windows command line for the batch file. It begins with a blank:
// " esptool32.exe --chip esp32 --port COM12 --baud 115200 ..." (TIKA V1) or
// " esptools3.exe --chip esp32s3 --port COM12 ..." (TIKA V2). Nothing in it is quoted.
QString esptoolCommandLine(device::DeviceKind kind, int portNumber, const QString& imagePath);

// "PCOM" + port number + ".bat" (Windows) or ".sh" (Linux): rewritten on every flash, left in place.
QString scriptFileName(int portNumber, PathStyle style);

// Linux: the esptool shipped for the module in the program folder ("esptool32" for TIKA V1,
// "esptools3" for TIKA V2).
QString bundledEsptoolName(device::DeviceKind kind);

// Linux: which esptool to run. The bundled one in `programFolder` when `isExecutableFile` says it
// is there, else the first of "esptool", "esptool.py" that `findOnPath` resolves (it returns the
// full path or an empty text). Empty when there is none. The look-ups are the caller's, so this
// function touches no file itself.
QString chooseEsptool(device::DeviceKind kind, const QString& programFolder,
                      const std::function<bool(const QString&)>& isExecutableFile,
                      const std::function<QString(const QString&)>& findOnPath);

// Linux: what to start (with QProcess, never through a shell): `program` is the already chosen
// esptool, `devicePath` the serial device ("/dev/ttyUSB0"), `imagePath` relative to the program
// folder with '/' ("DATA/TIKAv1.bin"). The working folder must be the program folder, where the
// boot and partition files lie.
struct EsptoolCall {
    QString program;
    QStringList arguments;
};
EsptoolCall esptoolCall(const QString& program, device::DeviceKind kind, const QString& devicePath,
                        const QString& imagePath);

// `text` as one word for POSIX sh: in single quotes, with every ' written as '\''. Nothing inside
// is expanded ($, `, \, blanks, newlines stay literal).
QString shellQuote(const QString& text);

// Linux: the script that runs `call` from the program folder: "#!/bin/sh", a cd into the folder
// (the script stops when that fails), then exec of the program with its arguments. Every word,
// each path included, is quoted with shellQuote, so a folder named with blanks, quotes or $ runs
// exactly this command and nothing else. Lines end in LF.
QString posixShellScript(const QString& programFolder, const EsptoolCall& call);

} // namespace firmware
