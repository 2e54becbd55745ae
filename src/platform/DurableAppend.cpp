#include "platform/DurableAppend.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QString systemText() { return qt_error_string(errno); }

// Whether the file's last byte is something other than a line end: the tail of a line cut short.
bool endsMidLine(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size == 0)
        return false;
    char last = '\n';
    return ::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n';
}

} // namespace

QString durableAppend(const QString& path, const QByteArray& line)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("the folder %1 cannot be made").arg(QDir::toNativeSeparators(folder));
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return systemText();
    const QByteArray bytes = endsMidLine(fd) ? '\n' + line : line;
    ssize_t written = -1;
    do {
        written = ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size()));
    } while (written < 0 && errno == EINTR);
    QString why;
    if (written < 0)
        why = systemText();
    else if (written != bytes.size())
        why = QStringLiteral("only %1 of %2 bytes were written").arg(written).arg(bytes.size());
    if (::fsync(fd) != 0 && why.isEmpty())
        why = systemText();
    if (::close(fd) != 0 && why.isEmpty())
        why = systemText();
    return why;
}

} // namespace platform
