#include "platform/DurableAppend.h"
#include <QDir>
#include <QFileInfo>
#include <windows.h>

namespace platform {

namespace {

QString systemText() { return qt_error_string(static_cast<int>(GetLastError())); }

// Whether the file's last byte is something other than a line end: the tail of a line cut short.
bool endsMidLine(HANDLE file)
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart == 0)
        return false;
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>((size.QuadPart - 1) & 0xFFFFFFFF);
    at.OffsetHigh = static_cast<DWORD>((size.QuadPart - 1) >> 32);
    char last = '\n';
    DWORD read = 0;
    return ReadFile(file, &last, 1, &read, &at) && read == 1 && last != '\n';
}

} // namespace

QString durableAppend(const QString& path, const QByteArray& line)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("the folder %1 cannot be made").arg(QDir::toNativeSeparators(folder));
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write lands at the end of the file as it is
    // then, whichever process wrote last (a file opened for writing and seeked to its end would
    // overwrite another station's line).
    const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()),
                                    FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return systemText();
    const QByteArray bytes = endsMidLine(file) ? '\n' + line : line;
    DWORD written = 0;
    QString why;
    if (!WriteFile(file, bytes.constData(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        why = systemText();
    else if (written != static_cast<DWORD>(bytes.size()))
        why = QStringLiteral("only %1 of %2 bytes were written").arg(written).arg(bytes.size());
    if (!FlushFileBuffers(file) && why.isEmpty())
        why = systemText();
    if (!CloseHandle(file) && why.isEmpty())
        why = systemText();
    return why;
}

} // namespace platform
