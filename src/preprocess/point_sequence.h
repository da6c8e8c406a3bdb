// Small helpers of the preprocessing passes: safe unit vectors and point arrays without repeats.
#pragma once

#include "geometry/float_point.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace preprocess {

// Machine values (offsets, over-cuts) that are negative or not finite act as 0.
inline float NonNegative(float v) { return std::isfinite(v) && v > 0.0f ? v : 0.0f; }

// The unit vector of v; fallback when v has no finite, non-zero length.
inline CFloatPoint Unit(const CFloatPoint& v, const CFloatPoint& fallback)
{
    double len = v.Length();
    if (!(len > 0.0) || !std::isfinite(len)) return fallback;
    return CFloatPoint(v.x / len, v.y / len);
}

// Replaces out by the n (x, y) pairs of pts with every point equal to its predecessor passed
// over: a zero segment has no direction to offset or turn along. out keeps its storage, so
// that a caller walking many polylines reuses one array.
inline void DistinctPoints(const float* pts, int32_t n, std::vector<CFloatPoint>& out)
{
    out.clear();
    if (!pts || n <= 0) return;
    out.reserve(static_cast<size_t>(n));
    for (int32_t k = 0; k < n; ++k) {
        CFloatPoint p(pts[2 * k], pts[2 * k + 1]);
        if (out.empty() || !(p == out.back())) out.push_back(p);
    }
}

// DistinctPoints as a new array.
inline std::vector<CFloatPoint> DistinctPoints(const float* pts, int32_t n)
{
    std::vector<CFloatPoint> out;
    DistinctPoints(pts, n, out);
    return out;
}

// DistinctPoints as a flat (x, y) array.
inline std::vector<float> DistinctXY(const float* pts, int32_t n)
{
    std::vector<float> out;
    for (const CFloatPoint& p : DistinctPoints(pts, n)) out.insert(out.end(), {static_cast<float>(p.x), static_cast<float>(p.y)});
    return out;
}

}  // namespace preprocess
