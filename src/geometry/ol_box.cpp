// Merging, containment, scaling and segment tests of the integer and double boxes.
#include "geometry/ol_box.h"

#include "geometry/int_truncation.h"

#include <cmath>
#include <cstdint>
#include <initializer_list>

namespace {

// The segment-against-box rule shared by both box types.
int SegmentHitsBox(double xmin, double ymin, double xmax, double ymax, const CFloatPoint& a, const CFloatPoint& b)
{
    if ((a.x < xmin && b.x < xmin) || (a.x > xmax && b.x > xmax) || (a.y < ymin && b.y < ymin) ||
        (a.y > ymax && b.y > ymax))
        return 0;
    if (a.x == b.x) return 1;
    float g = static_cast<float>((b.y - a.y) / (b.x - a.x));
    double y1 = a.y + g * (xmin - a.x);
    double y2 = a.y + g * (xmax - a.x);
    if (g >= 0.0f) return y2 >= ymin && y1 <= ymax ? 1 : 0;
    return y1 >= ymin && y2 <= ymax ? 1 : 0;
}

bool Between(int64_t v, int64_t a, int64_t b) { return a <= b ? (a <= v && v <= b) : (b <= v && v <= a); }

// a + (c - a0) (b1 - b0) / (c1 - c0) toward zero: the coordinate where a segment meets a
// side. Factors of up to 2^32 each can overflow 64 bits, so the product is taken in 128.
int64_t AlongSide(int64_t a, int64_t offset, int64_t rise, int64_t run)
{
    return a + static_cast<int64_t>(static_cast<__int128>(offset) * rise / run);
}

}  // namespace

// ---- CArea ----

void CArea::Merge(const CArea& b)
{
    if (b.xmin < xmin) xmin = b.xmin;
    if (b.ymin < ymin) ymin = b.ymin;
    if (b.xmax > xmax) xmax = b.xmax;
    if (b.ymax > ymax) ymax = b.ymax;
}

int CArea::IsIntersect(const CArea& b) const
{
    return xmax >= b.xmin && b.xmax >= xmin && ymax >= b.ymin && b.ymax >= ymin ? 1 : 0;
}

int CArea::IsInBox(const CArea& b) const
{
    return b.xmax >= xmax && xmin >= b.xmin && b.ymax >= ymax && ymin >= b.ymin ? 1 : 0;
}

int CArea::PtIsIn(int32_t x, int32_t y) const { return xmin <= x && x <= xmax && ymin <= y && y <= ymax ? 1 : 0; }

void CArea::MoveAndScale(int32_t dx, int32_t dy, float sx, float sy)
{
    // Sums are taken in 64 bits and the products in float, as the units are; the results
    // are truncated toward zero and held within 32 bits.
    auto scaled = [](int32_t v, int32_t d, float s) {
        return TruncateToInt32(static_cast<float>(static_cast<int64_t>(v) + d) * s);
    };
    xmin = scaled(xmin, dx, sx);
    xmax = scaled(xmax, dx, sx);
    ymin = scaled(ymin, dy, sy);
    ymax = scaled(ymax, dy, sy);
}

void CArea::MakeInvalid()
{
    xmin = ymin = kInvalidMin;
    xmax = ymax = kInvalidMax;
}

int32_t CArea::Width() const { return SaturateToInt32(static_cast<int64_t>(xmax) - xmin); }

int32_t CArea::Height() const { return SaturateToInt32(static_cast<int64_t>(ymax) - ymin); }

void CArea::EnalageOneUnit()
{
    xmin = SaturateToInt32(static_cast<int64_t>(xmin) - 1);
    ymin = SaturateToInt32(static_cast<int64_t>(ymin) - 1);
    xmax = SaturateToInt32(static_cast<int64_t>(xmax) + 1);
    ymax = SaturateToInt32(static_cast<int64_t>(ymax) + 1);
}

double CArea::Area() const
{
    return ((static_cast<double>(ymax) - ymin) / 40.0) * ((static_cast<double>(xmax) - xmin) / 40.0);
}

int CArea::IsIntersectWith(const CFloatPoint& a, const CFloatPoint& b) const
{
    return SegmentHitsBox(xmin, ymin, xmax, ymax, a, b);
}

