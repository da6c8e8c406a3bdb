// EndPointGrid: end points filed by grid cell, so the entries within a tolerance of a point are
// found without visiting the others.
#pragma once

#include "geometry/float_point.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

// Cells are at least 2·tol wide (and 1 unit), so the points within tol of q (per axis) lie in
// the 3 × 3 cells around q's cell. Cell numbers are held within ±4·10^9, so coordinates of
// any size stay defined.
//
// The cells are an open-addressing table of cell keys (a power of two of slots, at most half
// full), each slot the head of a chain of entries in one array: filing an entry allocates
// nothing but the array's growth, and a look-up touches only the nine cells' chains.
template <class T>
class EndPointGrid {
public:
    explicit EndPointGrid(float tol) : cell_(std::max(2.0 * tol, 1.0)) {}

    void Add(const CFloatPoint& q, T value)
    {
        if (2 * (cells_ + 1) > slots_.size()) Grow();
        const uint64_t key = Key(Cell(q.x), Cell(q.y));
        const size_t at = Find(key);
        Slot& slot = slots_[at];
        if (!used_[at]) {
            used_[at] = true;
            slot.key = key;
            ++cells_;
        }
        entries_.push_back({value, slot.head});
        slot.head = static_cast<uint32_t>(entries_.size() - 1);
    }
    // Removes the entries equal to value filed at q.
    void Remove(const CFloatPoint& q, T value)
    {
        if (slots_.empty()) return;
        const size_t at = Find(Key(Cell(q.x), Cell(q.y)));
        if (!used_[at]) return;
        Slot& slot = slots_[at];
        for (uint32_t* link = &slot.head; *link != kNone;) {
            if (entries_[*link].value == value)
                *link = entries_[*link].next;
            else
                link = &entries_[*link].next;
        }
    }
    // Calls f(value) for every entry filed near q (a value filed twice comes twice).
    template <class F>
    void Near(const CFloatPoint& q, F f) const
    {
        if (slots_.empty()) return;
        int64_t cx = Cell(q.x), cy = Cell(q.y);
        for (int64_t dx = -1; dx <= 1; ++dx)
            for (int64_t dy = -1; dy <= 1; ++dy)
                for (uint32_t e = slots_[Find(Key(cx + dx, cy + dy))].head; e != kNone; e = entries_[e].next)
                    f(entries_[e].value);
    }

private:
    static constexpr uint32_t kNone = 0xFFFFFFFFu;
    struct Slot {
        uint64_t key = 0;
        uint32_t head = kNone;  // a cell emptied by Remove keeps its slot
    };
    struct Entry {
        T value;
        uint32_t next;
    };

    // A coordinate that is no number is near nothing; it is filed in cell 0 rather than
    // converted, which would be undefined.
    int64_t Cell(double v) const
    {
        double c = std::floor(v / cell_);
        if (std::isnan(c)) return 0;
        return c > 4e9 ? 4000000000LL : (c < -4e9 ? -4000000000LL : static_cast<int64_t>(c));
    }
    static uint64_t Key(int64_t cx, int64_t cy)
    {
        return (static_cast<uint64_t>(cx) * 0x9E3779B97F4A7C15ULL) ^ static_cast<uint64_t>(cy);
    }
    // The slot of key, or the empty slot where it would go.
    size_t Find(uint64_t key) const
    {
        const size_t mask = slots_.size() - 1;
        uint64_t h = key * 0xD6E8FEB86659FD93ULL;
        for (size_t i = static_cast<size_t>(h ^ (h >> 32)) & mask;; i = (i + 1) & mask) {
            if (!used_[i] || slots_[i].key == key) return i;
        }
    }
    void Grow()
    {
        std::vector<Slot> old = std::move(slots_);
        std::vector<bool> oldUsed = std::move(used_);
        slots_.assign(std::max<size_t>(16, 2 * old.size()), Slot{});
        used_.assign(slots_.size(), false);
        for (size_t i = 0; i < old.size(); ++i) {
            if (!oldUsed[i]) continue;
            const size_t at = Find(old[i].key);
            slots_[at] = old[i];
            used_[at] = true;
        }
    }

    double cell_;
    std::vector<Slot> slots_;
    std::vector<bool> used_;  // a slot once given to a cell stays its cell's
    size_t cells_ = 0;
    std::vector<Entry> entries_;
};
