// PlotShape: one plotted object, its polylines of float points, its attributes and bounds.
//
// The sub-polylines of a shape are stored back to back in one buffer of (x, y) float pairs
// in plotter units (40 per mm); a second array holds each sub-polyline's point count. Buffers
// grow by fixed steps (10 sub-polylines, 64 points) so that readers can append point by
// point; a reader that knows its sizes reserves them exactly instead (ReserveExactly). Point
// capacity past the points held is left unwritten. One count and up to three points are held
// in the shape itself, so that a short stroke is a single allocation. The integer bounds are cached: only
// CalArea and the operations that say so recompute them. A shape is not copyable by
// construction; operator= and NewCopy are the deep copies.
#pragma once

#include "geometry/float_point.h"
#include "geometry/ol_box.h"
#include "geometry/ol_list.h"
#include "plotmodel/dash_style.h"
#include "plotmodel/point_buffer.h"
#include "plotmodel/polyline_counts.h"
#include "plotmodel/render_context.h"
#include "platform/carray.h"
#include "platform/cstring.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

class CPen;
class LoopScanIndex;
struct CRV_TYPE;
class HpglExplainer;
class HpglStreamExplainer;
class PlotChar;
class PlotShapeList;

// MauIndex values: the cut mode of a shape.
namespace CutModeIndex {
constexpr unsigned char kCut = 2;
constexpr unsigned char kCutAlt = 4;
constexpr unsigned char kHalfCut = 5;
constexpr unsigned char kNoCompensation = 8;
constexpr unsigned char kRaiseToolFirst = 99;
constexpr unsigned char kRaiseToolLast = 102;
constexpr unsigned char kKnifeOrientation = 126;
constexpr unsigned char kDefault = 127;
constexpr unsigned char kFourthDepth = 130;
// True for the cut curves (2, 4 and 5); every other value marks a draw curve.
constexpr bool IsCutCurve(unsigned char mau) { return mau == kCut || mau == kCutAlt || mau == kHalfCut; }
}  // namespace CutModeIndex

// Negative PenIndex values that mark file boundaries in the HPGL stream buffer.
namespace PenIndexFileMarkers {
constexpr short kStartOfFile = -1;
constexpr short kEndOfFile = -2;
}  // namespace PenIndexFileMarkers

class PlotShape : public OL_Object {
public:
    // Initial values of the attributes.
    static constexpr unsigned char kDefaultRecIndex = 127;
    static constexpr unsigned char kDefaultMauIndex = 127;
    // Growth steps of the buffers.
    static constexpr int32_t kPlGrowth = 10;
    static constexpr int32_t kPtGrowth = 64;

    PlotShape();
    // As the default constructor, then line type, pen and float value from the interpreter's
    // current state (nothing more for a null pointer). Defined with the interpreters.
    explicit PlotShape(HpglExplainer* source);
    // The same, plus the pattern index of the stream interpreter. Defined with the interpreters.
    explicit PlotShape(HpglStreamExplainer* source);
    ~PlotShape() override;

    // Deep copy: attributes, bounds and all polylines; list membership is not copied.
    PlotShape& operator=(const PlotShape& other);
    // A new free deep copy; the caller owns it.
    virtual PlotShape* NewCopy() const;
    // The shape's name; no shape has one.
    virtual const char16_t* GetShapeName() { return nullptr; }

    // Copies LineType, PenIndex, RecIndex, MauIndex and PatternIndex; the float value becomes
    // the source's PenIndex. No geometry, no bounds.
    void CopyAttrib(const PlotShape& source);
    // Frees the buffers and resets counts and attributes; PatternIndex and bounds stay.
    void Destroy();
    // Drops every sub-polyline and point (and the depth array); the attributes, the bounds
    // and the buffers' storage stay, for points that replace them.
    void ClearPoints();
    // ClearPoints, then the attributes and bounds a new shape has: for a shape that builds one
    // piece after another in the same storage.
    void ClearKeepingStorage();

