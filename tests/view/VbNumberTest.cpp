#include "view/VbNumber.h"
#include <gtest/gtest.h>
#include <cmath>

namespace {

// A text box's leading number: blanks, one sign, digits with one dot; no exponent, no comma, and
// what follows is ignored.
TEST(VbLeadingNumber, ReadsTheLeadingNumberOfATextBox)
{
    const std::pair<const char*, double> cases[] = {
        {"", 0},      {"\t42", 42},    {"12abc", 12},  {"-5", -5},   {"+7", 7},       {"-.25", -0.25},
        {"12,5", 12}, {"1e3", 1},      {"1.2.3", 1.2}, {"abc", 0},   {"-", 0},        {"- 5", 0},
        {"+-5", 0},   {"5 6", 5},      {"3000000000", 3000000000.0},
    };
    for (auto [text, expected] : cases)
        EXPECT_DOUBLE_EQ(view::vbLeadingNumber(QString::fromLatin1(text)), expected) << '"' << text << '"';
    EXPECT_FALSE(std::signbit(view::vbLeadingNumber("-0"))); // "-0" is 0, not a negative zero
    const QString huge = QStringLiteral("1") + QString(309, QLatin1Char('0'));
    EXPECT_EQ(view::vbLeadingNumber(huge), HUGE_VAL) << "past the range of a double is huge, not 0";
    EXPECT_EQ(view::vbLeadingNumber(QStringLiteral("-") + huge), -HUGE_VAL);
    EXPECT_EQ(view::vbLeadingNumber(QStringLiteral("\u0661\u0662")), 0); // only ASCII digits count
    EXPECT_EQ(view::vbLeadingNumber(QStringLiteral("\u00A012")), 0);     // a no-break space is no blank
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour)
{
    const std::pair<double, double> cases[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {2.5001, 3}, {-7.6, -8}, {32767.5, 32768},
    };
    for (auto [value, expected] : cases)
        EXPECT_EQ(view::roundHalfEven(value), expected) << value;
    EXPECT_FALSE(std::signbit(view::roundHalfEven(-0.5)));
}

} // namespace
