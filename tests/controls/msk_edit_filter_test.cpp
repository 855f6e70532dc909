#include "controls/control_messages.h"
#include "controls/msk_edit_filter.h"

#include <gtest/gtest.h>

using namespace controls;

namespace {

struct FilterCase {
    const char* name;
    MaskRules rules;
    const char16_t* text;
    int selectionStart;
    int selectionEnd;
    char16_t typed;
    CharVerdict::Kind expected;
    const char16_t* replacement = u""; // for ReplaceWithBound; the character for Accept
};

MaskRules Rules(int type, int maximum = -1, int minimum = 0, int decimals = -1)
{
    MaskRules rules;
    rules.inputType = type;
    rules.numberMaximum = maximum;
    rules.numberMinimum = minimum;
    rules.decimalsMaximum = decimals;
    return rules;
}

MaskRules TextRules(int mode, const char16_t* characters, uint32_t style = 0)
{
    MaskRules rules;
    rules.textMode = mode;
    rules.enableChars = QString::fromUtf16(characters);
    rules.style = style;
    return rules;
}

void RunCases(const std::vector<FilterCase>& cases)
{
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(c.name);
        const EditState state { QString::fromUtf16(c.text), c.selectionStart, c.selectionEnd };
        const CharVerdict verdict = FilterTypedChar(c.rules, state, QChar(c.typed));
        EXPECT_EQ(verdict.kind, c.expected);
        if (c.expected == CharVerdict::ReplaceWithBound) {
            EXPECT_EQ(verdict.replacement, QString::fromUtf16(c.replacement));
        }
        if (c.expected == CharVerdict::Accept && *c.replacement) {
            EXPECT_EQ(verdict.character, QChar(*c.replacement));
        }
    }
}

constexpr auto Accept = CharVerdict::Accept;
constexpr auto Refuse = CharVerdict::Refuse;
constexpr auto Replace = CharVerdict::ReplaceWithBound;

} // namespace

TEST(MskEditFilter, TextTypeFollowsItsCharacterSetAndCase)
{
    RunCases({
        { "mode 0 refuses a listed character", TextRules(0, u"/\\"), u"ab", 2, 2, u'/', Refuse },
        { "mode 0 accepts others", TextRules(0, u"/\\"), u"ab", 2, 2, u'c', Accept },
        { "mode 1 accepts a listed character", TextRules(1, u"abc"), u"", 0, 0, u'b', Accept },
        { "mode 1 refuses others", TextRules(1, u"abc"), u"", 0, 0, u'd', Refuse },
        { "lower-case style converts first", TextRules(1, u"abc", ES_LOWERCASE), u"", 0, 0, u'B', Accept,
            u"b" },
        { "upper-case style converts first", TextRules(0, u"a", ES_UPPERCASE), u"", 0, 0, u'a', Accept,
            u"A" },
        { "Japanese text passes mode 0", TextRules(0, u""), u"", 0, 0, u'日', Accept },
    });
}

TEST(MskEditFilter, IntegerTypeKeepsItsRange)
{
    RunCases({
        { "letter refused", Rules(1, 100, 0), u"5", 1, 1, u'a', Refuse },
        { "digit within range", Rules(1, 100, 0), u"5", 1, 1, u'0', Accept },
        { "above maximum becomes the maximum", Rules(1, 100, 0), u"50", 2, 2, u'0', Replace, u"100" },
        { "below minimum becomes the minimum", Rules(1, 100, 20), u"1", 1, 1, u'0', Replace, u"20" },
        { "empty text accepts a digit below the minimum", Rules(1, 100, 20), u"", 0, 0, u'1', Accept },
        { "no range: minus anywhere", Rules(1), u"12", 1, 1, u'-', Accept },
        { "no range: no bound", Rules(1), u"99999", 5, 5, u'9', Accept },
        { "minus refused without negative minimum", Rules(1, 100, 0), u"", 0, 0, u'-', Refuse },
        { "minus at start accepted", Rules(1, 10, -10), u"", 0, 0, u'-', Accept },
        { "second minus at start refused", Rules(1, 10, -10), u"-", 0, 0, u'-', Refuse },
        { "minus over a selected minus accepted", Rules(1, 10, -10), u"-5", 0, 1, u'-', Accept },
        { "minus behind the start refused", Rules(1, 10, -10), u"5", 1, 1, u'-', Refuse },
        { "minus in front of a digit", Rules(1, 10, -10), u"5", 0, 0, u'-', Accept },
        { "replacing the selection is checked", Rules(1, 100, 0), u"123", 0, 3, u'7', Accept },
    });
}