    short GetLineType() const { return lineType_; }
    void SetLineType(short t) { lineType_ = t; }
    short GetPenIndex() const { return penIndex_; }
    void SetPenIndex(int pen) { penIndex_ = static_cast<short>(pen); }
    unsigned char GetRecIndex() const { return recIndex_; }
    void SetRecIndex(unsigned char r) { recIndex_ = r; }
    unsigned char GetMauIndex() const { return mauIndex_; }
    void SetMauIndex(unsigned char m) { mauIndex_ = m; }
    unsigned GetPatternIndex() const { return patternIndex_; }
    void SetPatternIndex(unsigned p) { patternIndex_ = p; }
    // The float attribute carried with the shape; nothing in the library interprets it.
    float GetFloatValue() const { return floatValue_; }
    void SetFloatValue(float v) { floatValue_ = v; }

    // The library-wide joining tolerance in plotter units (5.0 at load); SetError stores |e|.
    static float GetError();
    static void SetError(float e);

    // Makes room for n more sub-polylines / points: 0 when n <= 0 or allocation fails, else 1.
    int CheckPlBuf(int n);
    int CheckPtBuf(int n);
    // Makes room for exactly polylines more sub-polylines and points more points where the
    // buffers hold less, without growth steps, so that a shape built to a known size needs
    // no shrink copy; 0 when a count is negative or allocation fails, else 1.
    int ReserveExactly(int polylines, int points);
    // Appends a point to the last sub-polyline, starting the first one when there is none.
    void AddPointAtLastPl(float x, float y);
    // Starts a new, empty sub-polyline first when newPolyline is non-zero.
    void AddPoint(float x, float y, int newPolyline);
    // Appends the other shape's sub-polylines; bounds are not updated.
    void Append(const PlotShape* other);
    // Appends a glyph's sub-polylines, then CalArea. Defined with the fonts.
    void Append(const PlotChar& glyph);
    // Appends s (one sub-polyline) without its first point to the last sub-polyline; the
    // bounds are merged. 0 when s has not exactly one sub-polyline or this shape has none.
    int AddAtLast(PlotShape& s);
    // Puts s (one sub-polyline) without its last point in front of the first sub-polyline.
    int AddAtStart(PlotShape& s);
    // Joins s at an end within the shared tolerance; 1 when joined. s stays the caller's.
    int Connect(PlotShape& s);
    // Shrinks both buffers to their used size.
    void FreeUsedSpace();
    // Replaces the depth array by zeroed entries, one per sub-polyline (at least one).
    void AllocZLen();
    // The depth array of the print traversal: one entry per sub-polyline, null before AllocZLen.
    int32_t* GetZLen() { return zLen_ ? zLen_.get() + 1 : nullptr; }
    const int32_t* GetZLen() const { return zLen_ ? zLen_.get() + 1 : nullptr; }
    // Number of entries in the depth array (0 before AllocZLen).
    int GetZLenNum() const { return zLen_ ? zLen_[0] : 0; }

    int GetPlNum() const { return plNum_; }
    int GetTolPtNum() const { return ptNum_; }
    // Sub-polyline n: its first (x, y) pair and its point count; null and 0 out of range.
    // Finding the pair sums the counts before n; walks over all sub-polylines step instead.
    float* GetPl(int n, int32_t& count);
    const float* GetPl(int n, int32_t& count) const;
    // The point count of sub-polyline n in constant time; 0 out of range.
    int32_t GetPlPtNum(int n) const { return n >= 0 && n < plNum_ ? plPtNum_[static_cast<size_t>(n)] : 0; }
    // Point i over all sub-polylines; (0, 0) when i is out of range.
    CFloatPoint Point(int i) const;
    CFloatPoint Start() const { return Point(0); }
    CFloatPoint End() const { return Point(ptNum_ - 1); }
    // Point i truncated toward zero; (0, 0) when out of range.
    CPoint ToCPoint(int i) const;
    // 1 and the first / last point, or 0 when the shape is empty.
    int GetStartPt(CFloatPoint& p) const;
    int GetLastPt(CFloatPoint& p) const;
    // 0 when p is exactly the first point, 1 when the last, else -1 (also when empty).
    int IsEndPt(const CFloatPoint& p) const;
    // As IsEndPt, within the shared tolerance in x and y.
    int IsEndPoint(const CFloatPoint& p) const;
    // 1 for more than 2 points whose ends lie within the shared tolerance in x and y.
    int IsClose() const;
    // Recomputes the bounds from the points truncated toward zero; no points: the invalid box.
    CArea CalArea();
    const CArea& GetArea() const { return area_; }
    // Sum of the segment lengths of every sub-polyline.
    float CalLength() const;
    // 1 when the points form an axis-parallel rectangle (four alternating runs).
    int IsRect() const;
    // 1 when a segment of the shape meets the box.
    int IsIntersectWithBox(const OL_Box& b) const;
    // Lowest crossing y of the vertical line at x; the passing direction (0 towards larger x,
    // 1 towards smaller x), or -1 when there is none.
    int CalInterset_Lowest(float x, float& y) const;

