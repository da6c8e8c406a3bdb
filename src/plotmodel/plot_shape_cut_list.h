// PlotShapeCutList: a shape list in cutting order with the print traversal that feeds the
// interpolator point group by point group, its pulse counting, resume search and preview.
//
// The traversal walks the shapes in list order and hands out one point group per call
// (point_group.h): a travel move with the tool up, a tool-depth change, or one sub-polyline
// to draw or cut. Coordinates are the shapes' float plotter units truncated toward zero;
// one unit is one pulse. The depth-aware walk (GetNextPath) raises the tool to depth 0
// before every travel move and lowers it to the depth of the shape's cut mode before its
// path; the depth at which each sub-polyline was walked is written into the shape's depth
// array, so that pulse totals and the resume search replay the depth changes of the first
// run. GetNextPath_at walks without depth changes and adds a tangent angle per point;
// GetNextPath_Angle makes axis-parallel travel moves and chooses depths by pen.
//
// Preconditions: InitPrint before the first walk, and no shape is changed while the list
// is walked. The list is used by one thread at a time.
#pragma once

#include "geometry/float_point.h"
#include "plotmodel/pen_mode_settings.h"
#include "plotmodel/plot_shape_list.h"
#include "plotmodel/point_group.h"
#include "plotmodel/sub_polylines.h"

#include <cstdint>

class CPen;

// Result codes of GetNextPath and GetNextPath_Angle. A path otherwise returns the cut mode
// (MauIndex 1..5, 99..102, 130; the pen index 1..5 for GetNextPath_Angle).
namespace GetNextPathResult {
constexpr int kTravel = 0;            // two points (more for an axis-parallel move): from, to
constexpr int kDrawPath = 1;          // path of a shape whose cut mode has no code of its own
constexpr int kDepthChange = 6;       // one point (dz, 0)
constexpr int kResumedJetFirst = 103; // right after a resume: MauIndex 99 or 100, first two x equal
constexpr int kResumedJetLast = 104;  // the same for MauIndex 101 or 102
constexpr int kFinished = -1;         // the job was already finished; nothing appended
constexpr int kNothingAppended = -2;  // call again
constexpr int kNoShapeLeft = -3;      // the job has just finished
}  // namespace GetNextPathResult

// Result codes of GetNextPath_at (travel and drawing paths share 0); -1, -2, -3 as above.
namespace GetNextPathAtResult {
constexpr int kTravelOrDraw = 0;
constexpr int kKnife = 2;          // MauIndex 2, 4
constexpr int kHalfCut = 3;        // MauIndex 5
constexpr int kFourthDepth = 4;    // MauIndex 130
constexpr int kJoinMove = 5;       // move between sub-polylines of one shape
constexpr int kNoCompensation = 6; // MauIndex 8
}  // namespace GetNextPathAtResult

class PlotShapeCutList : public PlotShapeList {
public:
    PlotShapeCutList() = default;
    ~PlotShapeCutList() override = default;

    // Deep copy of the shapes; this list's cursor stays, except that it no longer points
    // into the shapes that the copy deleted.
    PlotShapeCutList& operator=(const PlotShapeCutList& other);

    // Prepares a walk: zeroed depth entries in every shape, the four tool depths (pulses),
    // cursor, resume count and flags cleared, curve total := number of shapes.
    void InitPrint(int d1, int d2, int d3, int d4);
    // Replaces the four tool depths (pulses) and nothing else (a resumed job's depths).
    void SetToolDepths(int d1, int d2, int d3, int d4)
    {
        firstDepth_ = d1;
        secondDepth_ = d2;
        thirdDepth_ = d3;
        fourthDepth_ = d4;
    }
    // The four tool depths, pulses: drawing, cut, half cut, MauIndex 130.
    int32_t GetToolDepth(int i) const { return i == 0 ? firstDepth_ : i == 1 ? secondDepth_ : i == 2 ? thirdDepth_ : fourthDepth_; }
    // Makes the next walk call resume at this many pulses from the job start (only > 0).
    int ResumePrint(int32_t pulses);

    // Appends the next point group of the depth-aware walk; returns its code.
    int GetNextPath(CArray<CPoint>& group);
    // The walk without depth changes: angles receives (tangent angle, running length) per
    // point of a path. aspect holds the machine's x and y scale (null or not positive: 1:1).
    int GetNextPath_at(CArray<CPoint>& group, CArray<CFloatPoint>& angles, const float* aspect);
    // The depth-aware walk with axis-parallel travel moves and depths by pen index.
    int GetNextPath_Angle(CArray<CPoint>& group);

    // Resume searches: position the cursor at the stored resume count (then cleared) and
    // append the rest of the group the stop lies in.
    int GetBreakPointPath(CArray<CPoint>& group);
    int GetBreakPointPath_at(CArray<CPoint>& group, CArray<CFloatPoint>& angles, const float* aspect);
    int GetBreakPointPath_Angle(CArray<CPoint>& group);

    // Total pulses of the job with / without depth changes. Both leave the cursor on the
    // first shape with the curve ordinal 1.
    int32_t GetToltalPulseNum();
    int32_t GetToltalPulseNum_at();
    static int32_t GetPulseNum_Move(const CPoint& from, const CPoint& to);
    static int32_t GetPulseNum_Curve(int count, const float* xy);

    // Curve ordinal / curve total, 0 when the total is 0 or less.
    float GetPercentage() const;
    int32_t GetToltalCrvNum() const { return Count(); }
    void AddCrvNumCounter(int32_t n) { curveTotal_ += n; }

    // Cursor to the first / next shape that has points; the curve ordinal counts the list
    // positions passed (1 for the head). Null past the end.
    PlotShape* GetFirstShape();
    PlotShape* GetNextShape();

