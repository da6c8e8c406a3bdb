// Passing over a shape's sub-polylines: all of them in buffer order, or from the one where a
// walk's cursor last stood.
#pragma once

#include "plotmodel/plot_shape.h"

#include <cstddef>
#include <cstdint>

// One sub-polyline of a shape: its index, its first and last point index over the shape
// (last = first - 1 when it has no points), its point count and its (x, y) pairs.
struct SubPolyline {
    int index = 0;
    int32_t first = 0;
    int32_t last = -1;
    int32_t count = 0;
    const float* xy = nullptr;
};

// Calls visit(const SubPolyline&) for every sub-polyline of s that has points, in order,
// stepping through the point buffer (GetPl would sum the counts before each one again);
// stops and returns true as soon as visit does.
template <class Visit>
bool ForEachSubPolyline(const PlotShape& s, Visit visit)
{
    int32_t ignored = 0;
    SubPolyline pl;
    pl.xy = s.GetPl(0, ignored);
    for (; pl.index < s.GetPlNum(); ++pl.index) {
        pl.count = s.GetPlPtNum(pl.index);
        pl.last = pl.first + pl.count - 1;
        if (pl.count > 0 && visit(static_cast<const SubPolyline&>(pl))) return true;
        pl.xy += 2 * static_cast<ptrdiff_t>(pl.count);
        pl.first += pl.count;
    }
    return false;
}

// Where a walk's cursor stood among the sub-polylines of a shape. The walks find the
// sub-polyline that holds their point index by passing the sub-polylines in order; started
// at sub-polyline 0 on every call, a shape of n sub-polylines (a dashed line, a label) cost
// about n² steps per sub-polyline walked, started where the last call stood the whole shape
// costs about n. Any sub-polyline whose first point index is at or below the cursor is a
// correct place to start, since the ones before it all end below the cursor.
class SubPolylineHint {
public:
    // Forgets the place; the walks do so whenever their cursor goes to another shape.
    void Reset() { shape_ = nullptr; }
    // The sub-polyline of s to start from for the cursor at point index p, and its first point.
    void Start(const PlotShape* s, int32_t p, int& index, int32_t& first) const
    {
        if (s && s == shape_ && first_ <= p && index_ < s->GetPlNum()) {
            index = index_;
            first = first_;
        } else {
            index = 0;
            first = 0;
        }
    }
    // Notes sub-polyline index of s, whose first point index is first (at or below the cursor).
    void Note(const PlotShape* s, int index, int32_t first)
    {
        shape_ = s;
        index_ = index;
        first_ = first;
    }

private:
    const PlotShape* shape_ = nullptr;
    int index_ = 0;
    int32_t first_ = 0;
};

// A walk step's pass over the sub-polylines of s (those without points too), from the one
// the hint names for the cursor on, giving index, first, last and count (not xy); each
// sub-polyline entered at or below the cursor (read as it is entered) is noted in the hint.
class SubPolylineScan : public SubPolyline {
public:
    SubPolylineScan(SubPolylineHint& hint, const PlotShape* s, const int32_t& cursor)
        : hint_(hint), shape_(s), cursor_(cursor)
    {
        hint_.Start(s, cursor, index, first);
        Enter();
    }
    bool More() const { return index < shape_->GetPlNum(); }
    void Next()
    {
        first += count;
        ++index;
        Enter();
    }

private:
    void Enter()
    {
        count = shape_->GetPlPtNum(index);
        last = first + count - 1;
        if (More() && first <= cursor_) hint_.Note(shape_, index, first);
    }

    SubPolylineHint& hint_;
    const PlotShape* shape_;
    const int32_t& cursor_;
};
