#include "controls/msk_edit.h"
#include "controls/msk_edit_filter.h"
#include "controls/msk_edit_text.h"

#include <gtest/gtest.h>

using namespace controls;

TEST(MskEditText, ParsesTimeTextsFromTheRight)
{
    struct Case {
        const char* text;
        int64_t hundredths;
    } cases[] = {
        { "5:30", 530 },
        { "1:00:00:00", 360000 },
        { "1:02:03:04", 372304 },
        { "0:90:00:00", 540000 },
        { "", 0 },
        { "7", 7 },
        { "2:3", 203 },
        { " 1 : 2 ", 102 },
        { "-1:00", -100 },
        { "12x:34", 1234 },
        // Beyond 32 bits: a time far above any maximum must keep its size.
        { "11931:00:00:00", int64_t(11931) * 360000 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseTimeText(QString::fromUtf8(c.text)), c.hundredths);
        EXPECT_EQ(CMskEdit::ConvertWindowTime(QString::fromUtf8(c.text)), c.hundredths);
    }
}

TEST(MskEditText, FormatsTimesAndSplitsThemLikeTheFormat)
{
    struct Case {
        int64_t hundredths;
        const char* text;
    } cases[] = {
        { 0, "0:00:00:00" },
        { 530, "0:00:05:30" },
        { 372304, "1:02:03:04" },
        { 2147483647, "5965:13:56:47" },
        { int64_t(11931) * 360000 + 99, "11931:00:00:99" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CMskEdit::GetFormatTimeStr(c.hundredths), QString::fromUtf8(c.text));
    }
    int64_t h = -1, m = -1, s = -1, cs = -1;
    EXPECT_EQ(CMskEdit::ConvertWindowTime(QStringLiteral("0:90:01:02"), h, m, s, cs), 540102);
    EXPECT_EQ(std::vector<int64_t>({ h, m, s, cs }), std::vector<int64_t>({ 1, 30, 1, 2 }));
}

TEST(MskEditText, SplitsAtOneCharacterAndTrimsEachPiece)
{
    QStringList pieces;
    EXPECT_EQ(CMskEdit::SplitString(QStringLiteral(" 1 : 2 "), pieces, QLatin1Char(':')), 2);
    EXPECT_EQ(pieces, QStringList({ QStringLiteral("1"), QStringLiteral("2") }));
    EXPECT_EQ(CMskEdit::SplitString(QString(), pieces, QLatin1Char(':')), 1);
    EXPECT_EQ(pieces, QStringList({ QString() }));
    EXPECT_EQ(CMskEdit::SplitString(QStringLiteral("a::b:"), pieces, QLatin1Char(':')), 4);
    EXPECT_EQ(pieces, QStringList({ QStringLiteral("a"), QString(), QStringLiteral("b"), QString() }));
}

TEST(MskEditText, ReadsLeadingDecimalNumbersWithoutLocale)
{
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        { "3.14", 3.14 },
        { "  -2.5xyz", -2.5 },
        { "abc", 0.0 },
        { ".5", 0.5 },
        { "1e3", 1000.0 },
        { "1e", 1.0 },
        { "-", 0.0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(ParseLeadingDouble(QString::fromUtf8(c.text)), c.value);
    }
}

TEST(MskEditText, NormalisesTextsByInputType)
{
    struct Case {
        int type;
        const char* text;
        const char* normalised;
    } cases[] = {
        { 0, "  abc ", "  abc " },
        { 1, "0012", "12" },
        { 1, "-", "0" },
        { 2, "3.", "3" },
        { 2, "3.140", "3.14" },
        // The shortest exact decimal, never an exponent nor a cut: 1.23457e+06 would read back
        // as 1.
        { 2, "1234567", "1234567" },
        { 2, "3.14159265", "3.14159265" },
        { 2, "0.000001", "0.000001" },
        { 2, "-2.50", "-2.5" },
        { 2, "12345678.9", "12345678.9" },
        { 3, "5:30", "0:00:05:30" },
        { 3, "0:90:00:00", "1:30:00:00" },
        { 3, "", "" },
        { 1, "", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " " + c.text);
        EXPECT_EQ(NormalisedText(c.type, QString::fromUtf8(c.text)), QString::fromUtf8(c.normalised));
    }
}

TEST(MskEditText, FormatsMessagesWithStringArgumentsOnly)
{
    EXPECT_EQ(
        FormatWithStrings(QStringLiteral("「%s」～「%s」"), { QStringLiteral("a"), QStringLiteral("b") }),
        QStringLiteral("「a」～「b」"));
    // Other conversions and missing arguments never read beyond what was given.
    EXPECT_EQ(FormatWithStrings(QStringLiteral("%d %s %s 100%% %1"), { QStringLiteral("x") }),
        QStringLiteral("%d x  100% %1"));
}