    // Moves every point; the bounds move by the offsets truncated to integers.
    void Move(float dx, float dy);
    void Scale(float sx, float sy);
    // Rotates about (cx, cy) by the direction (dx, dy), then CalArea.
    void Rotate(float cx, float cy, float dx, float dy);
    // Quarter turns (1, 2, 3) within the box (its xmax / ymax, 0 for a null box).
    void Rotate(int32_t quarter, const CArea* box);
    // y becomes box.ymax - y (-y for a null box).
    void Mirror(const CArea* box);
    void MirrorByX(int32_t x0);
    // x += k y / y += k x.
    void Stretchx(float k);
    void Stretchy(float k);
    // Reverses the order of all points and of the sub-polyline counts.
    void Reverse();

    // Appends the shape as HPGL text: "PUx,y;PDx,y,...;" per sub-polyline, as integers
    // (truncated) / as floats, each in its shortest form that reads back to the same float.
    void ToPltString(CStringA& out) const;
    void ToPltStringFloat(CStringA& out) const;

    // Draws every sub-polyline on r.dc with the preview's mapping (MoveTo, then LineTo).
    void Render(structRender& r) const;
    // Draws into the raster DC with the band stretch; with pens, segments within 10 degrees
    // of vertical use pens[1] and the others pens[0].
    void RenderPrint(structRenderPrint& r, CPen* pens) const;

    // ---- geometry operations ----

    // Appends n points (x, y pairs) to the last sub-polyline, or as a new one when newPl is
    // set or there is none.
    void Append(int n, const float* pts, int newPl);
    // Appends n points as a new sub-polyline, then CalArea; nothing for null or n <= 0.
    void Append(const float* pts, int n);
    // As Append(n, pts, newPl), from separate x and y arrays.
    void Append(int n, const float* xs, const float* ys, int newPl);
    // Overwrites point i when 0 <= i < total points.
    void ReplaceVertex(int i, float x, float y);
    // The box of all points as doubles; the zero box for a shape without points.
    void CalBox(OL_Box& box) const;
    // Length of segment i -> i + 1 of a point array.
    static float LineLength(const float* pts, int i);
    // Joins the single-sub-polyline shape p at an end within tol in x and y; 1 when joined.
    int Connect(PlotShape* p, float tol);
    // Drops empty sub-polylines and points within 0.001 (both axes) of the point kept before.
    void DeleteRepeatPoint();
    // 1 for more than 3 points whose ends lie within tol in x and y.
    int IsClose(float tol) const;
    // 1 when both have as many points and each pair lies within tol in x and y.
    int IsCoincide(const PlotShape* other, float tol) const;
    // out := this closed line started at vertex k (P0 = Pn-1 assumed).
    void StartAtVertex(int k, PlotShape* out) const;
    // out := this closed line started in the middle of the segment after vertex k.
    void StartAtMidVertex(int k, PlotShape* out) const;
    // Appends a circle of radius r millimetres about the origin, chords of about 0.4 units
    // sagitta, to the last sub-polyline; then CalArea.
    void CreateCircle(float r);
    // 1 when the shape is one closed ring of more than 8 points at a constant distance
    // (within tol) from its box centre; the distance goes to *radius.
    int IsCircle(float* radius, float tol) const;
    // End index of the smooth run of pts that begins at vertex start.
    static int GetNextCurve(int n, const float* pts, int start, float tanTol);
    // Splits a point array at its sharp vertices into new shapes appended to out.
    static void BreakAtVertex(const float* pts, int n, OL_List& out, float tanTol);
    // BreakAtVertex of every sub-polyline.
    void BreakAtVertex(OL_List& out, float tanTol) const;
    // As BreakAtVertex, each piece with this shape's attributes and its bounds.
    void BreakAt(PlotShapeList& out, float tanTol) const;
    // Index of the first sharp vertex of a closed shape whose closing vertex is smooth, else 0.
    int FindVertexAngle(float tanTol);

