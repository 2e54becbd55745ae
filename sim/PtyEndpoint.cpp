#include "sim/PtyEndpoint.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

PtyEndpoint::~PtyEndpoint() { close(); }

bool PtyEndpoint::fail(const QString& what)
{
    error_ = what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    close();
    return false;
}

bool PtyEndpoint::open()
{
    close();
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0)
        return fail(QStringLiteral("posix_openpt"));
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        return fail(QStringLiteral("grantpt/unlockpt"));
    char name[128] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0)
        return fail(QStringLiteral("ptsname"));
    slavePath_ = QString::fromLocal8Bit(name);
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0)
        return fail(slavePath_);
    // Raw: no echo, no line editing, no translation of CR/LF or of any other byte.
    termios settings{};
    if (::tcgetattr(slave_, &settings) != 0)
        return fail(QStringLiteral("tcgetattr"));
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, B115200);
    if (::tcsetattr(slave_, TCSANOW, &settings) != 0)
        return fail(QStringLiteral("tcsetattr"));
    const int flags = ::fcntl(master_, F_GETFL);
    if (flags < 0 || ::fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail(QStringLiteral("fcntl"));
    return true;
}

void PtyEndpoint::close()
{
    if (!linkPath_.isEmpty()) {
        if (QFileInfo(linkPath_).symLinkTarget() == slavePath_)
            QFile::remove(linkPath_);
        linkPath_.clear();
    }
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    slave_ = -1;
    master_ = -1;
}

bool PtyEndpoint::createLink(const QString& linkPath)
{
    if (!isOpen()) {
        error_ = QStringLiteral("no pseudo-terminal to link to");
        return false;
    }
    const QFileInfo link(linkPath);
    if (!QDir().mkpath(link.absolutePath())) {
        error_ = link.absolutePath() + QStringLiteral(": cannot create the folder");
        return false;
    }
    // An old link (from an earlier run) is replaced; anything else there is left alone.
    if (link.isSymLink()) {
        QFile::remove(link.absoluteFilePath());
    } else if (link.exists()) {
        error_ = link.absoluteFilePath() + QStringLiteral(": exists and is not a link");
        return false;
    }
    if (!QFile::link(slavePath_, link.absoluteFilePath())) {
        error_ = link.absoluteFilePath() + QStringLiteral(": cannot create the link");
        return false;
    }
    linkPath_ = link.absoluteFilePath();
    return true;
}

} // namespace sim
