#include "Bytes.h"
#include "diagnostics/InputCounter.h"
#include "QtPrinters.h"
#include <gtest/gtest.h>

// Readable QStrings in failure messages.

using fakes::bytes;

using namespace diagnostics;

namespace {


TEST(InputBox, TextsAt2To31OrAboveAreCapped)
{
    const std::pair<const char*, const char*> cases[] = {
        {"3000000000", "2147483647"},   {"2147483648", "2147483647"}, {" 9999999999 x", "2147483647"},
        {"2147483648.5", "2147483647"}, {"2147483647", "2147483647"}, {"2147483647.9", "2147483647.9"},
        {"abc", "abc"},                 {"", ""},                     {"-3000000000", "-3000000000"},
        {"12.5", "12.5"},
    };
    for (auto [typed, shown] : cases)
        EXPECT_EQ(cappedInputText(typed), shown) << typed;
}

TEST(InputValue, WholeNumbersFromZeroTo2To31MinusOneAreSent)
{
    const std::pair<const char*, quint32> accepted[] = {
        {"258", 258}, {"", 0}, {"abc", 0}, {"  42 pulses", 42}, {"12.0", 12}, {"-0", 0}, {"2147483647", 2147483647u}};
    for (auto [text, value] : accepted) {
        const InputValue v = validateInputValue(text);
        ASSERT_TRUE(v.value.has_value()) << text;
        EXPECT_EQ(*v.value, value) << text;
        EXPECT_TRUE(v.error.isEmpty()) << text;
    }
}

TEST(InputValue, NegativeFractionalAndTooLargeAreRefusedWithAReason)
{
    const std::pair<const char*, const char*> refused[] = {
        {"-1", "negative"}, {"-0.5", "negative"}, {"12.5", "fraction"}, {"0.1", "fraction"}, {"2147483648", "too large"}};
    for (auto [text, reason] : refused) {
        const InputValue v = validateInputValue(text);
        EXPECT_FALSE(v.value.has_value()) << text;
        EXPECT_TRUE(v.error.contains(reason)) << text << ": " << v.error.toStdString();
        EXPECT_TRUE(v.error.contains("0 to 2147483647")) << text;
    }
}

TEST(InputConfirmation, NamesTheInputAndTheValue)
{
    EXPECT_EQ(inputConfirmationText(0, 0), "Are you sure to set Input 1 to 0?");
    EXPECT_EQ(inputConfirmationText(1, 258), "Are you sure to set Input 2 to 258?");
    EXPECT_EQ(inputConfirmationText(1, 2147483647u), "Are you sure to set Input 2 to 2147483647?");
}

TEST(InputPayload, ValueMostSignificantFirstThenTheCommandAgain)
{
    struct Case { int input; quint32 value; int command; QByteArray payload; };
    const Case cases[] = {
        {1, 258, 134, bytes({0, 0, 1, 2, 134})},
        {0, 0, 133, bytes({0, 0, 0, 0, 133})},
        {0, 0x12345678u, 133, bytes({0x12, 0x34, 0x56, 0x78, 133})},
        {1, 2147483647u, 134, bytes({0x7F, 0xFF, 0xFF, 0xFF, 134})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(inputCounterCommand(c.input), c.command);
        EXPECT_EQ(inputCounterPayload(c.input, c.value).toHex(' '), c.payload.toHex(' ')) << c.value;
    }
}

} // namespace
