#include "Bytes.h"
#include "diagnostics/InputCounter.h"
#include "QtPrinters.h"
#include <gtest/gtest.h>

using fakes::bytes;

using namespace diagnostics;

namespace {

// The box reads its leading number (vbLeadingNumber); from 2^31 on the text is replaced by the
// largest counter value, anything else stays as typed.
TEST(InputBox, TextsAt2To31OrAboveAreCapped)
{
    const std::pair<const char*, const char*> cases[] = {
        {"2147483648", "2147483647"}, {" 9999999999 x", "2147483647"}, {"2147483647.9", "2147483647.9"},
        {"abc", "abc"},               {"-3000000000", "-3000000000"},
    };
    for (auto [typed, shown] : cases)
        EXPECT_EQ(cappedInputText(typed), shown) << typed;
}

TEST(InputValue, WholeNumbersFrom0To2To31MinusOneAreSentTheRestRefusedWithAReason)
{
    const std::pair<const char*, quint32> accepted[] = {{"258", 258}, {"abc", 0}, {"12.0", 12}, {"2147483647", 2147483647u}};
    for (auto [text, value] : accepted) {
        const InputValue v = validateInputValue(text);
        ASSERT_TRUE(v.value.has_value()) << text;
        EXPECT_EQ(*v.value, value) << text;
        EXPECT_TRUE(v.error.isEmpty()) << text;
    }
    const std::pair<const char*, const char*> refused[] = {
        {"-1", "negative"}, {"-0.5", "negative"}, {"0.1", "fraction"}, {"2147483648", "too large"}};
    for (auto [text, reason] : refused) {
        const InputValue v = validateInputValue(text);
        EXPECT_FALSE(v.value.has_value()) << text;
        EXPECT_TRUE(v.error.contains(reason)) << text << ": " << v.error.toStdString();
        EXPECT_TRUE(v.error.contains("0 to 2147483647")) << text;
    }
}

TEST(InputPayload, ConfirmationThenValueMostSignificantFirstAndTheCommandAgain)
{
    EXPECT_EQ(inputConfirmationText(1, 2147483647u), "Are you sure to set Input 2 to 2147483647?");
    EXPECT_EQ(inputCounterCommand(0), 133);
    EXPECT_EQ(inputCounterCommand(1), 134);
    EXPECT_EQ(inputCounterPayload(0, 0x12345678u).toHex(' '), bytes({0x12, 0x34, 0x56, 0x78, 133}).toHex(' '));
    EXPECT_EQ(inputCounterPayload(1, 258).toHex(' '), bytes({0, 0, 1, 2, 134}).toHex(' '));
}

} // namespace
