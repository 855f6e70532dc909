#pragma once

#include "platform/win_color.h"

namespace controls {

// The controls' colours are Windows colour values (platform/win_color.h).
using platform::Rgb;
using platform::ToQColor;

} // namespace controls
