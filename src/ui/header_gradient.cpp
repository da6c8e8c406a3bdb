// The colours of the list header's vertical gradient.
#include "ui/header_gradient.h"

#include <algorithm>

namespace {

// Lowers a colour component, never below 0.
uint8_t Lowered(uint8_t component, int64_t by)
{
    return static_cast<uint8_t>(std::clamp<int64_t>(component - by, 0, 255));
}

}  // namespace

COLORREF HeaderGradientColour(COLORREF start, int32_t step, int32_t line)
{
    const int64_t by = static_cast<int64_t>(step) * std::max(line, 0);
    return RGB(Lowered(GetRValue(start), by), Lowered(GetGValue(start), by), Lowered(GetBValue(start), by));
}
