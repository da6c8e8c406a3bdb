// LoopScanIndex: segment buckets by x, and the crossings of a vertical line from them.
//
// The walk of PlotShape::CalIntersect keeps the side (left of x or not) of the last point off
// the line and adds a crossing at every point off the line on the other side, from the segment
// that ends there. Such a segment's closed x range holds x, and between two segments whose
// range holds x every point stays on one side: the side before a candidate segment is that of
// its start, or, when the start lies on the line, that of the last point off the line before
// it. So the walk over the candidates alone adds the same crossings.
#include "plotmodel/loop_scan_index.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

float SegmentMin(const float* p, int32_t k) { return std::min(p[2 * k - 2], p[2 * k]); }
float SegmentMax(const float* p, int32_t k) { return std::max(p[2 * k - 2], p[2 * k]); }

}  // namespace

LoopScanIndex::LoopScanIndex(const PlotShape& loop) : loop_(loop)
{
    for (int pl = 0; pl < loop.GetPlNum(); ++pl) {
        Polyline line;
        line.pts = loop.GetPl(pl, line.n);
        if (!line.pts || line.n <= 0) continue;
        float lo = line.pts[0], hi = line.pts[0];
        bool finite = true;
        double travel = 0.0;  // the sum of the segments' x extents
        for (int32_t i = 0; i < line.n; ++i) {
            lo = std::min(lo, line.pts[2 * i]);
            hi = std::max(hi, line.pts[2 * i]);
            finite = finite && std::isfinite(line.pts[2 * i]);
            if (i > 0) travel += std::fabs(static_cast<double>(line.pts[2 * i]) - line.pts[2 * i - 2]);
        }
        // Buckets as wide as a segment's mean x extent (and no more than one per point): each
        // segment is filed about twice, and a bucket holds about as many segments as a
        // vertical line crosses.
        const double extent = static_cast<double>(hi) - lo;
        const double width = std::max(extent / line.n, travel / line.n);
        size_t buckets = 1;
        if (finite && extent > 0 && width > 0)
            buckets = std::clamp<size_t>(static_cast<size_t>(extent / width), 1, static_cast<size_t>(line.n));
        line.buckets = buckets;
        line.walk = !finite;
        line.x0 = lo;
        line.width = finite && extent > 0 ? static_cast<float>(extent / static_cast<double>(buckets)) : 1.0f;
        if (!(line.width > 0)) line.width = 1.0f;
        line.perUnit = 1.0 / line.width;
        std::vector<uint32_t> count(buckets + 1, 0);
        std::vector<std::pair<uint32_t, uint32_t>> spans(static_cast<size_t>(line.n));
        for (int32_t k = 1; k < line.n; ++k) {
            auto& span = spans[static_cast<size_t>(k)];
            span = {static_cast<uint32_t>(Bucket(line, SegmentMin(line.pts, k))),
                    static_cast<uint32_t>(Bucket(line, SegmentMax(line.pts, k)))};
            for (uint32_t b = span.first; b <= span.second; ++b) ++count[b + 1];
        }
        for (size_t b = 1; b < count.size(); ++b) count[b] += count[b - 1];
        line.bucketStart = count;
        line.ends.resize(count.back());
        for (int32_t k = 1; k < line.n; ++k)
            for (uint32_t b = spans[static_cast<size_t>(k)].first; b <= spans[static_cast<size_t>(k)].second; ++b)
                line.ends[count[b]++] = k;
        polylines_.push_back(std::move(line));
    }
}

size_t LoopScanIndex::Bucket(const Polyline& pl, float x) const
{
    const size_t last = pl.buckets - 1;
    // Any order-keeping map of x to buckets files every segment in the bucket of each x its
    // range holds, which is all the look-ups need.
    const double b = (static_cast<double>(x) - pl.x0) * pl.perUnit;
    if (!(b > 0)) return 0;
    return b >= static_cast<double>(last) ? last : static_cast<size_t>(b);
}

int LoopScanIndex::CalIntersect(float x, CArray<float>& ys) const
{
    const int count = CalCrossings(x, ys);
    if (count > 0) std::sort(ys.begin(), ys.end());
    return count;
}

int LoopScanIndex::CalCrossings(float x, CArray<float>& ys) const
{
    const CArea& box = loop_.GetArea();
    if (loop_.GetTolPtNum() <= 0 || x < box.xmin || x > box.xmax) return -1;
    ys.RemoveAll();
    for (const Polyline& pl : polylines_) Crossings(pl, x, ys);
    return ys.GetSize();
}

void LoopScanIndex::Crossings(const Polyline& pl, float x, CArray<float>& ys) const
{
    const float* pts = pl.pts;
    const int32_t n = pl.n;
    int32_t firstOff = 0;
    while (firstOff < n && pts[2 * firstOff] == x) ++firstOff;
    if (firstOff >= n) return;
    const bool firstLeft = pts[2 * firstOff] < x;
    if (pl.walk) {
        PlotShape::CalIntersect(pts, n, x, ys);
        return;
    }
    // The segments whose x range holds x, ascending; none of them has its end at or before
    // firstOff counted, as the walk starts after it.
    const size_t b = Bucket(pl, x);
    for (uint32_t j = pl.bucketStart[b]; j < pl.bucketStart[b + 1]; ++j) {
        const int32_t k = pl.ends[j];
        if (!(k > firstOff && SegmentMin(pts, k) <= x && x <= SegmentMax(pts, k))) continue;
        const float xk = pts[2 * k];
        const float xs = pts[2 * k - 2];
        bool left;
        if (xs != x) {
            left = xs < x;
        } else {
            int32_t back = k - 2;
            while (back > firstOff && pts[2 * back] == x) --back;
            left = pts[2 * back] < x;
        }
        if (xk == x || (xk < x) == left) continue;
        const float y0 = pts[2 * k - 1], y1 = pts[2 * k + 1];
        ys.Add(y0 + (y1 - y0) * (x - xs) / (xk - xs));
    }
    int32_t lastOff = n - 1;
    while (pts[2 * lastOff] == x) --lastOff;
    const bool endLeft = pts[2 * lastOff] < x;
    if (firstOff > 0 && endLeft != firstLeft) ys.Add(pts[2 * firstOff - 1]);
}
