#include "platform/number_text.h"

#include <limits>

namespace platform {
namespace {

template <typename CharAt>
int32_t ParseLikeWToI(qsizetype length, CharAt charAt)
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
    int64_t value = 0;
    constexpr int64_t kLimit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    while (i < length && charAt(i) >= '0' && charAt(i) <= '9') {
        if (value <= kLimit)
            value = value * 10 + (charAt(i) - '0');
        ++i;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return int32_t(value);
}

} // namespace

int32_t WToI(QStringView text)
{
    return ParseLikeWToI(text.size(), [&](qsizetype i) { return char32_t(text[i].unicode()); });
}

int32_t AToI(std::string_view text)
{
    return ParseLikeWToI(qsizetype(text.size()), [&](qsizetype i) { return char32_t(uchar(text[size_t(i)])); });
}

QString FormatInt(int64_t value) { return QString::number(value); }

} // namespace platform
