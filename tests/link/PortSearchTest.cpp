#include "link/PortSearch.h"
#include <gtest/gtest.h>

namespace {

TEST(PortSearch, CandidatesAndTheirNumbers)
{
    struct Case {
        const char* name;
        std::optional<int> number;
    };
    const Case cases[] = {
        {"USB Serial Device (COM3)", 3},
        {"Communications Port (COM1)", 1},
        {"FT232R USB UART /dev/ttyUSB0 (COM12)", 12},
        {"Printer Port (LPT1)", std::nullopt},
        {"USB COM Port (COM4)", std::nullopt},         // "COM " anywhere rules it out
        {"Serial (com5)", std::nullopt},               // exact case
        {"COMtrol adapter (COM9)", 0},                 // number after the first COM: none
        {"COM7 bridge (COM9)", 7},                     // the first COM in the name wins
        {"Adapter COM42x (COM9)", 42},
        {"Adapter (COM256)", std::nullopt},            // does not fit a port number
        {"Adapter (COM)", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(comlink::candidatePortNumber(QString::fromLatin1(c.name)), c.number) << c.name;
}

TEST(PortSearch, EntryNumbersReadFromTheFourthCharacter)
{
    struct Case {
        const char* entry;
        std::optional<int> number;
    };
    for (Case c : {Case{"COM7:", 7}, Case{"COM12:", 12}, Case{"COM255:", 255}, Case{"COM256:", std::nullopt},
                   Case{"COM:", 0}, Case{"", 0}, Case{"COM 3:", 3}})
        EXPECT_EQ(comlink::portNumberOfEntry(QString::fromLatin1(c.entry)), c.number) << c.entry;
    EXPECT_EQ(comlink::portEntry(3), "COM3:");
}

} // namespace
