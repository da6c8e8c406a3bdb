// The colours of the list header's vertical gradient.
#pragma once

#include "platform/colorref.h"

#include <cstdint>

// The header's start colour and step per pixel line.
inline constexpr COLORREF kHeaderGradientStart = RGB(171, 199, 235);
inline constexpr int32_t kHeaderGradientStep = 8;

// The colour of pixel line `line` (0 at the top): every component of start lowered by step
// once per line, never below 0.
COLORREF HeaderGradientColour(COLORREF start, int32_t step, int32_t line);
