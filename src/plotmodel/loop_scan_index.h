// LoopScanIndex: the segments of one closed shape filed by their x range, so the crossings of
// a vertical line with the shape (PlotShape::CalIntersect) are found from the few segments the
// line meets instead of a walk over every point.
//
// Made once for a loop that stays unchanged while it is used; the crossings are those the walk
// finds, computed the same way. CalIntersect only reads the index, so several threads may ask
// at once. Units: plotter units.
#pragma once

#include "platform/carray.h"
#include "plotmodel/plot_shape.h"

#include <cstdint>
#include <vector>

class LoopScanIndex {
public:
    explicit LoopScanIndex(const PlotShape& loop);

    // Whether filing a loop of `points` points pays for `lookups` crossing look-ups: the
    // filing costs about as much as 16 walks over the points, and a loop of up to 32 points
    // is walked in any case.
    static bool PaysFor(int points, size_t lookups) { return points > 32 && lookups >= 16; }

    const PlotShape& Loop() const { return loop_; }
    // As loop.CalIntersect(x, ys): the sorted y of every crossing, their number, or -1 (ys
    // untouched) when the loop is empty or x lies outside its bounds.
    int CalIntersect(float x, CArray<float>& ys) const;
    // As loop.CalCrossings(x, ys): the same crossings in the walk's order.
    int CalCrossings(float x, CArray<float>& ys) const;

private:
    struct Polyline {
        const float* pts;
        int32_t n;
        float x0;      // left edge of bucket 0
        float width;   // bucket width (> 0)
        double perUnit;  // 1 / width: a product is cheaper than a quotient per segment end
        bool walk;     // an x of no number: walked whole, as the shape walks it
        size_t buckets;
        // Bucket b holds the end indices k (ascending) of the segments (k - 1, k) whose x range
        // meets it: bucketStart[b] .. bucketStart[b + 1] of ends.
        std::vector<uint32_t> bucketStart;
        std::vector<int32_t> ends;
    };
    // The crossings of one polyline with the line at x, appended as PlotShape::CalIntersect of
    // the point array appends them.
    void Crossings(const Polyline& pl, float x, CArray<float>& ys) const;
    size_t Bucket(const Polyline& pl, float x) const;

    const PlotShape& loop_;
    std::vector<Polyline> polylines_;
};
