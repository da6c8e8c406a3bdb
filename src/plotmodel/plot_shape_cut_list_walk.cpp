// The print traversal of PlotShapeCutList: the three walks, their resume searches and the
// pulse totals. See plot_shape_cut_list.h for the method; units are plotter units (one
// pulse each) on x and y and depth pulses on the tool axis.
#include "plotmodel/plot_shape_cut_list.h"

#include <cmath>

namespace {

namespace R = GetNextPathResult;
namespace RA = GetNextPathAtResult;

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;

int64_t Abs64(int64_t v) { return v < 0 ? -v : v; }
int64_t Sign64(int64_t v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

// Depth entry i of a shape; 0 where the walk has written none.
int32_t DepthEntry(const PlotShape& s, int i)
{
    const int32_t* z = s.GetZLen();
    return z && i >= 0 && i < s.GetZLenNum() ? z[i] : 0;
}

void SetDepthEntry(PlotShape& s, int i, int32_t depth)
{
    int32_t* z = s.GetZLen();
    if (z && i >= 0 && i < s.GetZLenNum()) z[i] = depth;
}

// Path code of GetNextPath: the cut mode itself where it has a code, else 1.
int PathCode(unsigned char mau)
{
    if ((mau >= 1 && mau <= 5) || (mau >= CutModeIndex::kRaiseToolFirst && mau <= CutModeIndex::kRaiseToolLast) ||
        mau == CutModeIndex::kFourthDepth)
        return mau;
    return R::kDrawPath;
}

// Path code of GetNextPath_Angle: the pen index 1..5, else 1.
int PenPathCode(short pen) { return pen >= 1 && pen <= 5 ? pen : R::kDrawPath; }

// Path code of GetNextPath_at; resumed is set right after a resume search.
int AtPathCode(unsigned char mau, bool resumed)
{
    switch (mau) {
    case CutModeIndex::kCut:
    case CutModeIndex::kCutAlt: return RA::kKnife;
    case CutModeIndex::kHalfCut: return RA::kHalfCut;
    case CutModeIndex::kFourthDepth: return RA::kFourthDepth;
    case CutModeIndex::kNoCompensation: return RA::kNoCompensation;
    case 99:
    case 100: return resumed ? R::kResumedJetFirst : mau;
    case 101:
    case 102: return resumed ? R::kResumedJetLast : mau;
    default: return RA::kTravelOrDraw;
    }
}

// Path code of a resumed depth-aware path: as PathCode, but a raise-tool shape (99..102)
// answers 0 when the group's first two points differ in x, else 103 (99, 100) or 104.
int ResumedPathCode(unsigned char mau, const CArray<CPoint>& group)
{
    if (mau < CutModeIndex::kRaiseToolFirst || mau > CutModeIndex::kRaiseToolLast) return PathCode(mau);
    if (group.GetSize() >= 2 && group[0].x != group[1].x) return R::kTravel;
    return mau <= 100 ? R::kResumedJetFirst : R::kResumedJetLast;
}

// Aspect factors (kx, ky) from the machine's x and y scale. Scales of zero or less (the
// machine's configuration not yet received) or not finite count as 1:1 instead of dividing
// by zero.
struct Aspect {
    float kx = 1.0f;
    float ky = 1.0f;
};
Aspect AspectFactors(const float* aspect)
{
    Aspect k;
    if (!aspect || !(aspect[0] > 0.0f) || !(aspect[1] > 0.0f) || !std::isfinite(aspect[0]) || !std::isfinite(aspect[1]))
        return k;
    if (aspect[0] >= aspect[1])
        k.ky = aspect[0] / aspect[1];
    else
        k.kx = aspect[1] / aspect[0];
    return k;
}

// Appends truncated points from..to of s, leaving out a point equal to the one before it.
void AppendPathPoints(CArray<CPoint>& g, const PlotShape& s, int from, int to)
{
    g.Add(s.ToCPoint(from));
    for (int k = from + 1; k <= to; ++k) {
        CPoint p = s.ToCPoint(k);
        if (!(p == g[g.GetSize() - 1])) g.Add(p);
    }
}

// Builds the angle entries of a path point by point: (0, 0) first, then per point the
// direction of the scaled step from the previous point, unwrapped to within ±π of the
// previous direction (held in single precision), and the running scaled length.
class AngleTrack {
public:
    AngleTrack(CArray<CFloatPoint>& angles, Aspect k) : angles_(angles), k_(k)
    {
        angles_.RemoveAll();
        angles_.Add(CFloatPoint(0.0, 0.0));
    }
    // Adds the entry of a point reached by the step from -> to.
    void Step(const CPoint& from, const CPoint& to)
    {
        float dx = static_cast<float>(static_cast<int64_t>(to.x) - from.x) * k_.kx;
        float dy = static_cast<float>(static_cast<int64_t>(to.y) - from.y) * k_.ky;
        CFloatPoint d(dx, dy);
        double angle = d.Angle();
        length_ += d.Length();
        if (angles_.GetSize() == 1) {
            angles_[0].x = angle;
        } else {
            if (angle - previous_ > kPi)
                angle -= kTwoPi;
            else if (angle - previous_ < -kPi)
                angle += kTwoPi;
        }
        previous_ = static_cast<float>(angle);
        angles_.Add(CFloatPoint(angle, length_));
    }

private:
    CArray<CFloatPoint>& angles_;
    Aspect k_;
    double length_ = 0.0;
    float previous_ = 0.0f;
};

// Appends an axis-parallel travel move p -> s: first along y, then along x.
void AppendAxisParallelTravel(CArray<CPoint>& g, const CPoint& p, const CPoint& s)
{
    g.Add(p);
    if (p.y != s.y) g.Add(CPoint(p.x, s.y));
    if (p.x != s.x) g.Add(s);
}

void AppendTravel(CArray<CPoint>& g, const CPoint& from, const CPoint& to, bool axisParallel)
{
    if (axisParallel) {
        AppendAxisParallelTravel(g, from, to);
    } else {
        g.Add(from);
        g.Add(to);
    }
}

// Pulses of a travel move: the move measure, or both legs of an axis-parallel move.
int64_t TravelPulses(const CPoint& a, const CPoint& b, bool axisParallel)
{
    if (!axisParallel) return MovePulses(a, b);
    return Abs64(static_cast<int64_t>(b.x) - a.x) + Abs64(static_cast<int64_t>(b.y) - a.y);
}


// One sub-polyline with points, as the pulse replay meets it.
struct PolylineStop {
    PlotShape* shape;
    int32_t ordinal;  // 1-based list position of the shape
    int index;        // of the sub-polyline within the shape
    int first;        // its first and last point index within the shape
    int last;
    int32_t count;
    const float* xy;
    CPoint start;  // its first and last point, truncated
    CPoint end;
};

// Calls visit for every sub-polyline with points in list order, until it returns true;
// returns whether it did.
template <class Visit>
bool ForEachPolyline(const PlotShapeList& list, Visit visit)
{
    int32_t ordinal = 0;
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) {
        ++ordinal;
        bool stop = ForEachSubPolyline(*s, [&](const SubPolyline& pl) {
            const float* xy = pl.xy;
            return visit(PolylineStop{s, ordinal, pl.index, pl.first, pl.last, pl.count, xy, ToPulsePoint(xy[0], xy[1]),
                                      ToPulsePoint(xy[2 * (pl.count - 1)], xy[2 * (pl.count - 1) + 1])});
        });
        if (stop) return true;
    }
    return false;
}

}  // namespace

