// Intersections: lines against segments and shapes, positions on a polyline and their order,
// box overlap ratios, and cut-piece recognition.
//
// Coordinates are plotter units (40 per mm). A line a -> b is intersected with the segments of
// sub-polyline 0 of a shape; each hit is a PtOnPolyline (the point, the start vertex of its
// segment, the shape) with its parameter along the line at the same index of a float array.
#pragma once

#include "geometry/float_point.h"
#include "geometry/ol_box.h"
#include "geometry/ol_list.h"
#include "platform/carray.h"

#include <cstdint>

class PlotShape;
class PlotShapeList;

// A position on a shape's polyline: the point, the start vertex of the segment it lies on
// (within sub-polyline 0) and the shape (null when not given).
class PtOnPolyline : public CFloatPoint {
public:
    uint32_t vertexIndex = 0;
    const PlotShape* shape = nullptr;

    PtOnPolyline() = default;
    PtOnPolyline(CFloatPoint p, unsigned index) : CFloatPoint(p.x, p.y), vertexIndex(index) {}
    PtOnPolyline(CFloatPoint p, unsigned index, const PlotShape* s) : CFloatPoint(p.x, p.y), vertexIndex(index), shape(s) {}
    PtOnPolyline(float px, float py, unsigned index) : CFloatPoint(px, py), vertexIndex(index) {}
    PtOnPolyline(const PtOnPolyline&) = default;
    // Returns the object, as the array of positions needs of its elements.
    PtOnPolyline& operator=(const PtOnPolyline&) = default;
    ~PtOnPolyline() override = default;
};

// Options of cut-piece recognition, passed by value.
struct REC_CAIPIAN_OPT {
    // Pens 1..12: non-zero means the shapes of that pen index take part.
    int32_t penFlags[12] = {};
    // Pen index given to each piece's outline / to the closed shapes inside it (0 = leave).
    int32_t outerPen = 0;
    int32_t innerPen = 0;
    // 2 reverses each outline / each inner closed shape.
    int32_t outerDirection = 0;
    int32_t innerDirection = 0;
    // Square millimetres: smaller shapes and single-shape pieces are not pieces.
    float areaLimitMm2 = 0.0f;
};

// a.x·b.y − a.y·b.x.
double Det(const CFloatPoint& a, const CFloatPoint& b);
// Intersects the lines a -> b and c -> d: 0 when parallel (nothing written); else 1 with out,
// t[0] the parameter along a -> b and t[1] along c -> d (not range-checked).
int LineIntersect(CFloatPoint& out, float t[2], const CFloatPoint& a, const CFloatPoint& b, const CFloatPoint& c,
                  const CFloatPoint& d);
// Box pre-test of the segments a-b and c-d: 0 when c and d lie on one outer side of a-b's box.
int IsLineSegmentIntersect(const CFloatPoint& a, const CFloatPoint& b, const CFloatPoint& c, const CFloatPoint& d);
// 1 when the infinite line through a and b meets the box.
int IsBoxIntersectWithLine(const OL_Box& box, const CFloatPoint& a, const CFloatPoint& b);

// The line a -> b against sub-polyline 0 of shape; hits in polyline order. Returns their number.
int LineIntersectWithCurve(const CFloatPoint& a, const CFloatPoint& b, const PlotShape* shape,
                           CArray<PtOnPolyline>& hits, CArray<float>& lineParams);
// As LineIntersectWithCurve, segments pre-tested against the line's box grown by one unit, the
// hits sorted by line parameter (the line is not limited to a -> b).
int LineIntersectWithCurve_fast_v1(const CFloatPoint& a, const CFloatPoint& b, const PlotShape* shape,
                                   CArray<PtOnPolyline>& hits, CArray<float>& lineParams);
// As _fast_v1, keeping only hits with the line parameter in [0, 1].
int LineIntersectWithCurve_fast(const CFloatPoint& a, const CFloatPoint& b, const PlotShape* shape,
                                CArray<PtOnPolyline>& hits, CArray<float>& lineParams);

// Order of two positions on one single-sub-polyline shape: 1 when a lies before b, −1 after,
// 0 at the same place, −2 when they cannot be compared.
int Compare(PtOnPolyline& a, PtOnPolyline& b);
// The integer box of the polyline between a and b / of the rest of it: 1, or 0 (out zeroed)
// when the positions are not on one single-sub-polyline shape.
int GetMidArea(PtOnPolyline& a, PtOnPolyline& b, CArea& out);
int GetEndPointArea(PtOnPolyline& a, PtOnPolyline& b, CArea& out);
// The share of box a covered by box b, 0 when they do not meet.
float InterAreaRatio(const CArea& a, const CArea& b);

// Recognises the cut pieces among the shapes of the chosen pens: closed outlines grouped with
// what lies inside them (PlotLoop groups appended to groups), the rest ordered back into
// list. 0 when no outline was found, else 1. Defined with the loop finder.
int RecgniseCaiPian(PlotShapeList& list, OL_List& groups, REC_CAIPIAN_OPT opt);

// Intersects each segment of the shape with fewer points with the other shape; hits[0] holds
// positions on a, hits[1] on b, pairwise. 1 when a has at least as many points as b, else 0.
int CurveIntersectWithCurve(CArray<PtOnPolyline> hits[2], const PlotShape* a, const PlotShape* b);
// The crossings of sub-polyline 0 of s with itself, pairwise: hits[0] on the earlier segment,
// hits[1] on the later one.
int CurveIntersectSelf(CArray<PtOnPolyline> hits[2], const PlotShape* s);
