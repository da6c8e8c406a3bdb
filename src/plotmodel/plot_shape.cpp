// PlotShape storage, attributes, copying, point access, measures, transforms and HPGL text.
#include "plotmodel/plot_shape.h"

#include "plotmodel/plot_units.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <new>

namespace {

// The library-wide joining tolerance, in plotter units.
float g_joinTolerance = 5.0f;

bool WithinBoth(double ax, double ay, double bx, double by, double tolerance)
{
    return std::fabs(ax - bx) <= tolerance && std::fabs(ay - by) <= tolerance;
}

}  // namespace

PlotShape::PlotShape() = default;

PlotShape::~PlotShape() = default;

PlotShape& PlotShape::operator=(const PlotShape& other)
{
    if (&other == this) return *this;
    Destroy();
    lineType_ = other.lineType_;
    penIndex_ = other.penIndex_;
    floatValue_ = other.floatValue_;
    recIndex_ = other.recIndex_;
    mauIndex_ = other.mauIndex_;
    patternIndex_ = other.patternIndex_;
    area_ = other.area_;
    // A copy holds what it copies and no growth room: jobs are copied whole.
    ReserveExactly(other.plNum_, other.ptNum_);
    Append(&other);
    return *this;
}

PlotShape* PlotShape::NewCopy() const
{
    auto* copy = new PlotShape;
    *copy = *this;
    return copy;
}

void PlotShape::CopyAttrib(const PlotShape& source)
{
    lineType_ = source.lineType_;
    penIndex_ = source.penIndex_;
    recIndex_ = source.recIndex_;
    mauIndex_ = source.mauIndex_;
    patternIndex_ = source.patternIndex_;
    floatValue_ = static_cast<float>(source.penIndex_);
}

void PlotShape::Destroy()
{
    plPtNum_.Release();
    zLen_.reset();
    pts_.Release();
    plNum_ = 0;
    ptNum_ = 0;
    floatValue_ = 1.0f;
    lineType_ = 0;
    penIndex_ = 0;
    recIndex_ = kDefaultRecIndex;
    mauIndex_ = kDefaultMauIndex;
}

void PlotShape::ClearPoints()
{
    zLen_.reset();
    plNum_ = 0;
    ptNum_ = 0;
}

void PlotShape::ClearKeepingStorage()
{
    ClearPoints();
    floatValue_ = 1.0f;
    lineType_ = 0;
    penIndex_ = 0;
    recIndex_ = kDefaultRecIndex;
    mauIndex_ = kDefaultMauIndex;
    patternIndex_ = 0;
    area_ = CArea();
}

float PlotShape::GetError() { return g_joinTolerance; }

void PlotShape::SetError(float e) { g_joinTolerance = std::fabs(e); }

// ---- building ----

int PlotShape::CheckPlBuf(int n)
{
    if (n <= 0) return 0;
    // Grows (with a growth step) only when the buffer cannot hold what is needed, so a shape
    // reserved exactly stays at its size.
    int64_t needed = static_cast<int64_t>(plNum_) + n;
    if (needed > static_cast<int64_t>(plPtNum_.size())) {
        int64_t capacity = needed + kPlGrowth;
        if (capacity > INT32_MAX) return 0;
        try {
            plPtNum_.resize(static_cast<size_t>(capacity), 0);
        } catch (const std::bad_alloc&) {
            return 0;
        }
    }
    return 1;
}

int PlotShape::CheckPtBuf(int n)
{
    if (n <= 0) return 0;
    int64_t needed = static_cast<int64_t>(ptNum_) + n;
    if (needed * 2 > static_cast<int64_t>(pts_.size())) {
        int64_t capacity = needed + kPtGrowth;
        if (capacity > INT32_MAX / 2) return 0;
        try {
            pts_.resize(static_cast<size_t>(capacity) * 2);
        } catch (const std::bad_alloc&) {
            return 0;
        }
    }
    return 1;
}

