#include "Bytes.h"
#include "diagnostics/InputCounter.h"
#include "QtPrinters.h"
#include <gtest/gtest.h>

using fakes::bytes;

using namespace diagnostics;

namespace {

// The box reads its leading number (vbLeadingNumber). From 2^31 on an edit replaces its text by
// the largest counter value, anything else stays as typed. Whole numbers from 0 to 2^31 - 1 are sent
// (a text without a number is 0); the rest is refused with the reason and the range.
TEST(InputBox, CapsTheTextAndSendsOnlyWholeNumbersInRange)
{
    struct Case { const char* typed; const char* shown; std::optional<quint32> value; const char* reason; };
    const Case cases[] = {
        {"258", "258", 258, ""}, {"abc", "abc", 0, ""}, {"12.0", "12.0", 12, ""},
        {"2147483647", "2147483647", 2147483647u, ""}, {"2147483647.9", "2147483647.9", {}, "fraction"},
        {"0.1", "0.1", {}, "fraction"}, {"-3000000000", "-3000000000", {}, "negative"}, {"-0.5", "-0.5", {}, "negative"},
        {" 9999999999 x", "2147483647", {}, "too large"}, {"2147483648", "2147483647", {}, "too large"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cappedInputText(c.typed), c.shown) << c.typed;
        const InputValue v = validateInputValue(c.typed);
        EXPECT_EQ(v.value, c.value) << c.typed;
        EXPECT_TRUE(c.value ? v.error.isEmpty() : v.error.contains(c.reason) && v.error.contains("0 to 2147483647"))
            << c.typed << ": " << v.error.toStdString();
    }
}

// The payload ends with the command byte again: 133 for input 1, 134 for input 2.
TEST(InputPayload, ValueMostSignificantFirstAndTheCommandAgain)
{
    EXPECT_EQ(inputCounterPayload(0, 0x12345678u), bytes({0x12, 0x34, 0x56, 0x78, 133}));
    EXPECT_EQ(inputCounterPayload(1, 258), bytes({0, 0, 1, 2, 134}));
}

} // namespace
