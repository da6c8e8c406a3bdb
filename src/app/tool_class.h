// The tool class of a shape: which tool of the machine works it.
#pragma once

#include "plotmodel/plot_shape.h"

#include <cstdint>

// Tool classes: 0 pen (print work), 1 half knife, 2 inner knife, 3 knife; kNoToolClass when
// the shape names none (its pen lies outside 1-8).
inline constexpr int kNoToolClass = -1;
inline constexpr int kPenToolClass = 0;
inline constexpr int kHalfKnifeToolClass = 1;

// The class from the mau index 1-4, else the rec index 1-4, else the pen table's entry of
// pen 1-8.
inline int ShapeToolClass(const PlotShape& shape, const uint8_t penTable[8])
{
    const int mau = shape.GetMauIndex();
    if (mau >= 1 && mau <= 4) return mau - 1;
    const int rec = shape.GetRecIndex();
    if (rec >= 1 && rec <= 4) return rec - 1;
    const int pen = shape.GetPenIndex();
    if (pen >= 1 && pen <= 8) return penTable[pen - 1];
    return kNoToolClass;
}

// Whether the class is worked by a knife (classes 1 to 3).
inline bool IsCutToolClass(int toolClass) { return toolClass >= 1 && toolClass <= 3; }
