// CPolyLine: one integer polyline, its box, joins, transforms, HPGL text and cutting.
#include "hpgl/binary_polyline_list.h"

#include "plotmodel/plot_units.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

int32_t Saturate(int64_t v)
{
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

void AppendInt(CStringA& out, int32_t v)
{
    char digits[16];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, v);
    (void)ec;
    out.Append(digits, static_cast<int>(end - digits));
}

}  // namespace

CPolyLine::CPolyLine(const CPolyLine& other) : OL_Object() { *this = other; }

CPolyLine& CPolyLine::operator=(const CPolyLine& other)
{
    if (this == &other) return *this;
    points_ = other.points_;
    pointCount_ = other.pointCount_;
    pen_ = other.pen_;
    lineType_ = other.lineType_;
    box_ = other.box_ ? std::make_unique<CArea>(*other.box_) : nullptr;
    return *this;
}

bool CPolyLine::IsLefterVLine(int32_t x) { return x >= GetArea().xmax; }

bool CPolyLine::IsUnderHLine(int32_t y) { return y >= GetArea().ymax; }

int CPolyLine::Create(const int32_t* xy, unsigned n, unsigned pen)
{
    if (n > kMaxPoints || (n > 0 && !xy)) return 0;
    points_.resize(n);
    for (unsigned i = 0; i < n; ++i) points_[i] = CPoint(xy[2 * i], xy[2 * i + 1]);
    pointCount_ = static_cast<uint16_t>(n);
    pen_ = static_cast<uint16_t>(pen);
    CalArea();
    return 1;
}

int CPolyLine::Create(const float* xy, unsigned n, unsigned pen)
{
    if (n > kMaxPoints || (n > 0 && !xy)) return 0;
    points_.resize(n);
    for (unsigned i = 0; i < n; ++i) points_[i] = CPoint(TruncateToInt32(xy[2 * i]), TruncateToInt32(xy[2 * i + 1]));
    pointCount_ = static_cast<uint16_t>(n);
    pen_ = static_cast<uint16_t>(pen);
    CalArea();
    return 1;
}

int CPolyLine::Create(const CArray<float, float>& xy, unsigned short pen, short lineType)
{
    if (!Create(xy.GetData(), static_cast<unsigned>(xy.GetSize() / 2), pen)) return 0;
    lineType_ = lineType;
    return 1;
}

int32_t CPolyLine::MaxX() { return GetArea().xmax; }

CPoint CPolyLine::Point(int i) const
{
    if (i < 0 || i >= pointCount_) return CPoint(0, 0);
    return points_[static_cast<size_t>(i)];
}

const CArea& CPolyLine::GetArea()
{
    if (!box_) CalArea();
    return *box_;
}

bool CPolyLine::IsInArea(const CArea& area) { return GetArea().IsInBox(area) != 0; }

bool CPolyLine::IsIntersect(const CArea& area) { return GetArea().IsIntersect(area) != 0; }

double CPolyLine::PointDistance(const CPoint& a, const CPoint& b)
{
    return std::hypot(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y);
}

int CPolyLine::Append(CPolyLine& other)
{
    if (pointCount_ == 0 || other.pointCount_ == 0 || pen_ != other.pen_ || &other == this) return 0;
    // The joined polyline must still fit its 16-bit count.
    if (uint32_t{pointCount_} + other.pointCount_ - 1 > kMaxPoints) return 0;
    const CPoint end = points_.back();
    if (end == other.points_.front()) {
    } else if (end == other.points_.back()) {
        other.Reverse();
    } else {
        return 0;
    }
    points_.insert(points_.end(), other.points_.begin() + 1, other.points_.end());
    pointCount_ = static_cast<uint16_t>(points_.size());
    RefreshArea();
    return 1;
}

void CPolyLine::Reverse() { std::reverse(points_.begin(), points_.end()); }

int CPolyLine::Start(CPoint& p) const
{
    if (pointCount_ == 0) return -1;
    p = points_.front();
    return 0;
}

int CPolyLine::End(CPoint& p) const
{
    if (pointCount_ == 0) return -1;
    p = points_.back();
    return 0;
}

void CPolyLine::CalArea()
{
    if (!box_) box_ = std::make_unique<CArea>();
    if (points_.empty()) {
        *box_ = CArea(INT32_MAX, INT32_MAX, 0, 0);
        return;
    }
    // The maxima start from the first point, so that a polyline at negative coordinates
    // gets its true box rather than a maximum of 0.
    CArea box(points_[0].x, points_[0].y, points_[0].x, points_[0].y);
    for (const CPoint& p : points_) {
        box.xmin = std::min(box.xmin, p.x);
        box.ymin = std::min(box.ymin, p.y);
        box.xmax = std::max(box.xmax, p.x);
        box.ymax = std::max(box.ymax, p.y);
    }
    *box_ = box;
}

void CPolyLine::RefreshArea()
{
    if (box_) CalArea();
}

void CPolyLine::Move(int32_t dx, int32_t dy)
{
    for (CPoint& p : points_) p = CPoint(Saturate(int64_t{p.x} + dx), Saturate(int64_t{p.y} + dy));
    RefreshArea();
}

void CPolyLine::Scale(float sx, float sy)
{
    for (CPoint& p : points_) p = CPoint(TruncateToInt32(double{sx} * p.x), TruncateToInt32(double{sy} * p.y));
    RefreshArea();
}

void CPolyLine::MoveAndScale(int32_t dx, int32_t dy, float sx, float sy)
{
    for (CPoint& p : points_)
        p = CPoint(TruncateToInt32(double{sx} * (double{1.0} * p.x + dx)), TruncateToInt32(double{sy} * (double{1.0} * p.y + dy)));
    RefreshArea();
}

