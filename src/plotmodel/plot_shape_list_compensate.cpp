// The corner building block of the earlier knife compensation: the offset corner at a vertex,
// as one point or as a turning arc of its own (MauIndex 130).
//
// Angles are degrees; r is the knife offset in plotter units. The arc is divided so that one
// step spans about 1 mm of arc and at most 15 degrees.
#include "plotmodel/plot_shape_list.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;
// Below this turn the corner needs no arc.
constexpr double kArcTurnDegrees = 30.0;
constexpr double kMaxStepDegrees = 15.0;
// 1 mm of arc, as 7200 / (π r) degrees at radius r.
constexpr double kArcStepFactor = 7200.0;
// An arc never has more steps than this, whatever its radius.
constexpr double kMaxArcSteps = 3600.0;

// Adds the offset corner at a vertex; the shared form of both entry points.
PlotShape* OffsetCorner(PlotShapeList& list, PlotShape* shape, const CFloatPoint& dir, const CFloatPoint& corner,
                        const CFloatPoint& next, float r, int newPl)
{
    if (!shape) return nullptr;
    double dx = next.x - corner.x, dy = next.y - corner.y;
    double dot = dir.x * dx + dir.y * dy;
    double cross = dir.x * dy - dir.y * dx;
    if (dot == 0.0 && cross == 0.0) {
        shape->AddPoint(static_cast<float>(corner.x), static_cast<float>(corner.y), newPl);
        return shape;
    }
    double turn = std::atan2(std::fabs(cross), dot) * 180.0 / kPi;
    double length = std::hypot(dir.x, dir.y);
    double wx = r * dir.x / length, wy = r * dir.y / length;
    if (turn < kArcTurnDegrees) {
        shape->AddPoint(static_cast<float>(corner.x + wx), static_cast<float>(corner.y + wy), newPl);
        return shape;
    }
    double step = kMaxStepDegrees;
    if (r > 0.0f) step = std::min(kMaxStepDegrees, kArcStepFactor / (kPi * r));
    int steps = static_cast<int>(std::clamp(turn / step + 1.0, 3.0, kMaxArcSteps));
    double angle = (cross < 0.0 ? -turn : turn) / steps * kPi / 180.0;

    bool handedOver = shape->GetTolPtNum() > 0;
    if (handedOver) {
        shape->CalArea();
        list.AddTail(shape);
    }
    auto* arc = new PlotShape;
    arc->SetMauIndex(CutModeIndex::kFourthDepth);
    double c = std::cos(angle), s = std::sin(angle);
    for (int k = 0; k <= steps; ++k) {
        arc->AddPointAtLastPl(static_cast<float>(corner.x + wx), static_cast<float>(corner.y + wy));
        double x = wx * c - wy * s;
        wy = wx * s + wy * c;
        wx = x;
    }
    arc->CalArea();
    list.AddTail(arc);
    // The shape to go on with: the given one when it held nothing yet (so it is not lost),
    // else a new one with its attributes.
    PlotShape* after = shape;
    if (handedOver) {
        after = new PlotShape;
        after->CopyAttrib(*shape);
    }
    CFloatPoint last = arc->End();
    after->AddPoint(static_cast<float>(last.x), static_cast<float>(last.y), after->GetPlNum() == 0 ? 0 : 1);
    return after;
}

}  // namespace

PlotShape* PlotShapeList::AddCompansate(PlotShape* shape, const CFloatPoint& dir, const CFloatPoint& corner,
                                        const CFloatPoint& next, float r, int newPl)
{
    return OffsetCorner(*this, shape, dir, corner, next, r, newPl);
}

PlotShape* PlotShapeList::AddCompansate_cut(PlotShape* shape, const CFloatPoint& dir, const CFloatPoint& corner,
                                            const CFloatPoint& next, float r, int newPl)
{
    return OffsetCorner(*this, shape, dir, corner, next, r, newPl);
}
