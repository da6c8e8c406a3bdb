// FlattenOutline: a glyph outline of lines and quadratic or cubic Bezier arcs turned into
// closed polylines.
//
// Each contour of the outline becomes one polyline whose last point repeats its first; holes
// stay contours of their own, in the outline's order and direction. A curve is cut into
// chords of equal parameter steps, as many as make the distance between the curve and its
// chords at most the tolerance: for an arc of control points p0..pn the distance after n
// steps is at most (1/8) max|B''| / n^2, with |B''| at most 2|p0 - 2p1 + p2| for a quadratic
// and 6 max(|p0 - 2p1 + p2|, |p1 - 2p2 + p3|) for a cubic. Coordinates stay in the outline's
// own units (font units of an unscaled FreeType load).
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <vector>

namespace cjk_outline {

struct OutlinePoint {
    double x = 0.0;
    double y = 0.0;
    bool operator==(const OutlinePoint&) const = default;
};
using Contour = std::vector<OutlinePoint>;  // closed: the last point repeats the first

// The contours of outline within tolerance (outline units, above 0); a contour of fewer than
// three distinct points encloses nothing and is left out.
std::vector<Contour> FlattenOutline(const FT_Outline& outline, double tolerance);

}  // namespace cjk_outline
