#include "shell/TerminalText.h"
#include <gtest/gtest.h>

// What a device's bytes look like on a terminal: printable ASCII as it is, everything else escaped.
TEST(EscapedForTerminal, ShowsEveryByteButPrintableAsciiAsAnEscape)
{
    using shell::LineFeeds;
    struct Case { QByteArray bytes; LineFeeds lineFeeds; QByteArray shown; };
    const Case cases[] = {
        {"22M01234", LineFeeds::Escaped, "22M01234"},
        {"\x1b]0;owned\x07\x1b[2J", LineFeeds::Escaped, "\\x1b]0;owned\\x07\\x1b[2J"},
        {"a\tb\r\nc", LineFeeds::Escaped, "a\\tb\\r\\nc"},
        {"a\tb\r\nc\n", LineFeeds::Kept, "a\\tb\\r\nc\n"},
        {QByteArray("\x00\x7f\x80\xe9\xff", 5), LineFeeds::Kept, "\\x00\\x7f\\x80\\xe9\\xff"},
        {"C:\\x41 ~", LineFeeds::Escaped, "C:\\\\x41 ~"}, // a backslash cannot pass for an escape
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::escapedForTerminal(c.bytes, c.lineFeeds), c.shown) << c.bytes.toHex().constData();
}
