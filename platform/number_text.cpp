#include "platform/number_text.h"

#include <limits>

namespace platform {
namespace {

// Leading blanks, an optional sign, digits up to the first other character; saturates at the
// limits of Result.
template <typename Result, typename CharAt>
Result ParseLikeWToI(qsizetype length, CharAt charAt)
{
    qsizetype i = 0;
    while (i < length) {
        const char32_t c = charAt(i);
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != '\v' && c != '\f')
            break;
        ++i;
    }
    bool negative = false;
    if (i < length && (charAt(i) == '+' || charAt(i) == '-')) {
        negative = charAt(i) == '-';
        ++i;
    }
    // The magnitude grows in 64 bits unsigned and stops growing once it is past every limit.
    constexpr uint64_t kLimit = uint64_t(std::numeric_limits<Result>::max()) + 1;
    uint64_t magnitude = 0;
    while (i < length && charAt(i) >= '0' && charAt(i) <= '9') {
        if (magnitude <= kLimit)
            magnitude = magnitude > kLimit / 10 ? kLimit + 1 : magnitude * 10 + uint64_t(charAt(i) - '0');
        ++i;
    }
    if (negative)
        return magnitude >= kLimit ? std::numeric_limits<Result>::min() : -Result(magnitude);
    return magnitude >= kLimit ? std::numeric_limits<Result>::max() : Result(magnitude);
}

} // namespace

int32_t WToI(QStringView text)
{
    return ParseLikeWToI<int32_t>(text.size(), [&](qsizetype i) { return char32_t(text[i].unicode()); });
}

int32_t AToI(std::string_view text)
{
    return ParseLikeWToI<int32_t>(qsizetype(text.size()), [&](qsizetype i) { return char32_t(uchar(text[size_t(i)])); });
}

int64_t AToI64(std::string_view text)
{
    return ParseLikeWToI<int64_t>(qsizetype(text.size()), [&](qsizetype i) { return char32_t(uchar(text[size_t(i)])); });
}

QString FormatInt(int64_t value) { return QString::number(value); }

} // namespace platform
