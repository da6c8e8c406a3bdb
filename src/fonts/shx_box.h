// ShxBox: the integer box of a font glyph, a CArea that merges only valid boxes.
#pragma once

#include "geometry/ol_box.h"

// Font units truncated to integers. The empty box is (INT_MAX, INT_MAX, INT_MIN+1, INT_MIN+1),
// CArea's invalid box, so that merging into it yields the merged box.
class ShxBox : public CArea {
public:
    // A new box is empty, ready to be merged into.
    ShxBox() { Initialize(); }
    ShxBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2) : CArea(x1, y1, x2, y2) {}

    void Initialize() { MakeInvalid(); }
    int IsValid() const { return xmax >= xmin && ymax >= ymin ? 1 : 0; }
    // Grows the box to include b; an invalid b changes nothing.
    void Merge(const ShxBox& b)
    {
        if (b.IsValid()) CArea::Merge(b);
    }
    // Grows the box to include one integer point.
    void MergePoint(int32_t x, int32_t y)
    {
        if (x < xmin) xmin = x;
        if (x > xmax) xmax = x;
        if (y < ymin) ymin = y;
        if (y > ymax) ymax = y;
    }
    // Width and height in 64 bits: the sides of a box built from damaged font data may lie
    // far enough apart that their 32-bit difference would overflow. An invalid box gives 0.
    int64_t Width64() const { return IsValid() ? int64_t{xmax} - xmin : 0; }
    int64_t Height64() const { return IsValid() ? int64_t{ymax} - ymin : 0; }
};
