#pragma once
#include <QString>

namespace device {

// One field of a CSV line (RFC 4180), for every CSV the tool writes (the readings export, the record
// of units): the text as it is, or quoted with its quotes doubled when it holds a comma, a quote, CR
// or LF, so a spreadsheet and Python's csv module read back exactly the text written.
QString csvField(const QString& text);

} // namespace device
