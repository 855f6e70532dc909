#include "controls/msk_edit_filter.h"

#include "controls/control_messages.h"
#include "controls/msk_edit_text.h"
#include "platform/number_text.h"

#include <QLocale>
#include <algorithm>
#include <optional>

namespace controls {
namespace {

CharVerdict Verdict(CharVerdict::Kind kind, QChar character)
{
    CharVerdict verdict;
    verdict.kind = kind;
    verdict.character = character;
    return verdict;
}

// The position rules of a minus sign: only at the start, and not a second one.
bool MinusPositionAllowed(const EditState& state)
{
    if (state.selectionStart != 0)
        return false;
    const bool selectionEmpty = state.selectionStart == state.selectionEnd;
    return !(state.text.startsWith(QLatin1Char('-')) && selectionEmpty);
}

// A candidate outside the range replaces the text with the bound it passed.
std::optional<CharVerdict> RangeCorrection(const MaskRules& rules, const QString& candidate, QChar character)
{
    const int32_t value = platform::WToI(candidate);
    int32_t bound = 0;
    if (value < rules.numberMinimum)
        bound = rules.numberMinimum;
    else if (value > rules.numberMaximum)
        bound = rules.numberMaximum;
    else
        return std::nullopt;
    CharVerdict verdict = Verdict(CharVerdict::ReplaceWithBound, character);
    verdict.replacement = QString::number(bound);
    return verdict;
}

CharVerdict FilterText(const MaskRules& rules, QChar character)
{
    if (rules.style & ES_LOWERCASE)
        character = character.toLower();
    else if (rules.style & ES_UPPERCASE)
        character = character.toUpper();
    const bool listed = rules.enableChars.contains(character);
    const bool accepted = rules.textMode == 1 ? listed : !listed;
    return Verdict(accepted ? CharVerdict::Accept : CharVerdict::Refuse, character);
}

CharVerdict FilterInteger(const MaskRules& rules, const EditState& state, QChar character)
{
    if (!QStringLiteral("-0123456789").contains(character))
        return Verdict(CharVerdict::Refuse, character);
    if (!(rules.numberMinimum < rules.numberMaximum))
        return Verdict(CharVerdict::Accept, character);
    if (character == QLatin1Char('-') && (rules.numberMinimum >= 0 || !MinusPositionAllowed(state)))
        return Verdict(CharVerdict::Refuse, character);
    if (state.text.isEmpty())
        return Verdict(CharVerdict::Accept, character);
    if (auto corrected = RangeCorrection(rules, CandidateText(state, QString(character)), character))
        return *corrected;
    return Verdict(CharVerdict::Accept, character);
}

CharVerdict FilterDecimal(const MaskRules& rules, const EditState& state, QChar character)
{
    if (!QStringLiteral("-0123456789.").contains(character))
        return Verdict(CharVerdict::Refuse, character);
    if (character == QLatin1Char('-')) {
        const bool rangeWithoutNegatives
            = !(rules.numberMaximum < rules.numberMinimum) && rules.numberMinimum >= 0;
        if (rangeWithoutNegatives || !MinusPositionAllowed(state))
            return Verdict(CharVerdict::Refuse, character);
    }
    if (character == QLatin1Char('.')) {
        const QString outside = CandidateText(state, QString());
        const bool behindMinus = state.selectionStart == 1 && state.text.startsWith(QLatin1Char('-'));
        if (state.selectionStart == 0 || behindMinus || outside.contains(QLatin1Char('.')))
            return Verdict(CharVerdict::Refuse, character);
    }
    if (state.text.isEmpty())
        return Verdict(CharVerdict::Accept, character);
    const QString candidate = CandidateText(state, QString(character));
    if (auto corrected = RangeCorrection(rules, candidate, character))
        return *corrected;
    const qsizetype point = candidate.indexOf(QLatin1Char('.'));
    if (rules.decimalsMaximum >= 0 && point >= 0 && point + rules.decimalsMaximum + 1 < candidate.size())
        return Verdict(CharVerdict::Refuse, character);
    return Verdict(CharVerdict::Accept, character);
}

CharVerdict FilterTime(const EditState& state, QChar character)
{
    if (!QStringLiteral("0123456789:").contains(character))
        return Verdict(CharVerdict::Refuse, character);
    const QString candidate = CandidateText(state, QString(character));
    if (SplitTrimmed(candidate, QLatin1Char(':')).size() >= 5)
        return Verdict(CharVerdict::Refuse, character);
    CharVerdict verdict = Verdict(CharVerdict::CheckTime, character);
    verdict.time = ParseTimeText(candidate);
    return verdict;
}

} // namespace

QString CandidateText(const EditState& state, const QString& inserted)
{
    const int start
        = std::clamp(std::min(state.selectionStart, state.selectionEnd), 0, int(state.text.size()));
    const int end = std::clamp(std::max(state.selectionStart, state.selectionEnd), 0, int(state.text.size()));
    return state.text.left(start) + inserted + state.text.mid(end);
}

CharVerdict FilterTypedChar(const MaskRules& rules, const EditState& state, QChar character)
{
    switch (rules.inputType) {
    case 0:
        return FilterText(rules, character);
    case 1:
        return FilterInteger(rules, state, character);
    case 2:
        return FilterDecimal(rules, state, character);
    case 3:
        return FilterTime(state, character);
    default:
        return Verdict(CharVerdict::Accept, character);
    }
}

QString NormalisedText(int32_t inputType, const QString& text)
{
    if (text.isEmpty())
        return text;
    switch (inputType) {
    case 1:
        return QString::number(platform::WToI(text));
    case 2:
        // The shortest decimal that reads back as the same number, never with an exponent:
        // "%g" would turn 1234567 into 1.23457e+06 (read back as 1) and cut 3.14159265.
        return QString::number(ParseLeadingDouble(text), 'f', QLocale::FloatingPointShortest);
    case 3:
        return FormatTimeText(ParseTimeText(text));
    default:
        return text;
    }
}

} // namespace controls
