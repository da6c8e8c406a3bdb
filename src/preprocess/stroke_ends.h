// Small helpers of the loop finder on a stroke's first sub-polyline: vertices, the leftmost
// vertex, and whether a stroke can be joined end to end.
#pragma once

#include "geometry/float_point.h"
#include "plotmodel/plot_shape.h"

#include <cstdint>

namespace stroke_ends {

inline CFloatPoint Vertex(const float* p, int32_t i) { return {p[2 * i], p[2 * i + 1]}; }

// The index of the vertex with the smallest x, the first one on ties (n > 0).
inline int32_t LeftmostVertex(const float* p, int32_t n)
{
    int32_t best = 0;
    for (int32_t i = 1; i < n; ++i)
        if (p[2 * i] < p[2 * best]) best = i;
    return best;
}

// Only a stroke of one sub-polyline with 2 or more points can be joined: the join appends
// its points to the chain's polyline, and other shapes would lose theirs.
inline bool CanJoin(const PlotShape& s) { return s.GetPlNum() == 1 && s.GetTolPtNum() >= 2; }

}  // namespace stroke_ends
