// Squares and their sides as loose strokes for the loop tests.
#pragma once

#include "plotmodel/shape_fixtures.h"

namespace plot_fixtures {

// A closed square from (x, y) with the given side, the first point repeated at the end.
inline Polyline Square(float x, float y, float side)
{
    return {{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}, {x, y}};
}

// The four sides of a square as separate counted strokes, shuffled and partly reversed, with
// the ids firstId .. firstId + 3.
inline void AddSquareStrokes(PlotShapeList& list, DestructionCounts& counts, int firstId, float x, float y, float side)
{
    Polyline c = Square(x, y, side);
    list.AddTail(NewCounted(counts, firstId, {c[2], c[1]}));
    list.AddTail(NewCounted(counts, firstId + 1, {c[3], c[4]}));
    list.AddTail(NewCounted(counts, firstId + 2, {c[0], c[1]}));
    list.AddTail(NewCounted(counts, firstId + 3, {c[3], c[2]}));
}

}  // namespace plot_fixtures
