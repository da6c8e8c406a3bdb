// PlotChar: glyph polylines, their buffers, box and transforms.
#include "fonts/plot_char.h"

#include "plotmodel/plot_units.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

// Sizes beyond this many points or polylines are refused, so that byte counts stay far
// inside what size_t and int32 can hold.
constexpr int32_t kMaxBufferItems = 1 << 26;

// Adds a truncated offset to a box side within 32 bits.
int32_t Shifted(int32_t side, int32_t offset)
{
    return TruncateToInt32(static_cast<double>(side) + static_cast<double>(offset));
}

}  // namespace

PlotChar::PlotChar() = default;

PlotChar::PlotChar(HpglExplainer*) {}

PlotChar::PlotChar(const PlotChar& other) : code_(other.code_)
{
    Append(other);
    box_ = other.box_;
}

PlotChar& PlotChar::operator=(const PlotChar& other)
{
    if (this == &other) return *this;
    FreeBuffers();
    Append(other);
    box_ = other.box_;
    return *this;
}

PlotChar::~PlotChar() { FreeBuffers(); }

void PlotChar::FreeBuffers()
{
    std::free(plLengths_);
    std::free(points_);
    plLengths_ = nullptr;
    points_ = nullptr;
    plCount_ = plCapacity_ = ptCount_ = ptCapacity_ = 0;
}

int PlotChar::CheckPlBuf(int32_t n)
{
    if (n <= 0 || n > kMaxBufferItems - plCount_ - PlBufferGrowth) return 0;
    int32_t needed = plCount_ + n;
    if (needed < plCapacity_) return 1;
    int32_t capacity = needed + PlBufferGrowth;
    auto* grown = static_cast<int32_t*>(std::realloc(plLengths_, sizeof(int32_t) * static_cast<size_t>(capacity)));
    if (!grown) return 0;  // the old buffer stays; the caller drops what it wanted to add
    std::memset(grown + plCapacity_, 0, sizeof(int32_t) * static_cast<size_t>(capacity - plCapacity_));
    plLengths_ = grown;
    plCapacity_ = capacity;
    return 1;
}

int PlotChar::CheckPtBuf(int32_t n)
{
    if (n <= 0 || n > kMaxBufferItems - ptCount_ - PointBufferGrowth) return 0;
    int32_t needed = ptCount_ + n;
    if (needed < ptCapacity_) return 1;
    int32_t capacity = needed + PointBufferGrowth;
    auto* grown = static_cast<float*>(std::realloc(points_, 2 * sizeof(float) * static_cast<size_t>(capacity)));
    if (!grown) return 0;
    points_ = grown;
    ptCapacity_ = capacity;
    return 1;
}

void PlotChar::AddPointAtLastPl(float x, float y)
{
    if (plCount_ == 0) {
        if (!CheckPlBuf(1)) return;
        plLengths_[plCount_++] = 0;
    }
    if (!CheckPtBuf(1)) return;
    points_[2 * ptCount_] = x;
    points_[2 * ptCount_ + 1] = y;
    ++ptCount_;
    ++plLengths_[plCount_ - 1];
}

void PlotChar::AddPoint(float x, float y, int newPolyline)
{
    if (newPolyline) {
        // A polyline is only started when its point can be stored too, so that no
        // polyline is ever left without points.
        if (!CheckPlBuf(1) || !CheckPtBuf(1)) return;
        plLengths_[plCount_++] = 0;
    }
    AddPointAtLastPl(x, y);
}

void PlotChar::Append(const PlotChar& other)
{
    if (other.plCount_ == 0 || other.ptCount_ == 0) return;
    if (!CheckPlBuf(other.plCount_) || !CheckPtBuf(other.ptCount_)) return;
    std::memcpy(plLengths_ + plCount_, other.plLengths_, sizeof(int32_t) * static_cast<size_t>(other.plCount_));
    std::memcpy(points_ + 2 * ptCount_, other.points_, 2 * sizeof(float) * static_cast<size_t>(other.ptCount_));
    plCount_ += other.plCount_;
    ptCount_ += other.ptCount_;
}

const float* PlotChar::GetPl(int n, int32_t& count) const
{
    count = 0;
    if (n < 0 || n >= plCount_) return nullptr;
    int32_t first = 0;
    for (int i = 0; i < n; ++i) first += plLengths_[i];
    count = plLengths_[n];
    return points_ + 2 * first;
}

float* PlotChar::GetPl(int n, int32_t& count)
{
    return const_cast<float*>(std::as_const(*this).GetPl(n, count));
}

int PlotChar::GetStartPt(float& x, float& y) const
{
    if (ptCount_ == 0) return 0;
    x = points_[0];
    y = points_[1];
    return 1;
}

