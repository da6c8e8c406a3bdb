// EndPointGrid: end points filed by grid cell, so the entries within a tolerance of a point are
// found without visiting the others.
#pragma once

#include "geometry/float_point.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

// Cells are at least 2·tol wide (and 1 unit), so the points within tol of q (per axis) lie in
// the 3 × 3 cells around q's cell. Cell numbers are held within ±4·10^9, so coordinates of
// any size stay defined.
template <class T>
class EndPointGrid {
public:
    explicit EndPointGrid(float tol) : cell_(std::max(2.0 * tol, 1.0)) {}

    void Add(const CFloatPoint& q, T value) { cells_[Key(Cell(q.x), Cell(q.y))].push_back(value); }
    // Removes the entries equal to value filed at q.
    void Remove(const CFloatPoint& q, T value)
    {
        auto it = cells_.find(Key(Cell(q.x), Cell(q.y)));
        if (it != cells_.end()) it->second.erase(std::remove(it->second.begin(), it->second.end(), value), it->second.end());
    }
    // Calls f(value) for every entry filed near q (a value filed twice comes twice).
    template <class F>
    void Near(const CFloatPoint& q, F f) const
    {
        int64_t cx = Cell(q.x), cy = Cell(q.y);
        for (int64_t dx = -1; dx <= 1; ++dx)
            for (int64_t dy = -1; dy <= 1; ++dy) {
                auto it = cells_.find(Key(cx + dx, cy + dy));
                if (it == cells_.end()) continue;
                for (const T& v : it->second) f(v);
            }
    }

private:
    int64_t Cell(double v) const
    {
        double c = std::floor(v / cell_);
        return c > 4e9 ? 4000000000LL : (c < -4e9 ? -4000000000LL : static_cast<int64_t>(c));
    }
    static uint64_t Key(int64_t cx, int64_t cy)
    {
        return (static_cast<uint64_t>(cx) * 0x9E3779B97F4A7C15ULL) ^ static_cast<uint64_t>(cy);
    }

    double cell_;
    std::unordered_map<uint64_t, std::vector<T>> cells_;
};
