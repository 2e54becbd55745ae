#include "shell/PortErrorText.h"

namespace shell {

namespace {

bool mentions(const QString& text, const char* words) { return text.contains(QLatin1String(words), Qt::CaseInsensitive); }

// "COM7 (/dev/ttyUSB0)", or "COM7" when the node is unknown.
QString portName(int portNumber, const QString& devicePath)
{
    const QString com = QStringLiteral("COM%1").arg(portNumber);
    return devicePath.isEmpty() ? com : com + QStringLiteral(" (") + devicePath + QLatin1Char(')');
}

// The node the port error names is the one that was tried; the listing's may have changed since
// (an adapter plugged in again comes back under another node).
QString pathFor(const QString& devicePath, const QString& lastError)
{
    const QString tried = devicePathOfError(lastError);
    return tried.isEmpty() ? devicePath : tried;
}

} // namespace

PortTrouble classifyPortError(const QString& lastError)
{
    // Qt reports a port that another program has locked as a "permission error while locking":
    // that is a busy port, not a missing group membership, so it is looked at first.
    if (mentions(lastError, "locking") || mentions(lastError, "busy") || mentions(lastError, "in use"))
        return PortTrouble::InUse;
    if (mentions(lastError, "permission denied") || mentions(lastError, "operation not permitted"))
        return PortTrouble::PermissionDenied;
    if (mentions(lastError, "no such file") || mentions(lastError, "no such port") || mentions(lastError, "not found"))
        return PortTrouble::Missing;
    if (mentions(lastError, "gone") || mentions(lastError, "hung up") || mentions(lastError, "no such device")
        || mentions(lastError, "input/output error"))
        return PortTrouble::Gone;
    return PortTrouble::Other;
}

QString devicePathOfError(const QString& lastError)
{
    if (!lastError.startsWith(QLatin1Char('/')))
        return {};
    const qsizetype colon = lastError.indexOf(QStringLiteral(": "));
    return colon < 0 ? QString() : lastError.left(colon);
}

QString reasonOfError(const QString& lastError)
{
    const QString path = devicePathOfError(lastError);
    return path.isEmpty() ? lastError.trimmed() : lastError.mid(path.size() + 2).trimmed();
}

QString portOpenFailedText(int portNumber, const QString& devicePath, const QString& lastError)
{
    const QString port = portName(portNumber, pathFor(devicePath, lastError));
    switch (classifyPortError(lastError)) {
    case PortTrouble::PermissionDenied:
        return port + QStringLiteral(" cannot be opened: permission denied. Your user must be in the dialout group: "
                                     "run  %1  then log out and in again.")
                          .arg(QLatin1String(kDialoutCommand));
    case PortTrouble::InUse:
        return port + QStringLiteral(" cannot be opened: another program is using it. Close that program (a terminal "
                                     "program, a second copy of this tool) and press Open again.");
    case PortTrouble::Missing:
        return port + QStringLiteral(" cannot be opened: there is no such device. Check that the adapter is plugged in, "
                                     "then press Scan.");
    case PortTrouble::Gone:
        return port + QStringLiteral(" cannot be opened: the device has gone (unplugged or switched off). Plug it in "
                                     "again, then press Scan.");
    case PortTrouble::Other:
        break;
    }
    const QString reason = reasonOfError(lastError);
    return port + QStringLiteral(" cannot be opened") + (reason.isEmpty() ? QString() : QStringLiteral(": ") + reason)
        + QLatin1Char('.');
}

QString portStillOpenText(int portNumber, const QString& devicePath)
{
    return portName(portNumber, devicePath)
        + QStringLiteral(" is still open from the last attempt. Pick it in the port list again (that closes it), "
                         "then press Open.");
}

QString portLostText(int portNumber, const QString& devicePath, const QString& lastError)
{
    const QString reason = reasonOfError(lastError);
    return portName(portNumber, pathFor(devicePath, lastError))
        + QStringLiteral(" stopped answering: the device was unplugged or switched off")
        + (reason.isEmpty() ? QString() : QStringLiteral(" (") + reason + QLatin1Char(')'))
        + QStringLiteral(". Plug it in again, then press Scan.");
}

QString portInUseText(int portNumber, const QString& devicePath)
{
    return devicePath.isEmpty() ? QStringLiteral("COM%1:").arg(portNumber)
                                : QStringLiteral("COM%1: %2").arg(portNumber).arg(devicePath);
}

} // namespace shell
