// Line and segment intersection, positions on a polyline, box overlap ratios.
#include "plotmodel/intersection.h"

#include "geometry/int_truncation.h"
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Below this |determinant| two lines count as parallel.
constexpr double kParallel = 1e-12;

CFloatPoint Vertex(const float* p, int32_t i) { return {p[2 * i], p[2 * i + 1]}; }

// The segment-parameter range of a line hit: [0, 1] on the first segment, (0, 1] after it,
// so a hit at an inner vertex is reported once, on the segment that ends there.
bool OnSegment(float t, int32_t segment) { return (segment == 0 ? t >= 0.0f : t > 0.0f) && t <= 1.0f; }

enum class Candidates { BySegmentBox, ByGrownLineBox };

// Intersects the line a -> b with sub-polyline 0 of shape; sorted by line parameter and
// limited to it in [0, 1] as asked.
int IntersectLineWithShape(const CFloatPoint& a, const CFloatPoint& b, const PlotShape* shape, CArray<PtOnPolyline>& hits,
                           CArray<float>& params, Candidates candidates, bool sortByLine, bool limitLine)
{
    hits.RemoveAll();
    params.RemoveAll();
    if (!shape) return 0;
    int32_t n = 0;
    const float* p = shape->GetPl(0, n);
    if (!p || n < 2 || !IsBoxIntersectWithLine(OL_Box(shape->GetArea()), a, b)) return 0;
    OL_Box lineBox(a, b);
    lineBox.xmin -= 1.0;
    lineBox.ymin -= 1.0;
    lineBox.xmax += 1.0;
    lineBox.ymax += 1.0;
    for (int32_t i = 0; i + 1 < n; ++i) {
        CFloatPoint c = Vertex(p, i), d = Vertex(p, i + 1);
        bool candidate = candidates == Candidates::BySegmentBox ? IsLineSegmentIntersect(a, b, c, d) != 0
                                                                : OL_Box(c, d).IsIntersectWith(lineBox) != 0;
        if (!candidate) continue;
        CFloatPoint out;
        float t[2];
        if (!LineIntersect(out, t, a, b, c, d) || !OnSegment(t[1], i)) continue;
        if (limitLine && (t[0] < 0.0f || t[0] > 1.0f)) continue;
        int32_t at = hits.GetSize();
        if (sortByLine)
            at = static_cast<int32_t>(std::upper_bound(params.begin(), params.end(), t[0]) - params.begin());
        hits.InsertAt(at, PtOnPolyline(out, static_cast<unsigned>(i), shape));
        params.InsertAt(at, t[0]);
    }
    return hits.GetSize();
}

// The point count of the single sub-polyline both positions lie on, or -1 when they cannot
// be compared (different or null shapes, several sub-polylines, an index past the end).
int64_t SharedPolylineCount(const PtOnPolyline& a, const PtOnPolyline& b)
{
    if (!a.shape || a.shape != b.shape || a.shape->GetPlNum() != 1) return -1;
    int64_t n = a.shape->GetPlPtNum(0);
    if (a.vertexIndex >= n || b.vertexIndex >= n) return -1;
    return n;
}

void MergePoint(CArea& box, const CFloatPoint& q)
{
    int32_t x = TruncateToInt32(q.x), y = TruncateToInt32(q.y);
    box.xmin = std::min(box.xmin, x);
    box.ymin = std::min(box.ymin, y);
    box.xmax = std::max(box.xmax, x);
    box.ymax = std::max(box.ymax, y);
}

// Boxes a's and b's points and the vertices of sub-polyline 0 that keep(index, lo, hi) holds.
template <class Keep>
int BoxOfPart(PtOnPolyline& a, PtOnPolyline& b, CArea& out, Keep keep)
{
    out = CArea();
    int64_t n = SharedPolylineCount(a, b);
    if (n < 0) return 0;
    int32_t count = 0;
    const float* p = a.shape->GetPl(0, count);
    uint32_t lo = std::min(a.vertexIndex, b.vertexIndex), hi = std::max(a.vertexIndex, b.vertexIndex);
    CArea box;
    box.MakeInvalid();
    MergePoint(box, a);
    MergePoint(box, b);
    for (int32_t i = 0; i < count; ++i)
        if (keep(static_cast<uint32_t>(i), lo, hi)) MergePoint(box, Vertex(p, i));
    out = box;
    return 1;
}

}  // namespace

