// Axis-aligned boxes: CArea (32-bit integer plotter units) and OL_Box (doubles).
#pragma once

#include "geometry/float_point.h"
#include "platform/rect.h"

#include <cstdint>

class CArea {
public:
    int32_t xmin = 0;
    int32_t ymin = 0;
    int32_t xmax = 0;
    int32_t ymax = 0;

    // The sides of the invalid box, ready to be merged into.
    static constexpr int32_t kInvalidMin = 2147483647;
    static constexpr int32_t kInvalidMax = -2147483647;

    CArea() = default;
    CArea(int32_t x1, int32_t y1, int32_t x2, int32_t y2) : xmin(x1), ymin(y1), xmax(x2), ymax(y2) {}
    CArea(const CArea&) = default;
    CArea& operator=(const CArea&) = default;
    virtual ~CArea() = default;

    bool operator==(const CArea& b) const
    {
        return xmin == b.xmin && ymin == b.ymin && xmax == b.xmax && ymax == b.ymax;
    }
    // Grows the box to include b, side by side, with no validity test.
    void Merge(const CArea& b);
    // xmax - xmin / ymax - ymin, held within 32 bits: the sides of an invalid box, or of a box
    // around saturated coordinates, are more than 2^31 apart.
    int32_t Width() const;
    int32_t Height() const;
    int IsIntersect(const CArea& b) const;
    int IsIntersectWith(const CArea& b) const { return IsIntersect(b); }
    int IsInBox(const CArea& b) const;
    int PtIsIn(int32_t x, int32_t y) const;
    int PtIsIn(const CPoint& p) const { return PtIsIn(p.x, p.y); }
    // Each x becomes (x + dx) × sx and each y (y + dy) × sy, truncated toward zero.
    void MoveAndScale(int32_t dx, int32_t dy, float sx, float sy);
    void MakeInvalid();
    // True for the box that MakeInvalid makes, or any box merged from nothing.
    bool IsInvalid() const { return xmin > xmax || ymin > ymax; }
    // Grows each side by one unit; a side already at the end of the 32-bit range stays there.
    void EnalageOneUnit();
    // Area in square millimetres, computed in double precision.
    double Area() const;
    CPoint PtMinxMiny() const { return {xmin, ymin}; }
    CPoint PtMinxMaxy() const { return {xmin, ymax}; }
    CPoint PtMaxxMaxy() const { return {xmax, ymax}; }
    CPoint PtMaxxMiny() const { return {xmax, ymin}; }
    // Segment against box; errs towards a hit (see OL_Box::IsIntersectWith).
    int IsIntersectWith(const CFloatPoint& a, const CFloatPoint& b) const;
    // The first crossing of the segment a-b with a side of the box: 1 with out set, else 0.
    int IntersectWithLine(CPoint& a, CPoint& b, CPoint& out) const;
};

class OL_Box {
public:
    double xmin = 0.0;
    double ymin = 0.0;
    double xmax = 0.0;
    double ymax = 0.0;

    OL_Box() = default;
    explicit OL_Box(const CArea& a);
    OL_Box(const CFloatPoint& p, const CFloatPoint& q);
    OL_Box(double x1, double y1, double x2, double y2);
    OL_Box(const OL_Box&) = default;
    OL_Box& operator=(const OL_Box&) = default;
    OL_Box& operator=(const CRect& r);
    virtual ~OL_Box() = default;

    // Sets the box from two corners, sorting each axis.
    void SetRect(double x1, double y1, double x2, double y2);
    void SetRectEmpty();
    // Valid: max >= min on both axes and a non-vanishing extent (a point box is invalid).
    int IsValid() const;
    double Width() const { return xmax - xmin; }
    double Height() const { return ymax - ymin; }
    CFloatPoint Center() const { return {(xmin + xmax) / 2.0, (ymin + ymax) / 2.0}; }
    void Move(const CFloatPoint& d);
    int IsInBox(const OL_Box& b) const;
    int IsInRect(const CRect& r) const;
    int IsIntersectWith(const OL_Box& b) const;
    // Segment against box. Once both ends are not beyond one side, the whole line across the
    // box's width is tested, so the result errs towards a hit.
    int IsIntersectWith(const CFloatPoint& a, const CFloatPoint& b) const;
    int IsPtInBox(const CFloatPoint& p) const { return IsPtInBox(p.x, p.y); }
    int IsPtInBox(double x, double y) const;
    CFloatPoint PtMinxMiny() const { return {xmin, ymin}; }
    CFloatPoint PtMinxMaxy() const { return {xmin, ymax}; }
    CFloatPoint PtMaxxMaxy() const { return {xmax, ymax}; }
    CFloatPoint PtMaxxMiny() const { return {xmax, ymin}; }
    // An invalid box becomes a copy of b; an invalid b changes nothing; else the box grows.
    void Merge(const OL_Box& b);
    // Grows a valid box to include the point; an invalid box is left as it is.
    void MergePoint(double x, double y);
};
