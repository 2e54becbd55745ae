#include "Bytes.h"
#include "diagnostics/DebugLogText.h"
#include "QtPrinters.h"
#include <gtest/gtest.h>

using fakes::bytes;

using namespace diagnostics;

namespace {

// A single data byte is the module's status (it could not read the meter), two or more are log
// text; a failed exchange shows the link's own message.
TEST(ReadLog, ShowsAMessageOrAppendsTheLog)
{
    struct Case { QByteArray result; QString message; QByteArray appended; };
    const Case cases[] = {
        {bytes({0, 1}), "P1 busy. Please retry", {}},
        {bytes({0, 2}), "Buffer (1200bytes) overflow", {}},
        {bytes({0, 3}), "P1 not connected or protocol not set correctly", {}},
        {bytes({0, 7}), "", {}},
        {bytes({0, 2, 3}), "", bytes({2, 3})},
        {bytes({0, 'o', 'k', 13, 10, 0, 255}), "", bytes({'o', 'k', 13, 10, 0, 255})},
        {bytes({250}), "RX Length Overflow", {}},
        {bytes({251}), "Wrong end character received", {}},
        {bytes({252}), "RX timed out", {}},
        {bytes({255, 1}), "", {}},
    };
    for (const Case& c : cases) {
        const DebugLogReadOutcome outcome = interpretDebugLogResult(fakes::replyOf(c.result));
        EXPECT_EQ(outcome.message, c.message) << c.result.toHex(' ').constData();
        EXPECT_EQ(outcome.appendBytes, c.appended) << c.result.toHex(' ').constData();
    }
}

// The log box shows every byte as the character of its value; the file name proposed for it loses
// its slashes and colons.
TEST(LogText, EveryByteIsACharacterAndTheFileNameHasNoSlashesOrColons)
{
    const char16_t shown[] = {'o', 'k', 0, 0x80, 0xE9, 0xFF};
    EXPECT_EQ(logBytesToText(bytes({'o', 'k', 0, 0x80, 0xE9, 0xFF})), QString::fromUtf16(shown, 6));
    EXPECT_EQ(proposedDebugLogFileName("Visualizer V4.4 s/n:22M01234 Listening to COM7", "3/5/24", "2:07:09 PM"),
              "Visualizer V4.4 sn22M01234 Listening to COM7-debuglog-3524-20709 PM.txt");
}

} // namespace