// ---- depth-aware walks ----

int PlotShapeCutList::GetNextPath(CArray<CPoint>& group) { return NextDepthGroup(group, Walk::kDepth); }

int PlotShapeCutList::GetNextPath_Angle(CArray<CPoint>& group) { return NextDepthGroup(group, Walk::kAxisParallel); }

int PlotShapeCutList::AppendRaise(CArray<CPoint>& group)
{
    group.Add(DepthChangePoint(-static_cast<int64_t>(currentDepth_)));
    currentDepth_ = 0;
    return R::kDepthChange;
}

int32_t PlotShapeCutList::DepthForCutMode(unsigned char mau) const
{
    switch (mau) {
    case CutModeIndex::kCut:
    case CutModeIndex::kCutAlt: return SaturateToInt32(-static_cast<int64_t>(secondDepth_));
    case CutModeIndex::kHalfCut: return SaturateToInt32(-static_cast<int64_t>(thirdDepth_));
    case CutModeIndex::kFourthDepth: return SaturateToInt32(-static_cast<int64_t>(fourthDepth_));
    case 99:
    case 100:
    case 101:
    case 102: return 0;
    default: return firstDepth_;
    }
}

int32_t PlotShapeCutList::DepthForPen(short pen) const
{
    if (pen == 2 || pen == 4) return SaturateToInt32(-static_cast<int64_t>(secondDepth_));
    if (pen == 5) return SaturateToInt32(-static_cast<int64_t>(thirdDepth_));
    return firstDepth_;
}

