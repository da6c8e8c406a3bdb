// The point group handed from the print traversal to the interpolator, and the pulse measure.
//
// A point group is an array of integer points in the units of the shapes' coordinates
// (plotter units, one pulse each). Float coordinates become integers by truncation toward
// zero. A move from A to B costs max(|dx|, |dy|) pulses (the axis that moves farther sets
// the time), a tool-depth change dz costs |dz|. Sums are taken in 64 bits so that wild
// coordinates cannot overflow; results that leave the library as 32-bit values saturate.
#pragma once

#include "platform/carray.h"
#include "platform/rect.h"
#include "plotmodel/plot_units.h"

#include <cstdint>

using PointGroup = CArray<CPoint>;

// The integer point of a float coordinate pair, each truncated toward zero.
inline CPoint ToPulsePoint(float x, float y) { return {TruncateToInt32(x), TruncateToInt32(y)}; }

// Pulses of a move from a to b: max(|dx|, |dy|).
inline int64_t MovePulses(const CPoint& a, const CPoint& b)
{
    int64_t dx = static_cast<int64_t>(b.x) - a.x;
    int64_t dy = static_cast<int64_t>(b.y) - a.y;
    if (dx < 0) dx = -dx;
    if (dy < 0) dy = -dy;
    return dx > dy ? dx : dy;
}

// |v| of a depth or a depth difference.
inline int64_t DepthPulses(int64_t dz) { return dz < 0 ? -dz : dz; }

// Pulses of one sub-polyline of count (x, y) float pairs: the move measure summed over its
// consecutive truncated points; 0 for fewer than two points.
inline int64_t CurvePulses(int32_t count, const float* xy)
{
    if (count <= 1 || !xy) return 0;
    int64_t sum = 0;
    CPoint prev = ToPulsePoint(xy[0], xy[1]);
    for (int32_t k = 1; k < count; ++k) {
        CPoint p = ToPulsePoint(xy[2 * k], xy[2 * k + 1]);
        sum += MovePulses(prev, p);
        prev = p;
    }
    return sum;
}

// The group entry of a tool-depth change: (dz, 0), dz a signed pulse count on the depth axis.
inline CPoint DepthChangePoint(int64_t dz) { return {SaturateToInt32(dz), 0}; }

// The point n pulses along a -> b (0 <= n <= the move's pulses): the leading axis moves
// exactly n, the other the exact proportion truncated toward zero.
CPoint PointAlongMove(const CPoint& a, const CPoint& b, int64_t n);

// Path break point: appends the point n pulses into the sub-polyline of count (x, y) float
// pairs and then the rest of it, leaving out points equal to the one before; 1, or 0 and
// nothing appended when n reaches its end.
int AppendPathBreakPoint(CArray<CPoint>& group, int64_t n, int32_t count, const float* xy);

// Brings the first point of a resumed moving group onto the position the machine reported,
// on the axis along which the group's first segment moves less (when the segment's end is
// near enough on the other axis).
void SnapToReportedPosition(CArray<CPoint>& group, const CPoint& reported);
