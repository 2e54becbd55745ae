#include "platform/Services.h"

namespace platform {

// The servers are fixed when the tool is built (QMR_FTP_HOST, QMR_FTP_USER, QMR_IMAGE_URL); the
// password belongs to the upgrade account and is the same for every installation.
ServerConfig defaultServers()
{
    return {{QStringLiteral(QMR_FTP_HOST), QStringLiteral(QMR_FTP_USER), QStringLiteral("Tq4wZn7KbP")},
            QStringLiteral(QMR_IMAGE_URL)};
}

ServerConfig withServerOptions(ServerConfig base, const QString& ftpHost, const QString& ftpUser,
                               const QString& imageUrl)
{
    if (!ftpHost.isEmpty())
        base.firmwareServer.host = ftpHost;
    if (!ftpUser.isEmpty())
        base.firmwareServer.user = ftpUser;
    if (!imageUrl.isEmpty())
        base.moduleImageBaseUrl = imageUrl;
    return base;
}

} // namespace platform