    // Splits at the vertical line x: pieces left of it to left, the others to right (a null
    // list drops its pieces); a shape wholly on one side goes there as a deep copy.
    void CutByVLine(int32_t x, PlotShapeList* left, PlotShapeList* right) const;
    // The same at the horizontal line y, pieces below it to below.
    void CutByHLine(int32_t y, PlotShapeList* below, PlotShapeList* above) const;

    // The sorted y of every crossing of the vertical line at x; their number, or -1 (ys
    // untouched) when the shape is empty or x lies outside its bounds.
    int CalIntersect(float x, CArray<float>& ys) const;
    // The same crossings in the order the walk over the points finds them.
    int CalCrossings(float x, CArray<float>& ys) const;
    // Appends the crossings of one point array with the vertical line at x (unsorted).
    static void CalIntersect(const float* pts, int32_t n, float x, CArray<float>& ys);
    // 1 when p lies inside this closed shape or on its boundary.
    int PtIsInLoop(const CFloatPoint& p) const;
    // The same with this shape's crossings from its segment index (made over this shape).
    int PtIsInLoop(const CFloatPoint& p, const LoopScanIndex& self) const;
    // 1 when this shape lies inside the closed shape loop: every y at which this shape meets
    // its test line (LoopTestCrossings) lies between two crossings of the loop with that line
    // (IsInsideCrossings).
    int IsInLoop(const PlotShape* loop) const;
    // The x of the vertical line IsInLoop tests along: the middle of the cached bounds.
    float LoopTestX() const;
    // Into ys, sorted: this shape's crossings with the line at LoopTestX(), or, when there are
    // none, the y of its ends within reach of its box's middle line. Left empty for an empty
    // shape, or when no end lies there: such a shape lies inside no loop.
    void LoopTestCrossings(CArray<float>& ys) const;
    // IsInLoop given a shape's LoopTestCrossings (inner) and the crossings of the loop with the
    // same line in the order CalCrossings gives them (outer, left sorted when it holds a NaN).
    static int IsInsideCrossings(std::span<const float> inner, std::span<float> outer);

    // Scaled length of the segment a -> b of a pattern.
    static float GetLength(const float* a, const float* b, const structDash& d);
    // Dashes one point array into one new shape appended to out; 0 when n <= 1.
    int Dash(OL_List& out, const structDash& d, int n, const float* pts) const;
    // Dashes every sub-polyline; the new shapes take this shape's line type, pen and float value.
    void Dash(OL_List& out, const structDash& d) const;
    // The points Dash(out, d) would make, counted without making them and no further than
    // just past limit: a result above limit means "more than limit".
    int64_t DashPointCount(const structDash& d, int64_t limit) const;
    // Dashes with bridges placed on straight stretches; pieces with this shape's attributes.
    void Dash(PlotShapeList& out, DashStyle s) const;
    // Dashes one smooth run with bridges into new shapes appended to out.
    static void Dash(int n, const float* pts, DashStyle s, PlotShapeList& out);
    // The position at arc length dist from `from` (backwards for negative dist); the length
    // covered, which is less than |dist| when the run ends first.
    static float FindPtOnCurve(int n, const float* pts, float dist, const PtOnCurve& from, PtOnCurve& out);
    // Radius of the arc through the stretch from -> to; 0 when the stretch folds back,
    // kStraightRadius when it is straight.
    static float CalRadius(int n, const float* pts, const PtOnCurve& from, const PtOnCurve& to);
    static constexpr float kStraightRadius = 3.4e38f;

    // ---- shape preprocessing: knife compensation, smoothing, line detection ----
    // Defined in src/preprocess. Points in plotter units, knife offsets in units, over-cuts in mm.

