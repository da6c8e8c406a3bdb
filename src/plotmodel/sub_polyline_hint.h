// Where a walk's cursor stood among a shape's sub-polylines, so the next step need not search
// the shape from its first sub-polyline again.
#pragma once

#include "plotmodel/plot_shape.h"

#include <cstdint>

// The walks find the sub-polyline that holds their point index by passing the sub-polylines
// in order. Started at sub-polyline 0 on every call, a shape of n sub-polylines (a dashed
// line, a label) cost about n² steps per sub-polyline walked; started where the last call
// stood, the whole shape costs about n. Any sub-polyline whose first point index is at or
// below the cursor is a correct place to start, since the ones before it all end below it.
class SubPolylineHint {
public:
    // Forgets the place, for a walk that goes to another shape or list.
    void Reset() { shape_ = nullptr; }
    // The sub-polyline of s to start from for point index p, and its first point index.
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