void PlotShapeCutList::SnapToReported(CArray<CPoint>& group) const
{
    SnapToReportedPosition(group, CPoint(reportedX_, reportedY_));
}

int PlotShapeCutList::SnapResumed(CArray<CPoint>& group, int code) const
{
    if (code >= 0 && code <= 5) SnapToReported(group);
    return code;
}

int PlotShapeCutList::StepBetweenShapes(CArray<CPoint>& group, Walk walk, PlotShape*& s)
{
    // Only the depth-aware walks raise the tool; GetNextPath_at leaves the depth alone.
    const bool raises = walk != Walk::kNoDepth;
    const bool axisParallel = walk == Walk::kAxisParallel;
    if (finished_) return R::kFinished;
    if (!started_) {
        PlotShape* first = GetFirstShape();
        if (!first) {
            finished_ = 1;
            started_ = 1;
            return R::kNoShapeLeft;
        }
        // Raising first leaves the walk unstarted: the next call comes back here.
        if (raises && currentDepth_ != 0) return AppendRaise(group);
        started_ = 1;
        pointIndex_ = 0;
        const CPoint head(headX_, headY_);
        const CPoint start = first->ToCPoint(0);
        if (!(head == start)) {
            AppendTravel(group, head, start, axisParallel);
            return R::kTravel;
        }
    }
    if (!currentShape_) {
        finished_ = 1;
        return R::kNoShapeLeft;
    }
    s = currentShape_;
    const int total = s->GetTolPtNum();
    if (pointIndex_ < total - 1) return kWalkOn;
    const CPoint end = s->ToCPoint(total - 1);
    PlotShape* next = ShapeWithPointsAfter(s);
    if (!next) {
        if (raises && currentDepth_ != 0) return AppendRaise(group);
        GetNextShape();
        pointIndex_ = 0;
        if (axisParallel) {
            // This walk ends with the head back at the origin; the next call gives -3.
            CalArea(1);
            if (!(end == CPoint(0, 0))) {
                AppendAxisParallelTravel(group, end, CPoint(0, 0));
                return R::kTravel;
            }
        }
        finished_ = 1;
        return R::kNoShapeLeft;
    }
    const CPoint start = next->ToCPoint(0);
    if (!(end == start)) {
        if (raises && currentDepth_ != 0) return AppendRaise(group);
        AppendTravel(group, end, start, axisParallel);
        GetNextShape();
        pointIndex_ = 0;
        return R::kTravel;
    }
    // Shapes that join are walked on without a raise.
    s = GetNextShape();
    pointIndex_ = 0;
    return kWalkOn;
}