    // Appends the holder path of this shape to out: cut pieces with this shape's attributes and
    // turning pieces of MauIndex 130. dir is the running knife direction (updated).
    void KnifeCompensate_cut4(PlotShapeList& out, float offset, CFloatPoint& dir, float startOverCutMm,
                              float endOverCutMm) const;
    // KnifeCompensate_cut4 without over-cuts.
    void KnifeCompensate_cut3(PlotShapeList& out, float offset, CFloatPoint& dir) const;
    // Appends the holder path around a small closed polyline (a turning arc at the closing
    // vertex only / at every vertex); always 0.
    int CalCompensateSmallArc_slick(const float* pts, int n, CFloatPoint& dir, float offset);
    int CalCompensateSmallArc(const float* pts, int n, CFloatPoint& dir, float offset);
    // The point x of the polyline pts[0..last] at straight-line distance dist from pts[0]; the
    // index of the first vertex at least dist away, -1 (x unchanged) when there is none.
    static int CalCompensateArc(CFloatPoint& x, const float* pts, int last, float dist);
    // Appends the inner points of the turning arc about pivot from direction from to to.
    void CalCompensateArc(CFloatPoint pivot, const CFloatPoint& from, const CFloatPoint& to, float radius);
    // Moves the last point on / the first point back by length along the end segment.
    void ExtendAtEnd(float length);
    void ExtendAtStart(float length);

    // Folds nearly straight runs of pts in place (interior vertices overwritten with the run's
    // first point); non-zero when something changed, always for three points.
    static int MakeLine(int n, float* pts, float tol);
    // MakeLine on every sub-polyline, then DeleteRepeatPoint when any changed.
    void MakeLine(float tol);
    // As MakeLine, with the vertical distance from the chord line as the error.
    static int MakeLineYError(int n, float* pts, float tol);
    void MakeLineYError(float tol);
    // End index of the exactly collinear run of pts that begins at start; tol is not used.
    static int GetNextLine(int n, const float* pts, int start, float tol);
    // Signed turn at vertex b from a -> b to b -> c, radians in (-π, π].
    static double AngleAtVertex(const float* pts, int a, int b, int c);
    // Appends pts to out's last sub-polyline with zig-zag runs of short lines simplified; the
    // render context is not used.
    static void Slick_new(int n, const float* pts, PlotShape& out, structRender* render);
    // Appends a simplified copy of a zig-zag run as a new sub-polyline of out.
    static void Slick3(int n, const float* pts, PlotShape& out);
    // One smoothed new shape per sub-polyline with points, appended to out; this shape is not changed.
    void Slick_new(PlotShapeList& out) const;
    // Draws a point array as one polyline with the preview's mapping.
    static void Render(int n, const float* pts, structRender& r);
    // Start index of the longest segment within tanTol of the x axis and at least minLength
    // long of this closed shape (after folding its straight runs); 0 when not closed or with
    // 3 or fewer points, -2 when none qualifies.
    int FindVerticalLine(float tanTol, float minLength);

    // Earlier compensation variants.
    // Appends an arc corner of the given radius about vertex (incoming direction dir).
    void AddCompansate(const CFloatPoint& dir, const CFloatPoint& vertex, const CFloatPoint& next, float radius,
                       int newPl);
    // Arc-corner offset of every sub-polyline into out / one new shape per sub-polyline.
    void WnifeCompensate(PlotShape& out, float offset, CFloatPoint& dir) const;
    void WnifeCompensate(PlotShapeList& out, float offset, CFloatPoint& dir) const;
    void WnifeCompensate_sub(PlotShapeList& out, float offset, CFloatPoint& dir, const float* pts, int n) const;
    // Appends the point length along the start of the first sub-polyline (over-cut of a closed line).
    void EndExtend(float length);
    // Per-chord offset with turning pieces at turns over 20 degrees; removes this shape's
    // repeated points first.
    void WnifeCompensate_cut(PlotShapeList& out, float offset, CFloatPoint& dir);
    // The chord walk without the arc entry point and without over-cuts.
    void WnifeCompensate_cut1(PlotShapeList& out, float offset, CFloatPoint& dir) const;
    // Offset runs over the stretches ScanCrv finds, turning pieces at sharp stretch starts.
    void WnifeCompensate_cut2(PlotShapeList& out, float offset, CFloatPoint& dir) const;
    // Classifies the stretch that begins at crv.start; 0 when start >= count - 1, else 1.
    static int ScanCrv(CRV_TYPE& crv);

