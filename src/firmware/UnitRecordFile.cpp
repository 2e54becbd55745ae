#include "firmware/UnitRecordFile.h"
#include "platform/DurableAppend.h"
#include <QDir>

namespace firmware {

QString appendUnitRecord(const QString& recordFile, const UnitRecord& record)
{
    const QString why = platform::durableAppend(recordFile, recordLine(record));
    if (why.isEmpty())
        return {};
    return QStringLiteral("The record of this unit could not be written to %1: %2")
        .arg(QDir::toNativeSeparators(recordFile), why);
}

} // namespace firmware
