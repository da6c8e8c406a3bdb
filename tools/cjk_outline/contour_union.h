// UnionOfContours: the outline of what a glyph's contours fill together.
//
// An outline font may draw a character as overlapping strokes, each a contour of its own,
// filled by the non-zero winding rule. A knife following every contour would cut across the
// inside of the strokes where they overlap; the union keeps only the boundary of the filled
// area: outer contours counter-clockwise and holes clockwise (y up), each closed, the
// crossing points rounded to the grid.
#pragma once

#include "cjk_outline/contour_glyph_code.h"

#include <vector>

namespace cjk_outline {

std::vector<GridContour> UnionOfContours(const std::vector<GridContour>& contours);

}  // namespace cjk_outline