    // Earlier smoothing measures on this shape's points.
    // Distance of point i from the line through points j and k.
    double PlotToLine(int i, int j, int k) const;
    // Signed angle at point i from pj - pi to pk - pi / signed turn at j from pj - pi to pk - pj.
    double AngleAtVertex(int i, int j, int k) const;
    double AngleAtVertex1(int i, int j, int k) const;
    // Smoothing passes into out (this shape's attributes, one sub-polyline per source one,
    // bounds); points are a subsequence of the source's, ends kept.
    void Slick(PlotShape& out) const;
    void Slick1(PlotShape& out) const;
    void Slick2(PlotShape& out) const;
    // Rebuilds n points as B-spline pieces, appended as one new sub-polyline of this shape:
    // tolerance a (units), curve segments up to b units. The number of points appended.
    int RebuildBy(int n, const float* pts, float a, float b);
    // Rebuilds the leading run of pts (turns up to 30 degrees, at most b units long; straight
    // within tangent a) as a new shape of out. The index of the run's last point, at least 1
    // for two or more points, 0 for fewer.
    int RebuildByV1(PlotShapeList& out, int n, const float* pts, float a, float b) const;
    // RebuildByV1 over every sub-polyline into out, after removing repeated points.
    void Rebuild(PlotShapeList& out);
    // Rebuilds n points into out's new sub-polyline: straight lines kept, the turns between
    // them below 20 degrees fitted as curves. The number of points appended.
    static int Rebuild(int n, const float* pts, PlotShape& out);
    // Smoothing, then the shape broken at vertices sharper than tangent c (closed shapes first
    // restarted at such a vertex when d > 0) and each piece rebuilt by RebuildBy(a, b); a new
    // shape owned by the caller.
    PlotShape* Rebuild(float a, float b, float c, float d) const;

private:
    // Joins s at an end within tol; the shared form of both Connect operations.
    int ConnectWithin(PlotShape& s, double tol);
    // Splits one point array at the vertical line x = c (the per-sub-polyline cut).
    void CutByVLine(const float* pts, int32_t n, int32_t c, PlotShapeList* left, PlotShapeList* right) const;
    // The same at the horizontal line y = c, the first list taking the pieces below.
    void CutByHLine(const float* pts, int32_t n, int32_t c, PlotShapeList* below, PlotShapeList* above) const;
    // The cut of one point array at coordinate c of the given axis (0: x, 1: y).
    void CutAtLine(const float* pts, int32_t n, int32_t c, int axis, PlotShapeList* low, PlotShapeList* high) const;
    // The whole-shape cut at coordinate c of the given axis.
    void CutShapeAtLine(int32_t c, int axis, PlotShapeList* low, PlotShapeList* high) const;

    // PtIsInLoop given this shape's crossings with the line at p.x in the walk's order (their
    // number, or -1); ys is left sorted when it holds a NaN.
    static int IsInCrossings(const CFloatPoint& p, CArray<float>& ys, int count);

    // Calls f(points, count, index) for every sub-polyline in order.
    template <class F>
    void ForEachPl(F f) const
    {
        const float* p = pts_.data();
        for (int32_t pl = 0; pl < plNum_; ++pl) {
            int32_t n = plPtNum_[static_cast<size_t>(pl)];
            f(p, n, pl);
            p += 2 * static_cast<ptrdiff_t>(n);
        }
    }
    // Appends n points of pts to the last sub-polyline (there must be one).
    void AppendPointsToLastPl(const float* pts, int32_t n);
    // Writes the sub-polylines as HPGL text with the given point format.
    void WritePlt(CStringA& out, bool asFloat) const;

    float floatValue_ = 1.0f;
    short lineType_ = 0;
    short penIndex_ = 0;
    unsigned char recIndex_ = kDefaultRecIndex;
    unsigned char mauIndex_ = kDefaultMauIndex;
    int32_t plNum_ = 0;
    int32_t ptNum_ = 0;
    unsigned patternIndex_ = 0;
    // One point count per sub-polyline; its size is the sub-polyline capacity.
    PolylineCounts plPtNum_;
    // The number of depth entries, then one tool depth per sub-polyline, written by the print
    // traversal; null before AllocZLen. The count lives in the block to keep the shape small.
    std::unique_ptr<int32_t[]> zLen_;
    // (x, y) pairs in plotter units; its size is twice the point capacity.
    PointBuffer pts_;
    CArea area_;
};
