// The earlier smoothing measures on a shape's own points: distance from a line and signed angles.
#include "plotmodel/plot_shape.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

// The signed angle from u to v in (-π, π]; 0 when both products vanish. For an obtuse angle
// the acute asin value is mirrored into the half plane it belongs to: π - θ above, -π - θ
// below, as CFloatPoint::CalAngleByDir does.
double SignedAngle(const CFloatPoint& u, const CFloatPoint& v)
{
    double cross = u.x * v.y - u.y * v.x, dot = u.x * v.x + u.y * v.y;
    if (cross == 0.0 && dot == 0.0) return 0.0;
    double theta = std::asin(cross / std::sqrt(cross * cross + dot * dot));
    if (dot >= 0.0) return theta;
    return theta >= 0.0 ? kPi - theta : -kPi - theta;
}

}  // namespace

double PlotShape::PlotToLine(int i, int j, int k) const
{
    // A line through two equal points is that point: the distance is the distance to it.
    return CFloatPoint::PtToLine(Point(i), Point(j), Point(k));
}

double PlotShape::AngleAtVertex(int i, int j, int k) const
{
    return SignedAngle(Point(j) - Point(i), Point(k) - Point(i));
}

double PlotShape::AngleAtVertex1(int i, int j, int k) const
{
    return SignedAngle(Point(j) - Point(i), Point(k) - Point(j));
}
