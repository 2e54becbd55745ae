#include "platform/ProgramFolder.h"
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace platform {

namespace {

// Windows decides by the folder's access rights, which QFileInfo::isWritable does not read (it
// sees only the read-only flag): a copy under C:\Program Files looks writable and is not. So the
// folder is asked by making a file there.
bool canWriteIn(const QString& folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("qmr51-probe-XXXXXX")));
    return probe.open();
}

} // namespace

QString resolveProgramFolder(const QString& executableFolder, const QString& overrideFolder)
{
    if (!overrideFolder.isEmpty()) {
        QDir().mkpath(overrideFolder);
        return QDir(overrideFolder).absolutePath();
    }
    if (canWriteIn(executableFolder))
        return QDir(executableFolder).absolutePath();
    QString localAppData = QDir::fromNativeSeparators(qEnvironmentVariable("LOCALAPPDATA"));
    if (localAppData.isEmpty())
        localAppData = QDir::homePath() + QStringLiteral("/AppData/Local");
    const QString folder = localAppData + QStringLiteral("/qmr51-visualisation");
    QDir().mkpath(folder);
    return folder;
}

} // namespace platform
