// The change rule of edited numbers: when a value read from a field counts as changed.
#pragma once

#include <cmath>

// True when now differs from before by more than tolerance. A value that is not a number
// differs from every number (so a real value entered over one is kept), but two of them
// count as equal (so an untouched one is not sent again).
inline bool DiffersBeyond(double now, double before, double tolerance)
{
    if (std::isnan(now) && std::isnan(before)) return false;
    return !(std::fabs(now - before) <= tolerance);
}

// The tolerance of the parameter pages' floats.
inline constexpr double kParamFloatTolerance = 1e-6;
