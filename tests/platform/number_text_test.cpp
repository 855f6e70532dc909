#include "platform/number_text.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

struct NumberCase {
    const char* text;
    int32_t expected;
};

const NumberCase kCases[] = {
    {"", 0},
    {"abc", 0},
    {"-", 0},
    {"42", 42},
    {"  \t 42", 42},
    {"+7", 7},
    {"-5", -5},
    {"12abc", 12},
    {"3 4", 3},
    {"0x10", 0},
    {"- 5", 0},
    {"2147483647", std::numeric_limits<int32_t>::max()},
    {"2147483648", std::numeric_limits<int32_t>::max()},
    {"-2147483648", std::numeric_limits<int32_t>::min()},
    {"-2147483649", std::numeric_limits<int32_t>::min()},
    {"99999999999999999999999", std::numeric_limits<int32_t>::max()},
    {"000000000012", 12},
};

TEST(NumberText, ParsesLikeTheWindowsRuntime)
{
    for (const NumberCase& c : kCases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(platform::WToI(QString::fromLatin1(c.text)), c.expected);
        EXPECT_EQ(platform::AToI(c.text), c.expected);
    }
}

TEST(NumberText, Parses64BitNumbersLikeTheWindowsRuntime)
{
    struct Case {
        const char* text;
        int64_t expected;
    };
    const Case cases[] = {
        {"", 0},
        {"  -12x", -12},
        {"999999999999", 999999999999LL},
        {"-00000000005", -5},
        {"2147483648", 2147483648LL},
        {"9223372036854775807", std::numeric_limits<int64_t>::max()},
        {"9223372036854775808", std::numeric_limits<int64_t>::max()},
        {"-9223372036854775808", std::numeric_limits<int64_t>::min()},
        {"-9223372036854775809", std::numeric_limits<int64_t>::min()},
        {"99999999999999999999999999", std::numeric_limits<int64_t>::max()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(platform::AToI64(c.text), c.expected);
    }
}

TEST(NumberText, StopsAtFullWidthDigitsAndBlanks)
{
    // Full-width digits and the ideographic space are not ASCII: no number.
    EXPECT_EQ(platform::WToI(u"\uFF11\uFF12"), 0);
    EXPECT_EQ(platform::WToI(u"\u30005"), 0);
}

TEST(NumberText, FormatsDecimal)
{
    EXPECT_EQ(platform::FormatInt(-12), QStringLiteral("-12"));
    EXPECT_EQ(platform::FormatInt(std::numeric_limits<int32_t>::min()), QStringLiteral("-2147483648"));
}

} // namespace
