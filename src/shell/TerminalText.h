#pragma once
#include <QByteArray>

namespace shell {

// Bytes a device chose (its serial number, its debug log) as text for a terminal or a script. A
// terminal obeys control characters: a module, or whatever answers on the line, could clear the
// screen, move the cursor over earlier lines or retitle the window, and a tab or line break in a
// serial number would shift the columns a script reads. So every byte but printable ASCII shows
// as an escape: \r, \n, \t, \\ for the backslash itself, and \x followed by two lower-case hex
// digits for every other byte below 0x20, 0x7F and 0x80 ... 0xFF. The result is plain ASCII and
// says unambiguously which bytes came.
enum class LineFeeds {
    Escaped, // one line of text: a line feed shows as \n
    Kept,    // a log: line feeds stay line breaks (a CR before one still shows as \r)
};
QByteArray escapedForTerminal(const QByteArray& bytes, LineFeeds lineFeeds);

} // namespace shell