int PlotShapeCutList::NextDepthGroup(CArray<CPoint>& group, Walk walk)
{
    if (resumePulses_ > 0) return SnapResumed(group, BreakPointWithDepth(group, walk));
    PlotShape* s = nullptr;
    int code = StepBetweenShapes(group, walk, s);
    return code == kWalkOn ? WalkShapeWithDepth(group, s, walk) : code;
}

int PlotShapeCutList::WalkShapeWithDepth(CArray<CPoint>& group, PlotShape* s, Walk walk)
{
    const bool axisParallel = walk == Walk::kAxisParallel;
    const int total = s->GetTolPtNum();
    for (SubPolylineScan pl(hint_, s, pointIndex_); pl.More(); pl.Next()) {
        const int i = pl.index;
        const int32_t last = pl.last;
        if (pointIndex_ == last) {
            // A sub-polyline of one point is passed at the depth the tool is at. Its depth
            // entry says so, so that the pulse count and the resume search count no plunge
            // to depth 0 and back where the walk joins through it without one.
            if (pl.count == 1) SetDepthEntry(*s, i, currentDepth_);
            if (pointIndex_ >= total - 1) return R::kNothingAppended;
            const CPoint a = s->ToCPoint(pointIndex_);
            const CPoint b = s->ToCPoint(pointIndex_ + 1);
            if (!(a == b)) {
                if (currentDepth_ != 0) return AppendRaise(group);
                AppendTravel(group, a, b, axisParallel);
                ++pointIndex_;
                return R::kTravel;
            }
            // The next sub-polyline starts where this one ended: no move, no raise.
            ++pointIndex_;
        } else if (pl.first <= pointIndex_ && pointIndex_ < last) {
            if (axisParallel) {
                // This walk lowers only a raised tool, by the pen's depth.
                int32_t target = DepthForPen(s->GetPenIndex());
                if (currentDepth_ == 0 && target != 0) {
                    group.Add(DepthChangePoint(target));
                    currentDepth_ = target;
                    SetDepthEntry(*s, i, target);
                    return R::kDepthChange;
                }
            } else {
                int32_t target = DepthForCutMode(s->GetMauIndex());
                if (currentDepth_ != target) {
                    group.Add(DepthChangePoint(static_cast<int64_t>(target) - currentDepth_));
                    currentDepth_ = target;
                    SetDepthEntry(*s, i, target);
                    return R::kDepthChange;
                }
            }
            SetDepthEntry(*s, i, currentDepth_);
            AppendPathPoints(group, *s, pointIndex_, last);
            pointIndex_ = last;
            if (group.GetSize() >= 2) return axisParallel ? PenPathCode(s->GetPenIndex()) : PathCode(s->GetMauIndex());
            group.RemoveAll();  // the whole sub-polyline truncates to one point
        }
    }
    return R::kNothingAppended;
}

// ---- walk without depth changes ----

int PlotShapeCutList::GetNextPath_at(CArray<CPoint>& group, CArray<CFloatPoint>& angles, const float* aspect)
{
    if (resumePulses_ > 0) return SnapResumed(group, GetBreakPointPath_at(group, angles, aspect));
    PlotShape* s = nullptr;
    int code = StepBetweenShapes(group, Walk::kNoDepth, s);
    if (code != kWalkOn) return code;
    const int total = s->GetTolPtNum();
    if (s->GetPlNum() <= 0) return R::kNothingAppended;
    const Aspect k = AspectFactors(aspect);
    for (SubPolylineScan pl(hint_, s, pointIndex_); pl.More(); pl.Next()) {
        const int32_t last = pl.last;
        if (pointIndex_ == last) {
            if (pointIndex_ >= total - 1) return R::kNothingAppended;
            const CPoint a = s->ToCPoint(pointIndex_);
            const CPoint b = s->ToCPoint(pointIndex_ + 1);
            ++pointIndex_;
            if (!(a == b)) {
                group.Add(a);
                group.Add(b);
                return RA::kJoinMove;
            }
        } else if (pl.first <= pointIndex_ && pointIndex_ < last) {
            AngleTrack track(angles, k);
            group.Add(s->ToCPoint(pointIndex_));
            for (int p = pointIndex_ + 1; p <= last; ++p) {
                const CPoint pt = s->ToCPoint(p);
                const CPoint prev = group[group.GetSize() - 1];
                if (pt == prev) continue;
                track.Step(prev, pt);
                group.Add(pt);
            }
            pointIndex_ = last;
            if (group.GetSize() >= 2) return AtPathCode(s->GetMauIndex(), false);
            group.RemoveAll();
            angles.RemoveAll();
        }
    }
    return R::kNothingAppended;
}

