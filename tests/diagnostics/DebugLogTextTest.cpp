#include "Bytes.h"
#include "diagnostics/DebugLogText.h"
#include "QtPrinters.h"
#include <gtest/gtest.h>

// Readable QStrings in failure messages.

using fakes::bytes;

using namespace diagnostics;

namespace {


struct LogCase {
    const char* name;
    QByteArray result;
    QString message;
    QByteArray appended;
};

void PrintTo(const LogCase& c, std::ostream* os) { *os << c.name; }

class ReadLog : public ::testing::TestWithParam<LogCase> {};

TEST_P(ReadLog, ShowsAMessageOrAppendsTheLog)
{
    const LogCase& c = GetParam();
    const DebugLogReadOutcome outcome = interpretDebugLogResult(c.result);
    EXPECT_EQ(outcome.message, c.message);
    EXPECT_EQ(outcome.appendBytes.toHex(' '), c.appended.toHex(' '));
}

INSTANTIATE_TEST_SUITE_P(
    Results, ReadLog,
    ::testing::Values(
        LogCase{"meter_port_busy", bytes({0, 1}), "P1 busy. Please retry", {}},
        LogCase{"buffer_overflow", bytes({0, 2}), "Buffer (1200bytes) overflow", {}},
        LogCase{"meter_port_not_connected", bytes({0, 3}), "P1 not connected or protocol not set correctly", {}},
        LogCase{"other_single_byte_does_nothing", bytes({0, 7}), "", {}},
        LogCase{"single_zero_byte_does_nothing", bytes({0, 0}), "", {}},
        LogCase{"two_data_bytes_are_log", bytes({0, 2, 3}), "", bytes({2, 3})},
        LogCase{"log_text_with_any_bytes", bytes({0, 'o', 'k', 13, 10, 0, 255}), "", bytes({'o', 'k', 13, 10, 0, 255})},
        LogCase{"empty_log", bytes({0}), "", {}},
        LogCase{"length_overflow", bytes({250}), "RX Length Overflow", {}},
        LogCase{"wrong_end", bytes({251}), "Wrong end character received", {}},
        LogCase{"timed_out", bytes({252}), "RX timed out", {}},
        LogCase{"other_status", bytes({255, 1}), "", {}},
        LogCase{"no_result", {}, "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LogText, EveryByteIsShownAsTheCharacterOfItsValue)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString shown = logBytesToText(all);
    ASSERT_EQ(shown.size(), 256);
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(shown[b].unicode(), b);
}

TEST(LogFileName, SlashesAndColonsAreRemoved)
{
    const QString caption = "Visualizer V4.4 s/n:22M01234 Listening to COM7 TIKA V2 FW V24.2.0.1";
    EXPECT_EQ(proposedDebugLogFileName(caption, "05-03-2024", "14:07:09"),
              "Visualizer V4.4 sn22M01234 Listening to COM7 TIKA V2 FW V24.2.0.1-debuglog-05-03-2024-140709.txt");
    EXPECT_EQ(proposedDebugLogFileName("QMR51-TIKA V4.4 ----", "3/5/24", "2:07:09 PM"),
              "QMR51-TIKA V4.4 -----debuglog-3524-20709 PM.txt");
}

} // namespace
