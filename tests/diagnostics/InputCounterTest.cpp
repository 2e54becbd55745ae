// What the box shows, the value sent and its payload fuzz/fuzz_settings_text.cpp checks for any text;
// here why a value is refused.
#include "diagnostics/InputCounter.h"
#include "QtPrinters.h"
#include <gtest/gtest.h>

using namespace diagnostics;

// Whole numbers from 0 to 2^31 - 1 are sent (a text without a number is 0); the rest is refused
// with the reason and the range.
TEST(InputBox, SendsOnlyWholeNumbersInRangeAndSaysWhyNot)
{
    const std::pair<const char*, const char*> cases[] = {
        {"258", ""}, {"abc", ""}, {"12.0", ""}, {"2147483647", ""}, {"2147483647.9", "fraction"},
        {"0.1", "fraction"}, {"-3000000000", "negative"}, {"-0.5", "negative"}, {" 9999999999 x", "too large"}, {"2147483648", "too large"},
    };
    for (const auto& [typed, reason] : cases) {
        const InputValue v = validateInputValue(typed);
        EXPECT_TRUE(*reason ? !v.value && v.error.contains(reason) && v.error.contains("0 to 2147483647") : v.value && v.error.isEmpty())
            << typed << ": " << v.error.toStdString();
    }
}