int CArea::IntersectWithLine(CPoint& a, CPoint& b, CPoint& out) const
{
    const int64_t ax = a.x, ay = a.y, bx = b.x, by = b.y;
    if (ax == bx) {
        if (ax < xmin || ax > xmax) return 0;
        if (Between(ymin, ay, by)) { out = CPoint(a.x, ymin); return 1; }
        if (Between(ymax, ay, by)) { out = CPoint(a.x, ymax); return 1; }
        return 0;
    }
    // A side counts only where the segment reaches it: for a horizontal segment the height
    // test alone would report a crossing beyond the segment's ends.
    for (int32_t side : {xmin, xmax}) {
        int64_t y = AlongSide(ay, side - ax, by - ay, bx - ax);
        if (y >= ymin && y <= ymax && Between(y, ay, by) && Between(side, ax, bx)) {
            out = CPoint(side, static_cast<int32_t>(y));
            return 1;
        }
    }
    if (ay == by) return 0;
    for (int32_t side : {ymin, ymax}) {
        int64_t x = AlongSide(ax, side - ay, bx - ax, by - ay);
        if (x >= xmin && x <= xmax && Between(x, ax, bx)) {
            out = CPoint(static_cast<int32_t>(x), side);
            return 1;
        }
    }
    return 0;
}

// ---- OL_Box ----

OL_Box::OL_Box(const CArea& a) : xmin(a.xmin), ymin(a.ymin), xmax(a.xmax), ymax(a.ymax) {}

OL_Box::OL_Box(const CFloatPoint& p, const CFloatPoint& q) { SetRect(p.x, p.y, q.x, q.y); }

OL_Box::OL_Box(double x1, double y1, double x2, double y2) { SetRect(x1, y1, x2, y2); }

OL_Box& OL_Box::operator=(const CRect& r)
{
    SetRect(r.left, r.top, r.right, r.bottom);
    return *this;
}

void OL_Box::SetRect(double x1, double y1, double x2, double y2)
{
    xmin = x1 < x2 ? x1 : x2;
    xmax = x1 < x2 ? x2 : x1;
    ymin = y1 < y2 ? y1 : y2;
    ymax = y1 < y2 ? y2 : y1;
}

void OL_Box::SetRectEmpty() { xmin = ymin = xmax = ymax = 0.0; }

int OL_Box::IsValid() const
{
    return xmax >= xmin && ymax >= ymin && !(std::fabs((xmax - xmin) + (ymax - ymin)) < 1e-24) ? 1 : 0;
}

void OL_Box::Move(const CFloatPoint& d)
{
    xmin += d.x;
    xmax += d.x;
    ymin += d.y;
    ymax += d.y;
}

int OL_Box::IsInBox(const OL_Box& b) const
{
    return b.xmin <= xmin && xmax <= b.xmax && b.ymin <= ymin && ymax <= b.ymax ? 1 : 0;
}

int OL_Box::IsInRect(const CRect& r) const
{
    return r.left <= xmin && r.top <= ymin && r.right >= xmax && r.bottom >= ymax ? 1 : 0;
}

int OL_Box::IsIntersectWith(const OL_Box& b) const
{
    return xmin > b.xmax || xmax < b.xmin || ymax < b.ymin || ymin > b.ymax ? 0 : 1;
}

int OL_Box::IsIntersectWith(const CFloatPoint& a, const CFloatPoint& b) const
{
    return SegmentHitsBox(xmin, ymin, xmax, ymax, a, b);
}

int OL_Box::IsPtInBox(double x, double y) const { return xmin <= x && x <= xmax && ymin <= y && y <= ymax ? 1 : 0; }

void OL_Box::Merge(const OL_Box& b)
{
    if (!IsValid()) {
        *this = b;
        return;
    }
    if (!b.IsValid()) return;
    if (b.xmin < xmin) xmin = b.xmin;
    if (b.ymin < ymin) ymin = b.ymin;
    if (b.xmax > xmax) xmax = b.xmax;
    if (b.ymax > ymax) ymax = b.ymax;
}

void OL_Box::MergePoint(double x, double y)
{
    if (!IsValid()) return;
    if (x < xmin)
        xmin = x;
    else if (x > xmax)
        xmax = x;
    if (y < ymin)
        ymin = y;
    else if (y > ymax)
        ymax = y;
}
