#include "platform/ProgramFolder.h"
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

QString resolveProgramFolder(const QString& executableFolder, const QString& overrideFolder)
{
    if (!overrideFolder.isEmpty()) {
        QDir().mkpath(overrideFolder);
        return QDir(overrideFolder).absolutePath();
    }
    const QFileInfo exe(executableFolder);
    if (exe.isDir() && exe.isWritable())
        return exe.absoluteFilePath();
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty())
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    const QString folder = dataHome + QStringLiteral("/qmr51-visualisation");
    QDir().mkpath(folder);
    return folder;
}

} // namespace platform
