// Break points along point groups and the resume snap onto the reported head position.
#include "plotmodel/point_group.h"

namespace {

int64_t Abs64(int64_t v) { return v < 0 ? -v : v; }

// trunc(a + n·d / len) toward zero, computed exactly (len > 0): the coordinate n pulses along
// a segment of len pulses whose delta on this axis is d.
int32_t InterpolateExactly(int32_t a, int64_t n, int64_t d, int64_t len)
{
    __int128 num = static_cast<__int128>(a) * len + static_cast<__int128>(n) * d;
    return SaturateToInt32(static_cast<int64_t>(num / len));
}

}  // namespace

CPoint PointAlongMove(const CPoint& a, const CPoint& b, int64_t n)
{
    const int64_t len = MovePulses(a, b);
    if (len == 0) return a;
    return {InterpolateExactly(a.x, n, static_cast<int64_t>(b.x) - a.x, len),
            InterpolateExactly(a.y, n, static_cast<int64_t>(b.y) - a.y, len)};
}

// The break point is the exact truncation of the interpolated point, so that it lies n
// pulses along the segment's leading axis; rounding the fraction n / d in floating point
// could leave it one pulse short, and the resumed job one pulse out of step.
int AppendPathBreakPoint(CArray<CPoint>& group, int64_t n, int32_t count, const float* xy)
{
    if (!xy) return 0;
    for (int32_t k = 1; k < count; ++k) {
        const CPoint a = ToPulsePoint(xy[2 * k - 2], xy[2 * k - 1]);
        const CPoint b = ToPulsePoint(xy[2 * k], xy[2 * k + 1]);
        const int64_t d = MovePulses(a, b);
        if (n < d) {
            group.Add(PointAlongMove(a, b, n));
            for (int32_t j = k; j < count; ++j) {
                const CPoint p = ToPulsePoint(xy[2 * j], xy[2 * j + 1]);
                if (!(p == group[group.GetSize() - 1])) group.Add(p);
            }
            return 1;
        }
        n -= d;
    }
    return 0;
}

void SnapToReportedPosition(CArray<CPoint>& group, const CPoint& r)
{
    if (group.GetSize() < 2) return;
    CPoint& f = group[0];
    const CPoint s = group[1];
    if (f == r) return;
    const int64_t g = Abs64(static_cast<int64_t>(s.x) - f.x);
    const int64_t h = Abs64(static_cast<int64_t>(s.y) - f.y);
    auto snapX = [&] {
        if (Abs64(static_cast<int64_t>(s.x) - r.x) <= h) f.x = r.x;
    };
    auto snapY = [&] {
        if (Abs64(static_cast<int64_t>(s.y) - r.y) <= g) f.y = r.y;
    };
    if (g < h) {
        snapX();
    } else if (g > h) {
        snapY();
    } else if (f.x == r.x) {
        snapY();
    } else if (f.y == r.y) {
        snapX();
    }
}
