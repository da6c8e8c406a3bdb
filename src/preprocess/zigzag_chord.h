// The longest chord over a zig-zag: the chord search shared by the chord smoothing passes.
#pragma once

#include <cmath>

namespace preprocess {

// The chord found from a start vertex: its end, the vertex farthest from it and that distance.
struct ZigZagChord {
    int end;
    int farthest;
    double deviation;  // units; -1 when no chord over a skipped vertex was accepted
};

// Grows the chord from p[s] (n (x, y) pairs) over f = s+2, s+3, ... while every vertex
// between progresses along it, stays within its length and lies at most width from it; a
// chord with both extents below minExtent is refused. The last accepted chord, or end s + 1.
inline ZigZagChord LongestChord(const float* p, int n, int s, double width, double minExtent)
{
    ZigZagChord best{s + 1, s + 1, -1.0};
    for (int cand = s + 2; cand < n; ++cand) {
        double dx = static_cast<double>(p[2 * cand]) - p[2 * s], dy = static_cast<double>(p[2 * cand + 1]) - p[2 * s + 1];
        if (std::fabs(dx) < minExtent && std::fabs(dy) < minExtent) break;
        double t = std::hypot(dx, dy), ux = dx / t, uy = dy / t;
        double previousAlong = 0.0, farAcross = -1.0;
        int far = s + 1;
        for (int k = s + 1; k < cand; ++k) {
            double wx = static_cast<double>(p[2 * k]) - p[2 * s], wy = static_cast<double>(p[2 * k + 1]) - p[2 * s + 1];
            double along = ux * wx + uy * wy, across = std::fabs(ux * wy - uy * wx);
            if (along < previousAlong || along > t || across > width) return best;
            previousAlong = along;
            // A later vertex wins a tie.
            if (across >= farAcross) {
                farAcross = across;
                far = k;
            }
        }
        best = {cand, far, farAcross};
    }
    return best;
}

}  // namespace preprocess