int PlotChar::GetLastPt(float& x, float& y) const
{
    if (ptCount_ == 0) return 0;
    x = points_[2 * ptCount_ - 2];
    y = points_[2 * ptCount_ - 1];
    return 1;
}

const ShxBox& PlotChar::CalArea()
{
    box_.Initialize();
    for (int32_t i = 0; i < ptCount_; ++i)
        box_.MergePoint(TruncateToInt32(points_[2 * i]), TruncateToInt32(points_[2 * i + 1]));
    return box_;
}

void PlotChar::Move(float dx, float dy)
{
    for (int32_t i = 0; i < ptCount_; ++i) {
        points_[2 * i] += dx;
        points_[2 * i + 1] += dy;
    }
    // An empty box stays empty: shifting its extreme sides would overflow and make it a
    // box of nothing that looks like a real one.
    if (!box_.IsValid()) return;
    int32_t ix = TruncateToInt32(dx);
    int32_t iy = TruncateToInt32(dy);
    box_.xmin = Shifted(box_.xmin, ix);
    box_.xmax = Shifted(box_.xmax, ix);
    box_.ymin = Shifted(box_.ymin, iy);
    box_.ymax = Shifted(box_.ymax, iy);
}

void PlotChar::Scale(float sx, float sy)
{
    for (int32_t i = 0; i < ptCount_; ++i) {
        points_[2 * i] *= sx;
        points_[2 * i + 1] *= sy;
    }
    CalArea();
}

void PlotChar::Rotate(float cx, float cy, float c, float s)
{
    // A direction of zero length (or not a number) names no angle: the glyph is left as it
    // is rather than filled with NaN.
    double len = std::sqrt(static_cast<double>(c) * c + static_cast<double>(s) * s);
    if (!(len > 0.0) || !std::isfinite(len)) return;
    double cosA = c / len;
    double sinA = s / len;
    for (int32_t i = 0; i < ptCount_; ++i) {
        double x = points_[2 * i] - cx;
        double y = points_[2 * i + 1] - cy;
        points_[2 * i] = static_cast<float>(cx + x * cosA - y * sinA);
        points_[2 * i + 1] = static_cast<float>(cy + x * sinA + y * cosA);
    }
    CalArea();
}

void PlotChar::Reverse()
{
    for (int32_t i = 0, j = ptCount_ - 1; i < j; ++i, --j) {
        std::swap(points_[2 * i], points_[2 * j]);
        std::swap(points_[2 * i + 1], points_[2 * j + 1]);
    }
    for (int32_t i = 0, j = plCount_ - 1; i < j; ++i, --j) std::swap(plLengths_[i], plLengths_[j]);
}

void PlotChar::AddAtLast(PlotChar& other)
{
    if (plCount_ != 1 || other.plCount_ != 1 || &other == this) return;
    int32_t added = other.ptCount_ - 1;
    if (added > 0) {
        if (!CheckPtBuf(added)) return;
        std::memcpy(points_ + 2 * ptCount_, other.points_ + 2, 2 * sizeof(float) * static_cast<size_t>(added));
        ptCount_ += added;
        plLengths_[0] += added;
    }
    box_.Merge(other.box_);
}

void PlotChar::AddAtStart(PlotChar& other)
{
    if (plCount_ != 1 || other.plCount_ != 1 || &other == this) return;
    int32_t added = other.ptCount_ - 1;
    if (added > 0) {
        if (!CheckPtBuf(added)) return;
        std::memmove(points_ + 2 * added, points_, 2 * sizeof(float) * static_cast<size_t>(ptCount_));
        std::memcpy(points_, other.points_, 2 * sizeof(float) * static_cast<size_t>(added));
        ptCount_ += added;
        plLengths_[0] += added;
    }
    box_.Merge(other.box_);
    other.FreeBuffers();
    other.box_.Initialize();
}

void PlotChar::FreeUsedSpace()
{
    if (ptCount_ == 0 && plCount_ == 0) {
        FreeBuffers();
        return;
    }
    // Shrinking keeps the data; a failed shrink keeps the larger buffer, which is harmless.
    if (plCount_ < plCapacity_) {
        if (auto* p = static_cast<int32_t*>(std::realloc(plLengths_, sizeof(int32_t) * static_cast<size_t>(plCount_)))) {
            plLengths_ = p;
            plCapacity_ = plCount_;
        }
    }
    if (ptCount_ > 0 && ptCount_ < ptCapacity_) {
        if (auto* p = static_cast<float*>(std::realloc(points_, 2 * sizeof(float) * static_cast<size_t>(ptCount_)))) {
            points_ = p;
            ptCapacity_ = ptCount_;
        }
    }
}