// ---- resume searches ----

void PlotShapeCutList::PlaceCursor(const Place& place)
{
    hint_.Reset();
    currentShape_ = place.shape;
    pointIndex_ = place.pointIndex;
    curveOrdinal_ = place.ordinal;
    finished_ = 0;
    // A list resumed before it was ever walked goes on from the place found, as a walked
    // one does, instead of starting the job over at its first step.
    started_ = 1;
}

int PlotShapeCutList::GetBreakPointPath(CArray<CPoint>& group) { return BreakPointWithDepth(group, Walk::kDepth); }

int PlotShapeCutList::GetBreakPointPath_Angle(CArray<CPoint>& group)
{
    return BreakPointWithDepth(group, Walk::kAxisParallel);
}

int PlotShapeCutList::BreakPointWithDepth(CArray<CPoint>& group, Walk walk)
{
    const bool axisParallel = walk == Walk::kAxisParallel;
    const int64_t n = resumePulses_;
    resumePulses_ = 0;
    const int64_t z0 = initialDepth_;
    if (Abs64(z0) >= n) {
        // The stop lies in the first raise: the rest of it, then the job starts over. A list
        // already finished starts over too, instead of answering -1 for the rest of the job.
        group.Add(DepthChangePoint(z0 >= 0 ? n - z0 : -z0 - n));
        currentDepth_ = 0;
        started_ = 0;
        finished_ = 0;
        return R::kDepthChange;
    }
    int64_t t = Abs64(z0);  // pulses replayed so far
    int64_t zp = 0;         // depth of the previous sub-polyline
    CPoint p(headX_, headY_);
    Place previous;  // where the previous sub-polyline ended
    int code = R::kNoShapeLeft;
    bool found = ForEachPolyline(*this, [&](const PolylineStop& pl) {
        const int64_t raised = t + Abs64(zp);
        if (!(pl.start == p) && zp != 0) {
            if (n >= raised) {
                t = raised;
                zp = 0;
            } else {
                group.Add(DepthChangePoint(-Sign64(zp) * (raised - n)));
                currentDepth_ = 0;
                PlaceCursor(previous);
                code = R::kDepthChange;
                return true;
            }
        }
        const int64_t m = TravelPulses(p, pl.start, axisParallel);
        if (n < t + m) {
            if (axisParallel)
                GetBreakPointPath_Angle(group, n - t, p, pl.start);
            else
                GetBreakPointPath(group, n - t, p, pl.start);
            currentDepth_ = 0;
            PlaceCursor({pl.shape, pl.first, pl.ordinal});
            code = R::kTravel;
            return true;
        }
        const int64_t zi = DepthEntry(*pl.shape, pl.index);
        const int64_t lowered = t + m + Abs64(zi - zp);
        if (n < lowered) {
            // The rest of the way from the previous depth to this one. Its sign is that of
            // the change itself, so that a stop between two cut depths (a raise from -800
            // to -300, say) is not sent on downwards.
            group.Add(DepthChangePoint(zi >= zp ? lowered - n : n - lowered));
            currentDepth_ = static_cast<int32_t>(zi);
            PlaceCursor({pl.shape, pl.first, pl.ordinal});
            code = R::kDepthChange;
            return true;
        }
        t = lowered + CurvePulses(pl.count, pl.xy);
        if (n < t) {
            GetBreakPointPath(group, n - lowered, pl.count, pl.xy);
            currentDepth_ = static_cast<int32_t>(zi);
            PlaceCursor({pl.shape, pl.last, pl.ordinal});
            code = axisParallel ? PenPathCode(pl.shape->GetPenIndex()) : ResumedPathCode(pl.shape->GetMauIndex(), group);
            return true;
        }
        p = pl.end;
        zp = zi;
        previous = {pl.shape, pl.last, pl.ordinal};
        return false;
    });
    if (found) return code;
    if (zp != 0 && n < t + Abs64(zp)) {
        group.Add(DepthChangePoint(-Sign64(zp) * (t + Abs64(zp) - n)));
        currentDepth_ = 0;
        PlaceCursor(previous);
        return R::kDepthChange;
    }
    if (axisParallel) {
        // The axis-parallel walk ends with the move home to (0, 0); a stop in it is resumed.
        t += Abs64(zp);
        const CPoint home(0, 0);
        if (!(p == home) && n < t + TravelPulses(p, home, true)) {
            CalArea(1);
            GetBreakPointPath_Angle(group, n - t, p, home);
            currentDepth_ = 0;
            PlaceCursor({nullptr, 0, Count() + 1});
            return R::kTravel;
        }
    }
    finished_ = 1;
    return R::kNoShapeLeft;
}