double Det(const CFloatPoint& a, const CFloatPoint& b) { return a.x * b.y - a.y * b.x; }

int LineIntersect(CFloatPoint& out, float t[2], const CFloatPoint& a, const CFloatPoint& b, const CFloatPoint& c,
                  const CFloatPoint& d)
{
    float det = static_cast<float>(Det(d - c, a - b));
    if (std::fabs(det) < kParallel) return 0;
    t[1] = static_cast<float>(Det(a - c, a - b) / det);
    t[0] = static_cast<float>(Det(d - c, a - c) / det);
    out = c * (1.0 - t[1]) + d * t[1];
    return 1;
}

int IsLineSegmentIntersect(const CFloatPoint& a, const CFloatPoint& b, const CFloatPoint& c, const CFloatPoint& d)
{
    float xmin = static_cast<float>(std::min(a.x, b.x)), xmax = static_cast<float>(std::max(a.x, b.x));
    float ymin = static_cast<float>(std::min(a.y, b.y)), ymax = static_cast<float>(std::max(a.y, b.y));
    if ((c.x < xmin && d.x < xmin) || (c.x > xmax && d.x > xmax)) return 0;
    if ((c.y < ymin && d.y < ymin) || (c.y > ymax && d.y > ymax)) return 0;
    return 1;
}

int IsBoxIntersectWithLine(const OL_Box& box, const CFloatPoint& a, const CFloatPoint& b)
{
    if (a.x == b.x) return box.xmin <= a.x && a.x <= box.xmax && a.y != b.y ? 1 : 0;
    float k = static_cast<float>((b.y - a.y) / (b.x - a.x));
    double y1 = a.y + k * (box.xmin - a.x), y2 = a.y + k * (box.xmax - a.x);
    if (k > 0) return y1 <= box.ymax && y2 >= box.ymin ? 1 : 0;
    return y1 >= box.ymin && y2 <= box.ymax ? 1 : 0;
}

int LineIntersectWithCurve(const CFloatPoint& a, const CFloatPoint& b, const PlotShape* shape,
                           CArray<PtOnPolyline>& hits, CArray<float>& lineParams)
{
    return IntersectLineWithShape(a, b, shape, hits, lineParams, Candidates::BySegmentBox, false, false);
}

int LineIntersectWithCurve_fast_v1(const CFloatPoint& a, const CFloatPoint& b, const PlotShape* shape,
                                   CArray<PtOnPolyline>& hits, CArray<float>& lineParams)
{
    return IntersectLineWithShape(a, b, shape, hits, lineParams, Candidates::ByGrownLineBox, true, false);
}

int LineIntersectWithCurve_fast(const CFloatPoint& a, const CFloatPoint& b, const PlotShape* shape,
                                CArray<PtOnPolyline>& hits, CArray<float>& lineParams)
{
    return IntersectLineWithShape(a, b, shape, hits, lineParams, Candidates::ByGrownLineBox, true, true);
}

int Compare(PtOnPolyline& a, PtOnPolyline& b)
{
    int64_t n = SharedPolylineCount(a, b);
    if (n < 0) return -2;
    // Indices are compared as signed 64-bit values: "a < b - 1" on unsigned indices would
    // wrap at b = 0 and put a later position before the first vertex.
    int64_t ia = a.vertexIndex, ib = b.vertexIndex;
    bool same = a.x == b.x && a.y == b.y;
    if (ia < ib - 1) return 1;
    if (ib == ia + 1) return same ? 0 : 1;
    if (ia == ib + 1) return same ? 0 : -1;
    if (ia > ib + 1) return -1;
    if (ia == n - 1 || same) return 0;
    int32_t count = 0;
    const float* p = a.shape->GetPl(0, count);
    CFloatPoint d = Vertex(p, static_cast<int32_t>(ia) + 1) - Vertex(p, static_cast<int32_t>(ia));
    bool alongX = std::fabs(d.y) < std::fabs(d.x);
    double da = alongX ? a.x : a.y, db = alongX ? b.x : b.y, dir = alongX ? d.x : d.y;
    return (dir >= 0 ? da < db : da > db) ? 1 : -1;
}

