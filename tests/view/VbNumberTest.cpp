#include "view/VbNumber.h"
#include <gtest/gtest.h>
#include <cmath>

namespace {

TEST(VbLeadingNumber, ReadsTheLeadingNumberOfATextBox)
{
    const std::pair<const char*, double> cases[] = {
        {"", 0},         {"300", 300},    {"  12", 12},     {"\t42", 42},     {"12abc", 12},   {"007", 7},
        {"-5", -5},      {"+7", 7},       {"3.75x", 3.75},  {".5", 0.5},      {"5.", 5},       {"-.25", -0.25},
        {"12,5", 12},    {"1e3", 1},      {"1.2.3", 1.2},   {"n/a", 0},       {"abc", 0},      {"-", 0},
        {".", 0},        {"- 5", 0},      {"+-5", 0},       {"5 6", 5},       {"  -0.5 W", -0.5},
        {"3000000000", 3000000000.0},     {"2147483648", 2147483648.0},
    };
    for (auto [text, expected] : cases)
        EXPECT_DOUBLE_EQ(view::vbLeadingNumber(QString::fromLatin1(text)), expected) << '"' << text << '"';
    EXPECT_FALSE(std::signbit(view::vbLeadingNumber("-0"))); // "-0" is 0, not a negative zero
}

TEST(VbLeadingNumber, NumbersPastTheRangeOfADoubleAreHugeNotZero)
{
    const QString huge = QStringLiteral("1") + QString(309, QLatin1Char('0'));
    EXPECT_EQ(view::vbLeadingNumber(huge), HUGE_VAL);
    EXPECT_EQ(view::vbLeadingNumber(QStringLiteral("-") + huge), -HUGE_VAL);
    EXPECT_EQ(view::vbLeadingNumber(QStringLiteral("0.") + QString(400, QLatin1Char('0')) + QStringLiteral("1")), 0);
}

TEST(VbLeadingNumber, OnlyAsciiDigitsCount)
{
    EXPECT_EQ(view::vbLeadingNumber(QStringLiteral("\u0661\u0662")), 0); // Arabic-Indic digits
    EXPECT_EQ(view::vbLeadingNumber(QStringLiteral("\u00A012")), 0);     // a no-break space is no blank
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour)
{
    const std::pair<double, double> cases[] = {
        {0.5, 0},   {1.5, 2},   {2.5, 2},     {3.5, 4},     {-0.5, 0},  {-1.5, -2}, {-2.5, -2},
        {250.5, 250}, {251.5, 252}, {2.4999, 2}, {2.5001, 3}, {7, 7},    {-7.6, -8}, {32767.5, 32768},
    };
    for (auto [value, expected] : cases)
        EXPECT_EQ(view::roundHalfEven(value), expected) << value;
    EXPECT_FALSE(std::signbit(view::roundHalfEven(-0.5)));
}

} // namespace
