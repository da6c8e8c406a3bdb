// Halving and the flatness test of cubic Bezier pieces.
#include "geometry/ol_bezier.h"

#include <cmath>

void OL_Bezier::SplitAtMid(OL_Bezier& left, OL_Bezier& right) const
{
    OL_2dFloatPoint a = (P0 + P1) * 0.5f, b = (P1 + P2) * 0.5f, c = (P2 + P3) * 0.5f;
    OL_2dFloatPoint ab = (a + b) * 0.5f, bc = (b + c) * 0.5f;
    OL_2dFloatPoint mid = (ab + bc) * 0.5f;
    OL_2dFloatPoint start = P0, end = P3;
    left = OL_Bezier(start, a, ab, mid);
    right = OL_Bezier(mid, bc, c, end);
}

int OL_Bezier::IsFlat(float chordLimit, float acrossTol, float ratioTol) const
{
    double cx = static_cast<double>(P3.x) - P0.x, cy = static_cast<double>(P3.y) - P0.y;
    double length = std::hypot(cx, cy);
    if (length <= chordLimit) return 1;
    double ux = cx / length, uy = cy / length;
    auto legFits = [&](const OL_2dFloatPoint& from, const OL_2dFloatPoint& to) {
        double vx = static_cast<double>(to.x) - from.x, vy = static_cast<double>(to.y) - from.y;
        double along = vx * ux + vy * uy;
        double across = std::fabs(vx * uy - vy * ux);
        return along > 0.0 && along <= length && across <= acrossTol && across / along <= ratioTol;
    };
    return legFits(P0, P1) && legFits(P2, P3) ? 1 : 0;
}
