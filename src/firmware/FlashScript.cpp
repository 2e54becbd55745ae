#include "firmware/FlashScript.h"
#include "firmware/EsptoolCommand.h"

namespace firmware {

namespace {
// cmd.exe takes a path in double quotes as one word; Windows paths cannot hold a double quote. A
// batch file expands %NAME% even inside quotes, so a folder such as "C:\Tools\100%\QMR51" has each
// % doubled, which the batch file reads back as one %.
QString cmdQuote(const QString& path)
{
    QString text = path;
    text.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return QLatin1Char('"') + text + QLatin1Char('"');
}
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
    const QString name = scriptFileName(portNumber, PathStyle::Windows);
    // cmd.exe /c expands %NAME% in its command line as well, so the script is named without its
    // folder: it runs from the program folder, which is the working folder of every flash.
    return {folder + name, text.toLocal8Bit(), QStringLiteral("cmd.exe"), {QStringLiteral("/c"), name}};
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
