#include "firmware/FlashScript.h"
#include "firmware/EsptoolCommand.h"

namespace firmware {

namespace {
// cmd.exe takes a path in double quotes as one word; Windows paths cannot hold a double quote.
QString cmdQuote(const QString& path) { return QLatin1Char('"') + path + QLatin1Char('"'); }
} // namespace

FlashScript windowsFlashScript(device::DeviceKind kind, int portNumber, const QString& imagePath,
                               const QString& programFolder)
{
    const QString crlf = QStringLiteral("\r\n");
    const QString text = programFolder.left(2) + crlf + QStringLiteral("CD ") + cmdQuote(programFolder) + crlf
        + esptoolCommandLine(kind, portNumber, cmdQuote(imagePath)) + crlf;
    QString folder = programFolder;
    if (!folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('\\');
    const QString path = folder + scriptFileName(portNumber, PathStyle::Windows);
    return {path, text.toLocal8Bit(), QStringLiteral("cmd.exe"), {QStringLiteral("/c"), path}};
}

FlashScript posixFlashScript(device::DeviceKind kind, int portNumber, const QString& devicePath,
                             const QString& imagePath, const QString& programFolder, const QString& esptool)
{
    const EsptoolCall call = esptoolCall(esptool, kind, devicePath, imagePath);
    QString folder = programFolder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    const QString path = folder + scriptFileName(portNumber, PathStyle::Posix);
    return {path, posixShellScript(programFolder, call).toUtf8(), QStringLiteral("/bin/sh"), {path}};
}

} // namespace firmware