int GetMidArea(PtOnPolyline& a, PtOnPolyline& b, CArea& out)
{
    return BoxOfPart(a, b, out, [](uint32_t i, uint32_t lo, uint32_t hi) { return i > lo && i <= hi; });
}

int GetEndPointArea(PtOnPolyline& a, PtOnPolyline& b, CArea& out)
{
    return BoxOfPart(a, b, out, [](uint32_t i, uint32_t lo, uint32_t hi) { return i <= lo || i > hi; });
}

float InterAreaRatio(const CArea& a, const CArea& b)
{
    if (!a.IsIntersectWith(b)) return 0.0f;
    int64_t ow = static_cast<int64_t>(std::min(a.xmax, b.xmax)) - std::max(a.xmin, b.xmin);
    int64_t oh = static_cast<int64_t>(std::min(a.ymax, b.ymax)) - std::max(a.ymin, b.ymin);
    int64_t aw = static_cast<int64_t>(a.xmax) - a.xmin, ah = static_cast<int64_t>(a.ymax) - a.ymin;
    // An overlap of no width (or height) covers a only when a itself has no width (height)
    // there; a box that merely touches b along a side is not covered by it.
    if (ow == 0) return oh == 0 || aw != 0 ? 0.0f : static_cast<float>(oh / ah);
    if (oh == 0) return ah != 0 ? 0.0f : static_cast<float>(ow / aw);
    return static_cast<float>((static_cast<double>(oh) / ah) * (static_cast<double>(ow) / aw));
}

int CurveIntersectWithCurve(CArray<PtOnPolyline> hits[2], const PlotShape* a, const PlotShape* b)
{
    hits[0].RemoveAll();
    hits[1].RemoveAll();
    if (!a || !b) return 0;
    int result = a->GetTolPtNum() >= b->GetTolPtNum() ? 1 : 0;
    const PlotShape* fewer = result ? b : a;
    const PlotShape* other = result ? a : b;
    int32_t n = 0;
    const float* p = fewer->GetPl(0, n);
    CArray<PtOnPolyline> found;
    CArray<float> params;
    for (int32_t i = 0; p && i + 1 < n; ++i) {
        LineIntersectWithCurve_fast(Vertex(p, i), Vertex(p, i + 1), other, found, params);
        for (const PtOnPolyline& onOther : found) {
            PtOnPolyline onFewer(onOther, static_cast<unsigned>(i), fewer);
            hits[0].Add(result ? onOther : onFewer);
            hits[1].Add(result ? onFewer : onOther);
        }
    }
    return result;
}

int CurveIntersectSelf(CArray<PtOnPolyline> hits[2], const PlotShape* s)
{
    hits[0].RemoveAll();
    hits[1].RemoveAll();
    if (!s) return 0;
    int32_t n = 0;
    const float* p = s->GetPl(0, n);
    struct Hit {
        float t;
        PtOnPolyline onI, onJ;
    };
    for (int32_t i = 0; p && i + 1 < n; ++i) {
        CFloatPoint a = Vertex(p, i), b = Vertex(p, i + 1);
        OL_Box boxI(a, b);
        std::vector<Hit> found;
        for (int32_t j = i + 2; j + 1 < n; ++j) {
            CFloatPoint c = Vertex(p, j), d = Vertex(p, j + 1);
            if (!OL_Box(c, d).IsIntersectWith(boxI)) continue;
            CFloatPoint out;
            float t[2];
            if (!LineIntersect(out, t, a, b, c, d)) continue;
            if (t[0] < 0.0f || t[0] > 1.0f || t[1] <= 0.0f || t[1] > 1.0f) continue;
            found.push_back({t[0], PtOnPolyline(out, static_cast<unsigned>(i), s), PtOnPolyline(out, static_cast<unsigned>(j), s)});
        }
        std::stable_sort(found.begin(), found.end(), [](const Hit& l, const Hit& r) { return l.t < r.t; });
        for (const Hit& h : found) {
            hits[0].Add(h.onI);
            hits[1].Add(h.onJ);
        }
    }
    return hits[0].GetSize();
}
