#pragma once
#include "firmware/UnitRecord.h"

namespace firmware {

// Appends the record's line to recordFile (defaultRecordFile, or the file the user named) and has
// it on the disk before returning: a crash afterwards cannot lose it, one during the call loses this
// record only (platform::durableAppend). Returns a sentence for the user when it is not written,
// an empty text when it is. Built with the platform, whose files it writes.
QString appendUnitRecord(const QString& recordFile, const UnitRecord& record);

} // namespace firmware
