#pragma once

#include "controls/controls_export.h"

#include <QString>
#include <QStringList>
#include <cstdint>

// Text helpers of the masked edit, free of widgets.
namespace controls {

// Splits at a one-character separator, trimming blanks from each piece; an empty text gives
// one empty piece.
KALEIDRA_CONTROLS_EXPORT QStringList SplitTrimmed(const QString& text, QChar separator);

// Parses a time text in hundredths of a second: up to four ":"-separated fields filled from
// the right (hundredths, seconds, minutes, hours), each read like _wtol, no field limited to
// its usual range; ((h * 60 + m) * 60 + s) * 100 + hundredths in 64 bits.
KALEIDRA_CONTROLS_EXPORT int64_t ParseTimeText(const QString& text);

struct TimeFields {
    int64_t hours = 0;
    int64_t minutes = 0;
    int64_t seconds = 0;
    int64_t hundredths = 0;
};
// Splits hundredths of a second with truncating division.
KALEIDRA_CONTROLS_EXPORT TimeFields SplitTime(int64_t hundredths);

// "%d:%02d:%02d:%02d" of the fields of SplitTime.
KALEIDRA_CONTROLS_EXPORT QString FormatTimeText(int64_t hundredths);

// Reads a number the way _wtof does: leading blanks, a sign, digits, a point, digits, an
// exponent; 0 without digits. Independent of the locale.
KALEIDRA_CONTROLS_EXPORT double ParseLeadingDouble(const QString& text);

// Formats like printf with a format holding "%s" conversions (and "%%"): each "%s" takes the
// next argument; other "%" sequences are kept as they are, so any text is a safe format.
KALEIDRA_CONTROLS_EXPORT QString FormatWithStrings(const QString& format, const QStringList& arguments);

} // namespace controls
