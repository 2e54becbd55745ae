#include "platform/WholeFile.h"
#include <QSaveFile>

namespace platform {

QString saveWholeFile(const QString& path, const QByteArray& content)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.flush() && file.commit())
        return {};
    const QString why = file.errorString();
    return why.isEmpty() ? QStringLiteral("the file could not be written") : why; // the new file goes with `file`
}

} // namespace platform
