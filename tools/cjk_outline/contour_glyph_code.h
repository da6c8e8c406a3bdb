// ContourGlyphCode: closed contours on a grid encoded as one shape's byte code.
//
// The code lifts the pen, divides the scale by the grid's divisor (so that a move of one is
// one grid step and a font unit holds divisor steps), then draws each contour as a pen-up
// move to its first point and a pen-down list of moves (code 9) back round to it, and ends
// with the pen up at the advance. A move longer than a signed byte is cut into equal steps
// on its line. With a power-of-two divisor every position the interpreter sums is exact, so
// a contour ends exactly on its first point.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cjk_outline {

struct GridPoint {
    int32_t x = 0;  // grid steps
    int32_t y = 0;
    bool operator==(const GridPoint&) const = default;
};
using GridContour = std::vector<GridPoint>;  // closed: the last point repeats the first

// The byte code; contours of fewer than three distinct points are left out. Each contour
// starts where it does not touch the end of the one before, so that the interpreter opens a
// polyline of its own for it. points receives the points the interpreter makes of it, the
// advance included.
std::string ContourGlyphCode(const std::vector<GridContour>& contours, uint8_t divisor, GridPoint advance,
                             int32_t& points);

}  // namespace cjk_outline