int PlotShape::ReserveExactly(int polylines, int points)
{
    if (polylines < 0 || points < 0) return 0;
    const int64_t pls = int64_t{plNum_} + polylines;
    const int64_t pts = int64_t{ptNum_} + points;
    if (pls > INT32_MAX || pts > INT32_MAX / 2) return 0;
    try {
        if (pls > static_cast<int64_t>(plPtNum_.size())) {
            plPtNum_.reserve(static_cast<size_t>(pls));
            plPtNum_.resize(static_cast<size_t>(pls), 0);
        }
        if (2 * pts > static_cast<int64_t>(pts_.size())) {
            pts_.reserve(2 * static_cast<size_t>(pts));
            pts_.resize(2 * static_cast<size_t>(pts));
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return 1;
}

void PlotShape::AddPointAtLastPl(float x, float y)
{
    // The buffers grow only when they are full; a failed allocation drops the point rather
    // than writing past them.
    if (plNum_ == 0) {
        if (plPtNum_.empty() && !CheckPlBuf(1)) return;
        plPtNum_[0] = 0;
        plNum_ = 1;
    }
    if (2 * static_cast<size_t>(ptNum_) + 2 > pts_.size() && !CheckPtBuf(1)) return;
    pts_[2 * static_cast<size_t>(ptNum_)] = x;
    pts_[2 * static_cast<size_t>(ptNum_) + 1] = y;
    ++ptNum_;
    ++plPtNum_[static_cast<size_t>(plNum_) - 1];
}

void PlotShape::AddPoint(float x, float y, int newPolyline)
{
    if (newPolyline) {
        if (static_cast<size_t>(plNum_) + 1 > plPtNum_.size() && !CheckPlBuf(1)) return;
        plPtNum_[static_cast<size_t>(plNum_)] = 0;
        ++plNum_;
    }
    AddPointAtLastPl(x, y);
}

void PlotShape::AppendPointsToLastPl(const float* pts, int32_t n)
{
    if (n <= 0 || plNum_ <= 0 || !CheckPtBuf(n)) return;
    std::copy(pts, pts + 2 * static_cast<size_t>(n), pts_.begin() + 2 * static_cast<ptrdiff_t>(ptNum_));
    ptNum_ += n;
    plPtNum_[static_cast<size_t>(plNum_) - 1] += n;
}

void PlotShape::Append(const PlotShape* other)
{
    if (!other || other->plNum_ <= 0) return;
    if (other == this) {
        // Appending a shape to itself reads from a copy, as the buffers may move.
        PlotShape copy;
        copy.Append(this);
        Append(&copy);
        return;
    }
    if (!CheckPlBuf(other->plNum_)) return;
    if (other->ptNum_ > 0 && !CheckPtBuf(other->ptNum_)) return;
    std::copy(other->plPtNum_.begin(), other->plPtNum_.begin() + other->plNum_, plPtNum_.begin() + plNum_);
    std::copy(other->pts_.begin(), other->pts_.begin() + 2 * static_cast<ptrdiff_t>(other->ptNum_),
              pts_.begin() + 2 * static_cast<ptrdiff_t>(ptNum_));
    plNum_ += other->plNum_;
    ptNum_ += other->ptNum_;
}

int PlotShape::AddAtLast(PlotShape& s)
{
    // Joining needs a sub-polyline here to continue; without one the join is refused
    // instead of counting points into a polyline that does not exist.
    if (s.plNum_ != 1 || plNum_ <= 0) return 0;
    area_.Merge(s.area_);
    if (s.ptNum_ <= 1) return 1;
    std::vector<float> tail(s.pts_.begin() + 2, s.pts_.begin() + 2 * static_cast<ptrdiff_t>(s.ptNum_));
    AppendPointsToLastPl(tail.data(), s.ptNum_ - 1);
    return 1;
}

int PlotShape::AddAtStart(PlotShape& s)
{
    if (s.plNum_ != 1 || plNum_ <= 0) return 0;
    area_.Merge(s.area_);
    int32_t n = s.ptNum_ - 1;
    if (n <= 0) return 1;
    std::vector<float> head(s.pts_.begin(), s.pts_.begin() + 2 * static_cast<ptrdiff_t>(n));
    if (!CheckPtBuf(n)) return 0;
    std::copy_backward(pts_.begin(), pts_.begin() + 2 * static_cast<ptrdiff_t>(ptNum_),
                       pts_.begin() + 2 * static_cast<ptrdiff_t>(ptNum_ + n));
    std::copy(head.begin(), head.end(), pts_.begin());
    ptNum_ += n;
    plPtNum_[0] += n;
    return 1;
}

int PlotShape::Connect(PlotShape& s) { return ConnectWithin(s, GetError()); }

int PlotShape::ConnectWithin(PlotShape& s, double tol)
{
    // Only a join that can be made counts: both shapes need points, and s one sub-polyline.
    if (plNum_ <= 0 || ptNum_ <= 0 || s.plNum_ != 1 || s.ptNum_ <= 0 || &s == this) return 0;
    CFloatPoint first = Start(), last = End(), sFirst = s.Start(), sLast = s.End();
    if (WithinBoth(last.x, last.y, sFirst.x, sFirst.y, tol)) return AddAtLast(s);
    if (WithinBoth(last.x, last.y, sLast.x, sLast.y, tol)) {
        s.Reverse();
        return AddAtLast(s);
    }
    if (WithinBoth(first.x, first.y, sFirst.x, sFirst.y, tol)) {
        s.Reverse();
        return AddAtStart(s);
    }
    if (WithinBoth(first.x, first.y, sLast.x, sLast.y, tol)) return AddAtStart(s);
    return 0;
}

void PlotShape::FreeUsedSpace()
{
    plPtNum_.resize(static_cast<size_t>(plNum_));
    plPtNum_.shrink_to_fit();
    pts_.resize(2 * static_cast<size_t>(ptNum_));
    pts_.shrink_to_fit();
}

void PlotShape::AllocZLen()
{
    const int32_t entries = std::max(plNum_, 1);
    zLen_ = std::make_unique<int32_t[]>(static_cast<size_t>(entries) + 1);
    zLen_[0] = entries;
}

// ---- access ----

float* PlotShape::GetPl(int n, int32_t& count)
{
    const float* p = static_cast<const PlotShape*>(this)->GetPl(n, count);
    return const_cast<float*>(p);
}

const float* PlotShape::GetPl(int n, int32_t& count) const
{
    if (n < 0 || n >= plNum_) {
        count = 0;
        return nullptr;
    }
    size_t offset = 0;
    for (int i = 0; i < n; ++i) offset += static_cast<size_t>(plPtNum_[static_cast<size_t>(i)]);
    count = plPtNum_[static_cast<size_t>(n)];
    return pts_.data() + 2 * offset;
}

CFloatPoint PlotShape::Point(int i) const
{
    if (i < 0 || i >= ptNum_) return {0.0, 0.0};
    return {pts_[2 * static_cast<size_t>(i)], pts_[2 * static_cast<size_t>(i) + 1]};
}

CPoint PlotShape::ToCPoint(int i) const
{
    if (i < 0 || i >= ptNum_) return {0, 0};
    return {TruncateToInt32(pts_[2 * static_cast<size_t>(i)]), TruncateToInt32(pts_[2 * static_cast<size_t>(i) + 1])};
}

int PlotShape::GetStartPt(CFloatPoint& p) const
{
    if (ptNum_ <= 0) return 0;
    p = Start();
    return 1;
}

int PlotShape::GetLastPt(CFloatPoint& p) const
{
    if (ptNum_ <= 0) return 0;
    p = End();
    return 1;
}

int PlotShape::IsEndPt(const CFloatPoint& p) const
{
    if (ptNum_ <= 0) return -1;
    if (Start() == p) return 0;
    if (End() == p) return 1;
    return -1;
}

int PlotShape::IsEndPoint(const CFloatPoint& p) const
{
    if (ptNum_ <= 0) return -1;
    double e = GetError();
    CFloatPoint first = Start(), last = End();
    if (WithinBoth(first.x, first.y, p.x, p.y, e)) return 0;
    if (WithinBoth(last.x, last.y, p.x, p.y, e)) return 1;
    return -1;
}

int PlotShape::IsClose() const
{
    if (ptNum_ <= 2) return 0;
    CFloatPoint first = Start(), last = End();
    return WithinBoth(first.x, first.y, last.x, last.y, GetError()) ? 1 : 0;
}

CArea PlotShape::CalArea()
{
    area_.MakeInvalid();
    for (int32_t i = 0; i < ptNum_; ++i) {
        int32_t x = TruncateToInt32(pts_[2 * static_cast<size_t>(i)]);
        int32_t y = TruncateToInt32(pts_[2 * static_cast<size_t>(i) + 1]);
        area_.xmin = std::min(area_.xmin, x);
        area_.xmax = std::max(area_.xmax, x);
        area_.ymin = std::min(area_.ymin, y);
        area_.ymax = std::max(area_.ymax, y);
    }
    return area_;
}

float PlotShape::CalLength() const
{
    float length = 0.0f;
    ForEachPl([&](const float* p, int32_t n, int32_t) {
        for (int32_t k = 1; k < n; ++k) {
            float dx = p[2 * k] - p[2 * k - 2], dy = p[2 * k + 1] - p[2 * k - 1];
            length += std::sqrt(dx * dx + dy * dy);
        }
    });
    return length;
}

int PlotShape::IsRect() const
{
    if (ptNum_ < 5) return 0;
    enum Direction { kNone, kHorizontal, kVertical, kSlanted };
    int32_t i = 1;
    while (i < ptNum_ && pts_[2 * static_cast<size_t>(i)] == pts_[0] && pts_[2 * static_cast<size_t>(i) + 1] == pts_[1]) ++i;
    int runs = 0;
    Direction current = kNone;
    for (; i < ptNum_; ++i) {
        float dx = pts_[2 * static_cast<size_t>(i)] - pts_[2 * static_cast<size_t>(i) - 2];
        float dy = pts_[2 * static_cast<size_t>(i) + 1] - pts_[2 * static_cast<size_t>(i) - 1];
        if (dx == 0.0f && dy == 0.0f) continue;
        Direction d = dy == 0.0f ? kHorizontal : (dx == 0.0f ? kVertical : kSlanted);
        if (d == current) continue;
        if (runs == 4) return 1;  // the fourth run has ended: what follows is not examined
        if (d == kSlanted) return 0;
        current = d;
        ++runs;
    }
    return runs == 4 ? 1 : 0;
}

int PlotShape::IsIntersectWithBox(const OL_Box& b) const
{
    if (!OL_Box(area_).IsIntersectWith(b)) return 0;
    int hit = 0;
    ForEachPl([&](const float* p, int32_t n, int32_t) {
        for (int32_t k = 1; k < n && !hit; ++k)
            hit = b.IsIntersectWith(CFloatPoint(p[2 * k - 2], p[2 * k - 1]), CFloatPoint(p[2 * k], p[2 * k + 1]));
    });
    return hit;
}

int PlotShape::CalInterset_Lowest(float x, float& y) const
{
    if (ptNum_ <= 0 || x < area_.xmin || x > area_.xmax) return -1;
    float lowest = static_cast<float>(area_.ymax) + 1.0f;
    int direction = -1;
    ForEachPl([&](const float* p, int32_t n, int32_t) {
        int32_t firstOff = 0;
        while (firstOff < n && p[2 * firstOff] == x) ++firstOff;
        int32_t lastOff = -1;  // the last point before k that lies off the line
        for (int32_t k = 0; k < n; ++k) {
            float xk = p[2 * k], yk = p[2 * k + 1];
            if (xk == x && yk < lowest) {
                lowest = yk;
                if (lastOff < 0)
                    direction = firstOff < n && p[2 * firstOff] < x ? 1 : 0;  // leaves the line
                else
                    direction = p[2 * lastOff] < x ? 0 : 1;  // arrives from that side
            }
            if (xk != x) lastOff = k;
            if (k + 1 < n) {
                float x1 = p[2 * k + 2], y1 = p[2 * k + 3];
                if ((xk < x && x1 > x) || (xk > x && x1 < x)) {
                    float cy = yk + (y1 - yk) * (x - xk) / (x1 - xk);
                    if (cy < lowest) {
                        lowest = cy;
                        direction = x1 > xk ? 0 : 1;
                    }
                }
            }
        }
    });
    if (direction >= 0) y = lowest;
    return direction;
}

// ---- transforms ----

void PlotShape::Move(float dx, float dy)
{
    for (int32_t i = 0; i < ptNum_; ++i) {
        pts_[2 * static_cast<size_t>(i)] += dx;
        pts_[2 * static_cast<size_t>(i) + 1] += dy;
    }
    // An invalid box (a shape without points) stays invalid instead of overflowing.
    if (area_.IsInvalid()) return;
    int32_t ix = TruncateToInt32(dx), iy = TruncateToInt32(dy);
    area_.xmin = TruncateToInt32(static_cast<double>(area_.xmin) + ix);
    area_.xmax = TruncateToInt32(static_cast<double>(area_.xmax) + ix);
    area_.ymin = TruncateToInt32(static_cast<double>(area_.ymin) + iy);
    area_.ymax = TruncateToInt32(static_cast<double>(area_.ymax) + iy);
}

void PlotShape::Scale(float sx, float sy)
{
    for (int32_t i = 0; i < ptNum_; ++i) {
        pts_[2 * static_cast<size_t>(i)] *= sx;
        pts_[2 * static_cast<size_t>(i) + 1] *= sy;
    }
}

void PlotShape::Rotate(float cx, float cy, float dx, float dy)
{
    // A zero or non-finite direction names no rotation: the points are left as they are
    // rather than made NaN; the bounds are recomputed all the same.
    double length = std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
    if (!(length > 0.0) || !std::isfinite(length)) {
        CalArea();
        return;
    }
    double c = dx / length, s = dy / length;
    for (int32_t i = 0; i < ptNum_; ++i) {
        double x = pts_[2 * static_cast<size_t>(i)] - cx, y = pts_[2 * static_cast<size_t>(i) + 1] - cy;
        pts_[2 * static_cast<size_t>(i)] = static_cast<float>(cx + x * c - y * s);
        pts_[2 * static_cast<size_t>(i) + 1] = static_cast<float>(cy + x * s + y * c);
    }
    CalArea();
}

void PlotShape::Rotate(int32_t quarter, const CArea* box)
{
    if (quarter < 1 || quarter > 3) return;
    float xmax = box ? static_cast<float>(box->xmax) : 0.0f;
    float ymax = box ? static_cast<float>(box->ymax) : 0.0f;
    for (int32_t i = 0; i < ptNum_; ++i) {
        float& px = pts_[2 * static_cast<size_t>(i)];
        float& py = pts_[2 * static_cast<size_t>(i) + 1];
        float x = px, y = py;
        if (quarter == 1) {
            px = ymax - y;
            py = x;
        } else if (quarter == 2) {
            px = xmax - x;
            py = ymax - y;
        } else {
            px = y;
            py = xmax - x;
        }
    }
}

void PlotShape::Mirror(const CArea* box)
{
    float ymax = box ? static_cast<float>(box->ymax) : 0.0f;
    for (int32_t i = 0; i < ptNum_; ++i) pts_[2 * static_cast<size_t>(i) + 1] = ymax - pts_[2 * static_cast<size_t>(i) + 1];
}

void PlotShape::MirrorByX(int32_t x0)
{
    for (int32_t i = 0; i < ptNum_; ++i)
        pts_[2 * static_cast<size_t>(i)] = static_cast<float>(x0) - pts_[2 * static_cast<size_t>(i)];
}

void PlotShape::Stretchx(float k)
{
    for (int32_t i = 0; i < ptNum_; ++i) pts_[2 * static_cast<size_t>(i)] += k * pts_[2 * static_cast<size_t>(i) + 1];
}

void PlotShape::Stretchy(float k)
{
    for (int32_t i = 0; i < ptNum_; ++i) pts_[2 * static_cast<size_t>(i) + 1] += k * pts_[2 * static_cast<size_t>(i)];
}

void PlotShape::Reverse()
{
    for (int32_t a = 0, b = ptNum_ - 1; a < b; ++a, --b) {
        std::swap(pts_[2 * static_cast<size_t>(a)], pts_[2 * static_cast<size_t>(b)]);
        std::swap(pts_[2 * static_cast<size_t>(a) + 1], pts_[2 * static_cast<size_t>(b) + 1]);
    }
    std::reverse(plPtNum_.begin(), plPtNum_.begin() + plNum_);
}

// ---- HPGL text ----

namespace {

// Appends v in its shortest fixed form that reads back (as a double narrowed to float, as the
// HPGL reader does) to v itself: an integral value without decimals, "0" for either zero.
// Where the shortest float digits would read back one float away, the double's digits are
// written instead.
void AppendShortest(CStringA& out, float v)
{
    char buffer[64];
    if (v == 0.0f) v = 0.0f;
    auto written = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed);
    double back = 0.0;
    const auto read = std::from_chars(buffer, written.ptr, back, std::chars_format::fixed);
    if (std::isfinite(v) && (read.ec != std::errc() || static_cast<float>(back) != v))
        written = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(v), std::chars_format::fixed);
    out.Append(buffer, static_cast<int>(written.ptr - buffer));
}

}  // namespace

void PlotShape::WritePlt(CStringA& out, bool asFloat) const
{
    ForEachPl([&](const float* p, int32_t n, int32_t) {
        if (n <= 0) return;
        if (asFloat) {
            out += "PU";
            AppendShortest(out, p[0]);
            out += ',';
            AppendShortest(out, p[1]);
            out += ";PD";
        } else {
            out.AppendFormat("PU%d,%d;PD", TruncateToInt32(p[0]), TruncateToInt32(p[1]));
        }
        for (int32_t k = 1; k < n; ++k) {
            if (asFloat) {
                AppendShortest(out, p[2 * k]);
                out += ',';
                AppendShortest(out, p[2 * k + 1]);
                out += ',';
            } else {
                out.AppendFormat("%d,%d,", TruncateToInt32(p[2 * k]), TruncateToInt32(p[2 * k + 1]));
            }
        }
        if (n > 1)
            out.SetAt(out.GetLength() - 1, ';');
        else
            out += ';';
    });
}

void PlotShape::ToPltString(CStringA& out) const { WritePlt(out, false); }

void PlotShape::ToPltStringFloat(CStringA& out) const { WritePlt(out, true); }