int PlotShapeCutList::GetBreakPointPath_at(CArray<CPoint>& group, CArray<CFloatPoint>& angles, const float* aspect)
{
    const int64_t n = resumePulses_;
    resumePulses_ = 0;
    angles.RemoveAll();
    int64_t t = 0;
    CPoint p(headX_, headY_);
    int code = R::kNoShapeLeft;
    bool found = ForEachPolyline(*this, [&](const PolylineStop& pl) {
        const int64_t m = MovePulses(p, pl.start);
        if (n < t + m) {
            GetBreakPointPath(group, n - t, p, pl.start);
            currentDepth_ = 0;
            PlaceCursor({pl.shape, pl.first, pl.ordinal});
            code = RA::kTravelOrDraw;
            return true;
        }
        const int64_t k = CurvePulses(pl.count, pl.xy);
        if (n < t + m + k) {
            GetBreakPointPath(group, angles, n - t - m, pl.count, pl.xy, aspect);
            currentDepth_ = DepthEntry(*pl.shape, pl.index);
            PlaceCursor({pl.shape, pl.last, pl.ordinal});
            code = AtPathCode(pl.shape->GetMauIndex(), true);
            return true;
        }
        t += m + k;
        p = pl.end;
        return false;
    });
    if (!found) finished_ = 1;
    return code;
}

// ---- break points ----

int PlotShapeCutList::GetBreakPointPath(CArray<CPoint>& group, int64_t n, const CPoint& a, const CPoint& b)
{
    const int64_t dx = static_cast<int64_t>(b.x) - a.x;
    const int64_t dy = static_cast<int64_t>(b.y) - a.y;
    const int64_t adx = Abs64(dx);
    const int64_t ady = Abs64(dy);
    CPoint at;
    if (ady < adx) {
        at.x = SaturateToInt32(a.x + Sign64(dx) * n);
        float ratio = static_cast<float>(ady) / static_cast<float>(adx);
        float step = static_cast<float>(n) * ratio;
        at.y = TruncateToInt32(dy < 0 ? static_cast<float>(a.y) - step : static_cast<float>(a.y) + step);
    } else {
        at.y = SaturateToInt32(a.y + Sign64(dy) * n);
        float ratio = ady > 0 ? static_cast<float>(adx) / static_cast<float>(ady) : 0.0f;
        float step = static_cast<float>(n) * ratio;
        at.x = TruncateToInt32(dx < 0 ? static_cast<float>(a.x) - step : static_cast<float>(a.x) + step);
    }
    group.Add(at);
    group.Add(b);
    return 1;
}