    // Draws the shapes with the 12 caller's pens chosen by cut mode, class and pen index.
    void Render(structRender& r, CPen* pens) const;
    // Draws with solid pens made from the settings: by pen index (flag set) or by tool role.
    void Render(structRender& r, const PenModeSettings& settings, int flag) const;

    // Moves the cut shapes (MauIndex 2, 4, 5) / all other shapes.
    void MoveCutList(int32_t dx, int32_t dy);
    void MoveDrawList(int32_t dx, int32_t dy);

    // The head position and tool depth at job start (the interpolator's start record).
    void SetHeadPosition(int32_t x, int32_t y, int32_t depth);
    // The position the machine last reported; the resume snaps its first point onto it.
    void SetReportedPosition(int32_t x, int32_t y, int32_t depth);
    // The tool depth the machine is at, as far as the walk has sent it.
    void SetCurrentDepth(int32_t depth) { currentDepth_ = depth; }
    int32_t GetCurrentDepth() const { return currentDepth_; }
    CPoint GetHeadPosition() const { return {headX_, headY_}; }
    int32_t GetInitialDepth() const { return initialDepth_; }
    CPoint GetReportedPosition() const { return {reportedX_, reportedY_}; }
    int32_t GetReportedDepth() const { return reportedDepth_; }
    // The number of cut shapes, noted by the job dispatcher; the walk does not read it.
    void SetCutShapeCount(int32_t n) { cutShapeCount_ = n; }
    int32_t GetCutShapeCount() const { return cutShapeCount_; }

    PlotShape* GetCurrentShape() const { return currentShape_; }
    int32_t GetPointIndex() const { return pointIndex_; }
    int32_t GetCurveOrdinal() const { return curveOrdinal_; }
    int32_t GetCurveTotal() const { return curveTotal_; }
    int32_t GetResumePulses() const { return resumePulses_; }
    int IsStarted() const { return started_; }
    int IsFinished() const { return finished_; }

private:
    // Where a search leaves the cursor.
    struct Place {
        PlotShape* shape = nullptr;
        int32_t pointIndex = 0;
        int32_t ordinal = 0;
    };
    // The depth-aware walk, the one with axis-parallel travel, the one without depth changes.
    enum class Walk { kDepth, kAxisParallel, kNoDepth };
    // StepBetweenShapes' answer when the walk goes on in the sub-polylines of a shape.
    static constexpr int kWalkOn = INT32_MIN;

    // Takes the first step, ends a shape or passes to the next; a code, or kWalkOn with s
    // set to the shape whose sub-polylines come next.
    int StepBetweenShapes(CArray<CPoint>& group, Walk walk, PlotShape*& s);
    // Snaps a resumed group that moves (codes 0..5) onto the reported position.
    int SnapResumed(CArray<CPoint>& group, int code) const;
    int NextDepthGroup(CArray<CPoint>& group, Walk walk);
    int WalkShapeWithDepth(CArray<CPoint>& group, PlotShape* s, Walk walk);
    int BreakPointWithDepth(CArray<CPoint>& group, Walk walk);
    // Appends the raise to depth 0 and returns the depth-change code.
    int AppendRaise(CArray<CPoint>& group);
    // Brings the first point of a resumed group onto the reported position.
    void SnapToReported(CArray<CPoint>& group) const;
    // Puts the cursor at a place found by a search and marks the walk as under way.
    void PlaceCursor(const Place& place);
    // The first shape with points after s, or null.
    PlotShape* ShapeWithPointsAfter(PlotShape* s) const;
    // The signed depth a shape is cut at by its cut mode / by its pen index.
    int32_t DepthForCutMode(unsigned char mau) const;
    int32_t DepthForPen(short pen) const;

    // Move break point: n pulses along a -> b, the farther axis leading; then b. Result 1.
    static int GetBreakPointPath(CArray<CPoint>& group, int64_t n, const CPoint& a, const CPoint& b);
    // Path break point: n pulses into the sub-polyline, then the rest of it. 1, or 0 past its end.
    static int GetBreakPointPath(CArray<CPoint>& group, int64_t n, int32_t count, const float* xy);
    // The same with the angle entries of GetNextPath_at.
    static int GetBreakPointPath(CArray<CPoint>& group, CArray<CFloatPoint>& angles, int64_t n,
                                 int32_t count, const float* xy, const float* aspect);
    // Axis-parallel move break point: n pulses along y, then along x; 0 past both legs.
    static int GetBreakPointPath_Angle(CArray<CPoint>& group, int64_t n, const CPoint& a, const CPoint& b);

    PlotShape* currentShape_ = nullptr;
    // Index of the current point over all sub-polylines of the current shape.
    int32_t pointIndex_ = 0;
    // Tool depth in depth pulses; 0 = raised.
    int32_t currentDepth_ = 0;
    int32_t resumePulses_ = 0;
    int32_t curveOrdinal_ = 0;
    int32_t curveTotal_ = 0;
    // Tool depths in depth pulses: drawing, cut (MauIndex 2, 4), half cut (5), MauIndex 130.
    int32_t firstDepth_ = 0;
    int32_t secondDepth_ = 0;
    int32_t thirdDepth_ = 0;
    int32_t fourthDepth_ = 0;
    // Head position (plotter units) and tool depth (depth pulses) at job start.
    int32_t headX_ = 0;
    int32_t headY_ = 0;
    int32_t initialDepth_ = 0;
    // Position last reported by the machine (plotter units, depth pulses).
    int32_t reportedX_ = 0;
    int32_t reportedY_ = 0;
    int32_t reportedDepth_ = 0;
    int32_t started_ = 0;
    int32_t finished_ = 0;
    int32_t cutShapeCount_ = 0;
    // The sub-polyline of the current shape at which the walk last stood.
    SubPolylineHint hint_;
};
