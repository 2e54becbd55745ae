#pragma once
#include <QtGlobal>

namespace firmware {

// The most the tool takes from a server for each file. Far above anything the servers publish,
// far below what would fill a disk or memory: a server that is wrong (or hostile) and sends an
// endless answer is cut off at these sizes, and the download fails.
inline constexpr qint64 kUpgradeListMaxBytes = 1024;              // the list is 92 bytes
inline constexpr qint64 kHexFileMaxBytes = 4 * 1024 * 1024;       // a QMR51 HEX file is some 90 kB
inline constexpr qint64 kModuleImageMaxBytes = 16 * 1024 * 1024;  // the largest ESP32 flash

} // namespace firmware
