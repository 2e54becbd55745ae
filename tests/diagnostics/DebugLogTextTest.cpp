// What a log read appends and how each byte is shown fuzz/fuzz_debug_log.cpp checks for any reply;
// here the message each status gives and the file name proposed for the log.
#include "Bytes.h"
#include "diagnostics/DebugLogText.h"
#include "QtPrinters.h"
#include <gtest/gtest.h>

using fakes::bytes;

using namespace diagnostics;

// A single data byte is the module's status (it could not read the meter); a failed exchange shows
// the link's own message. Statuses the module does not name show nothing.
TEST(ReadLog, ShowsTheMessageOfTheModulesOrTheLinksStatus)
{
    const std::pair<QByteArray, QString> cases[] = {
        {bytes({0, 1}), "P1 busy. Please retry"}, {bytes({0, 2}), "Buffer (1200bytes) overflow"},
        {bytes({0, 3}), "P1 not connected or protocol not set correctly"}, {bytes({0, 7}), ""},
        {bytes({250}), "RX Length Overflow"}, {bytes({251}), "Wrong end character received"},
        {bytes({252}), "RX timed out"}, {bytes({255, 1}), ""},
    };
    for (const auto& [result, message] : cases)
        EXPECT_EQ(interpretDebugLogResult(fakes::replyOf(result)).message, message) << result.toHex(' ').constData();
}

// The file name proposed for the log loses the caption's, date's and time's slashes and colons.
TEST(LogText, TheFileNameHasNoSlashesOrColons)
{
    EXPECT_EQ(proposedDebugLogFileName("Visualizer V4.4 s/n:22M01234 Listening to COM7", "3/5/24", "2:07:09 PM"),
              "Visualizer V4.4 sn22M01234 Listening to COM7-debuglog-3524-20709 PM.txt");
}
