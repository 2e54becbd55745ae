#include "device/VbNumber.h"
#include <gtest/gtest.h>
#include <cmath>

// A text box's leading number: blanks, one sign, digits with one dot; no exponent, no comma, and
// what follows is ignored. Past the range of a double is huge, not 0; only ASCII digits and blanks
// count (no Arabic-Indic digits, no no-break space).
TEST(VbLeadingNumber, ReadsTheLeadingNumberOfATextBox)
{
    const QString huge = QStringLiteral("1") + QString(309, QLatin1Char('0'));
    const std::pair<QString, double> cases[] = {
        {"", 0},      {"\t42", 42},    {"12abc", 12},  {"-5", -5},   {"+7", 7},       {"-.25", -0.25},
        {"12,5", 12}, {"1e3", 1},      {"1.2.3", 1.2}, {"abc", 0},   {"-", 0},        {"- 5", 0},
        {"+-5", 0},   {"5 6", 5},      {"3000000000", 3000000000.0}, {huge, HUGE_VAL}, {"-" + huge, -HUGE_VAL},
        {QStringLiteral("\u0661\u0662"), 0}, {QStringLiteral("\u00A012"), 0},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_DOUBLE_EQ(device::vbLeadingNumber(text), expected) << '"' << text.toStdString() << '"';
    EXPECT_FALSE(std::signbit(device::vbLeadingNumber("-0"))); // "-0" is 0, not a negative zero
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour)
{
    const std::pair<double, double> cases[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {2.5001, 3}, {-7.6, -8}, {32767.5, 32768},
    };
    for (auto [value, expected] : cases)
        EXPECT_EQ(device::roundHalfEven(value), expected) << value;
    EXPECT_FALSE(std::signbit(device::roundHalfEven(-0.5)));
}