int PlotShapeCutList::GetBreakPointPath(CArray<CPoint>& group, int64_t n, int32_t count, const float* xy)
{
    return AppendPathBreakPoint(group, n, count, xy);
}

int PlotShapeCutList::GetBreakPointPath(CArray<CPoint>& group, CArray<CFloatPoint>& angles, int64_t n, int32_t count,
                                        const float* xy, const float* aspect)
{
    const int32_t before = group.GetSize();
    if (!GetBreakPointPath(group, n, count, xy)) return 0;
    // The segment the break point lies in: the first whose end is the group's second point.
    int64_t rest = n;
    CPoint segmentStart = group[before];
    for (int32_t k = 1; k < count; ++k) {
        const CPoint a = ToPulsePoint(xy[2 * k - 2], xy[2 * k - 1]);
        const CPoint b = ToPulsePoint(xy[2 * k], xy[2 * k + 1]);
        const int64_t d = MovePulses(a, b);
        if (rest < d) {
            segmentStart = a;
            break;
        }
        rest -= d;
    }
    AngleTrack track(angles, AspectFactors(aspect));
    for (int32_t i = before + 1; i < group.GetSize(); ++i)
        track.Step(i == before + 1 ? segmentStart : group[i - 1], group[i]);
    return 1;
}

int PlotShapeCutList::GetBreakPointPath_Angle(CArray<CPoint>& group, int64_t n, const CPoint& a, const CPoint& b)
{
    const int64_t dx = static_cast<int64_t>(b.x) - a.x;
    const int64_t dy = static_cast<int64_t>(b.y) - a.y;
    if (n < Abs64(dy)) {
        group.Add(CPoint(a.x, SaturateToInt32(a.y + Sign64(dy) * n)));
        if (dx != 0) group.Add(CPoint(a.x, b.y));
        group.Add(b);
        return 1;
    }
    n -= Abs64(dy);
    if (n < Abs64(dx)) {
        group.Add(CPoint(SaturateToInt32(a.x + Sign64(dx) * n), b.y));
        group.Add(b);
        return 1;
    }
    return 0;
}

// ---- pulse totals ----

int32_t PlotShapeCutList::GetPulseNum_Move(const CPoint& from, const CPoint& to)
{
    return SaturateToInt32(MovePulses(from, to));
}

int32_t PlotShapeCutList::GetPulseNum_Curve(int count, const float* xy) { return SaturateToInt32(CurvePulses(count, xy)); }

int32_t PlotShapeCutList::GetToltalPulseNum()
{
    GetFirstShape();
    int64_t t = Abs64(initialDepth_);
    int64_t zp = 0;
    CPoint p(headX_, headY_);
    ForEachPolyline(*this, [&](const PolylineStop& pl) {
        if (!(pl.start == p)) {
            t += Abs64(zp);
            zp = 0;
        }
        const int64_t zi = DepthEntry(*pl.shape, pl.index);
        t += MovePulses(p, pl.start) + Abs64(zi - zp) + CurvePulses(pl.count, pl.xy);
        p = pl.end;
        zp = zi;
        return false;
    });
    return SaturateToInt32(t + Abs64(zp));
}

int32_t PlotShapeCutList::GetToltalPulseNum_at()
{
    GetFirstShape();
    int64_t t = 0;
    CPoint p(headX_, headY_);
    ForEachPolyline(*this, [&](const PolylineStop& pl) {
        t += MovePulses(p, pl.start) + CurvePulses(pl.count, pl.xy);
        p = pl.end;
        return false;
    });
    return SaturateToInt32(t);
}
