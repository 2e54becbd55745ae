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
    // An installed copy (bin/ beside share/applications/) keeps its files per user even where
    // bin/ happens to be writable (~/.local/bin, or /usr/local/bin for root).
    const bool installed =
        QFileInfo::exists(executableFolder + QStringLiteral("/../share/applications/qmr51-visualisation.desktop"));
    if (!installed && exe.isDir() && exe.isWritable())
        return exe.absoluteFilePath();
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty())
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    const QString folder = dataHome + QStringLiteral("/qmr51-visualisation");
    QDir().mkpath(folder);
    return folder;
}

} // namespace platform
