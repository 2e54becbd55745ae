#pragma once
#include <QString>

namespace shell {

// Plain-language notes for the status line when a serial port lets the technician down: which
// port (COM number and device node) and what to do about it. The window's caption and message
// boxes stay as they are; these texts only add the reason.

// What went wrong, read from the port's own error text (SerialPort::lastError(), e.g.
// "/dev/ttyUSB0: Permission denied").
enum class PortTrouble {
    PermissionDenied, // the user may not open the device node: not in the dialout group
    InUse,            // another program holds the port (Qt's lock file, EBUSY)
    Missing,          // no such device node or COM number
    Gone,             // the device went away: unplugged adapter, hung-up line, I/O error
    Other,
};
PortTrouble classifyPortError(const QString& lastError);

// The device node named at the front of a port error ("/dev/ttyUSB0: ..."), else empty.
QString devicePathOfError(const QString& lastError);
// The reason part of a port error, without the device node in front.
QString reasonOfError(const QString& lastError);

// The port could not be opened. devicePath: the node of COM<portNumber> as the listing knows it,
// used when lastError names none (may be empty).
QString portOpenFailedText(int portNumber, const QString& devicePath, const QString& lastError);
// The port was opened by an earlier attempt and is still open, so it cannot be opened again.
QString portStillOpenText(int portNumber, const QString& devicePath);
// The open port failed during an exchange: unplugged, switched off, or the line hung up.
QString portLostText(int portNumber, const QString& devicePath, const QString& lastError);
// What the status line says of a port that works: "COM7: /dev/ttyUSB0".
QString portInUseText(int portNumber, const QString& devicePath);

// The command that puts the current user in the dialout group.
inline constexpr char kDialoutCommand[] = "sudo usermod -aG dialout $USER";

} // namespace shell
