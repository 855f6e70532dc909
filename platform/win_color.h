#pragma once

#include <QColor>
#include <cstdint>

// A Windows colour value: red in the low byte, then green, then blue. Data files, the skin and
// the controls keep colours this way; they become QColor only where they are painted or shown.
using COLORREF = uint32_t;

namespace platform {

constexpr COLORREF Rgb(uint8_t red, uint8_t green, uint8_t blue)
{
    return COLORREF(red) | (COLORREF(green) << 8) | (COLORREF(blue) << 16);
}

inline QColor ToQColor(COLORREF colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

inline COLORREF FromQColor(const QColor& colour)
{
    return Rgb(uint8_t(colour.red()), uint8_t(colour.green()), uint8_t(colour.blue()));
}

} // namespace platform