void CPolyLine::Mirror(const CArea* box)
{
    const int64_t top = box ? box->ymax : 0;
    for (CPoint& p : points_) p.y = Saturate(top - p.y);
    RefreshArea();
}

void CPolyLine::Rotate(int32_t quarterTurns, const CArea* box)
{
    const int64_t xmax = box ? box->xmax : 0;
    const int64_t ymax = box ? box->ymax : 0;
    if (quarterTurns < 1 || quarterTurns > 3) return;
    for (CPoint& p : points_) {
        if (quarterTurns == 1)
            p = CPoint(Saturate(ymax - p.y), p.x);
        else if (quarterTurns == 2)
            p = CPoint(Saturate(xmax - p.x), Saturate(ymax - p.y));
        else
            p = CPoint(p.y, Saturate(xmax - p.x));
    }
    RefreshArea();
}

void CPolyLine::PU(CStringA& out) const
{
    if (points_.empty()) return;
    out += "PU";
    AppendInt(out, points_[0].x);
    out.AppendChar(',');
    AppendInt(out, points_[0].y);
    out.AppendChar(';');
}

void CPolyLine::PD(CStringA& out) const
{
    if (points_.size() < 2) return;
    out += "PD";
    for (size_t i = 1; i < points_.size(); ++i) {
        AppendInt(out, points_[i].x);
        out.AppendChar(',');
        AppendInt(out, points_[i].y);
        out.AppendChar(',');
    }
    out.str().back() = ';';
}

void CPolyLine::OToHPGLCode(CStringA& out, bool withPU) const
{
    if (withPU) PU(out);
    PD(out);
}

CPolyLine* CPolyLine::NewPiece() const
{
    auto* piece = new CPolyLine;
    piece->pen_ = pen_;
    piece->lineType_ = lineType_;
    return piece;
}

void CPolyLine::CutByHLine(int32_t y, CBinaryPolyLineList* below, CBinaryPolyLineList* above, int copy)
{
    CutByLine(false, y, below, above, copy);
}

void CPolyLine::CutByVLine(int32_t x, CBinaryPolyLineList* left, CBinaryPolyLineList* right, int copy)
{
    CutByLine(true, x, left, right, copy);
}

// Walks the points: each crossing of the line ends the piece at the crossing point and
// starts the next there; a point on the line ends a piece when the next point lies on the
// other side. Pieces go to the list of their side.
void CPolyLine::CutByLine(bool vertical, int32_t at, CBinaryPolyLineList* lower, CBinaryPolyLineList* upper, int copy)
{
    if (points_.empty()) return;
    const CArea& box = GetArea();
    const int32_t low = vertical ? box.xmin : box.ymin;
    const int32_t high = vertical ? box.xmax : box.ymax;
    auto deliver = [](CPolyLine* p, CBinaryPolyLineList* list) {
        if (!list || !list->AddTail(p)) delete p;
    };
    if (low >= at || high <= at) {
        CBinaryPolyLineList* target = low >= at ? upper : lower;
        if (copy) {
            if (target) deliver(new CPolyLine(*this), target);
        } else if (target) {
            GoOut();
            deliver(this, target);
        }
        return;
    }
    auto coord = [vertical](const CPoint& p) { return vertical ? p.x : p.y; };
    auto sideOf = [&](const CPoint& p) { return coord(p) > at ? 1 : (coord(p) < at ? -1 : 0); };
    auto finish = [&](std::vector<CPoint>& pts, int side) {
        // A piece of more than kMaxPoints cannot come from a polyline that holds fewer.
        CPolyLine* piece = NewPiece();
        piece->points_ = std::move(pts);
        piece->pointCount_ = static_cast<uint16_t>(piece->points_.size());
        piece->CalArea();
        deliver(piece, side >= 0 ? upper : lower);
        pts.clear();
    };
    std::vector<CPoint> piece{points_[0]};
    int pieceSide = sideOf(points_[0]);
    for (size_t i = 1; i < points_.size(); ++i) {
        const CPoint& p = points_[i - 1];
        const CPoint& q = points_[i];
        int sp = sideOf(p);
        int sq = sideOf(q);
        if (sp != 0 && sq != 0 && sp != sq) {
            // The crossing point, interpolated along the other axis.
            double t = (static_cast<double>(at) - coord(p)) / (static_cast<double>(coord(q)) - coord(p));
            CPoint c = vertical ? CPoint(at, TruncateToInt32(p.y + t * (static_cast<double>(q.y) - p.y)))
                                : CPoint(TruncateToInt32(p.x + t * (static_cast<double>(q.x) - p.x)), at);
            piece.push_back(c);
            finish(piece, sp);
            piece = {c, q};
            pieceSide = sq;
        } else if (sp == 0 && sq != 0 && pieceSide != 0 && sq != pieceSide) {
            finish(piece, pieceSide);
            piece = {p, q};
            pieceSide = sq;
        } else {
            piece.push_back(q);
            if (pieceSide == 0) pieceSide = sq;
        }
    }
    int lastSide = sideOf(points_.back());
    finish(piece, lastSide != 0 ? lastSide : pieceSide);
}

int CPolyLine::CutByArea(const CArea& area, CBinaryPolyLineList& out)
{
    if (points_.empty() || !GetArea().IsIntersect(area)) return 0;
    out.Clear();
    CBinaryPolyLineList work;
    work.OL_List::AddTail(new CPolyLine(*this));
    CBinaryPolyLineList kept;
    work.CutByHLine(area.ymin, nullptr, &kept, 0);
    kept.CutByHLine(area.ymax, &work, nullptr, 0);
    work.CutByVLine(area.xmax, &kept, nullptr, 0);
    kept.CutByVLine(area.xmin, nullptr, &out, 0);
    return out.Count();
}