TEST(MskEditFilter, DecimalTypeKeepsRangeAndDecimals)
{
    RunCases({
        { "a digit after the limit of decimals", Rules(2, 1000, 0, 2), u"3.14", 4, 4, u'5', Refuse },
        { "a digit before the point still fits", Rules(2, 1000, 0, 2), u"3.14", 0, 0, u'2', Accept },
        { "point first refused", Rules(2, 1000, 0, 2), u"", 0, 0, u'.', Refuse },
        { "second point refused", Rules(2, 1000, 0, 2), u"3.1", 3, 3, u'.', Refuse },
        { "point over the selected point", Rules(2, 1000, 0, 2), u"3.1", 1, 2, u'.', Accept },
        { "point right behind a minus", Rules(2, 10, -10), u"-", 1, 1, u'.', Refuse },
        { "minus without negatives refused", Rules(2, 1000, 0), u"", 0, 0, u'-', Refuse },
        { "minus with a negative minimum", Rules(2, 10, -10), u"", 0, 0, u'-', Accept },
        { "above maximum becomes the maximum", Rules(2, 1000, 0), u"999", 3, 3, u'9', Replace, u"1000" },
        { "default range: first character accepted", Rules(2), u"", 0, 0, u'5', Accept },
        { "default range: a whole-number value of 0 or more becomes -1", Rules(2), u"5", 1, 1, u'1', Replace,
            u"-1" },
        { "default range: a minus may start the text", Rules(2), u"", 0, 0, u'-', Accept },
        { "letter refused", Rules(2, 1000, 0), u"1", 1, 1, u'e', Refuse },
    });
}

TEST(MskEditFilter, TimeTypeParsesTheCandidateAndRefusesAFifthField)
{
    RunCases({
        { "letter refused", Rules(3), u"1", 1, 1, u'a', Refuse },
        { "minus refused", Rules(3), u"", 0, 0, u'-', Refuse },
        { "fourth colon refused", Rules(3), u"1:02:03:04", 10, 10, u':', Refuse },
        { "third colon accepted for checking", Rules(3), u"1:02:03", 7, 7, u':', CharVerdict::CheckTime },
    });
    const CharVerdict verdict
        = FilterTypedChar(Rules(3), EditState { QStringLiteral("1:00:00:0"), 9, 9 }, QLatin1Char('1'));
    EXPECT_EQ(verdict.kind, CharVerdict::CheckTime);
    EXPECT_EQ(verdict.time, 360001);
    // The candidate is measured in 64 bits, never wrapped into the 32-bit range.
    const CharVerdict huge
        = FilterTypedChar(Rules(3), EditState { QStringLiteral("11931:00:00:0"), 13, 13 }, QLatin1Char('0'));
    EXPECT_EQ(huge.time, int64_t(11931) * 360000);
}

TEST(MskEditFilter, CandidateReplacesTheSelection)
{
    EXPECT_EQ(CandidateText({ QStringLiteral("12345"), 1, 3 }, QStringLiteral("x")), QStringLiteral("1x45"));
    EXPECT_EQ(CandidateText({ QStringLiteral("12"), 2, 2 }, QStringLiteral("3")), QStringLiteral("123"));
    EXPECT_EQ(CandidateText({ QStringLiteral("12"), 0, 2 }, QString()), QString());
}
