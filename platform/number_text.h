#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <string_view>

namespace platform {

// Reads a number the way the Windows runtime's _wtoi does: leading blanks, an optional sign,
// decimal digits up to the first other character; 0 when there are no digits. Results beyond
// the 32-bit range saturate at INT32_MIN / INT32_MAX.
int32_t WToI(QStringView text);
int32_t AToI(std::string_view text);

// The same in 64 bits, as _atoi64 does: saturates at INT64_MIN / INT64_MAX.
int64_t AToI64(std::string_view text);

// "%d" of a 32-bit value.
QString FormatInt(int64_t value);

} // namespace platform
