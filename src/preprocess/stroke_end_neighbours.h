// StrokeEndNeighbours: the ends of a set of strokes, each with the other ends within the
// tolerances of a widening sequence of rounds, so the ends within a round's tolerance are read
// off without a grid look-up or a distance test.
//
// End 2·i is the first point of stroke i, end 2·i + 1 its last point; coordinates are plotter
// units as the strokes hold them (float). "Within tol" is per axis, as CFloatPoint::IsCloseTo
// computes it, so an end that is no finite point is within nothing, not even itself.
//
// Each end lists its neighbours by the first round whose tolerance takes them in, up to
// kListedNeighbours of them; an end with more (a crowd of ends on one spot) is answered from a
// grid of the ends around the crowded ones, kept for those.
//
// The lists are made, and renumbered, on a few worker threads, each on its own ends; they
// come out the same for any number of threads.
#pragma once

#include "preprocess/end_point_grid.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

struct StrokeEnd {
    float x = 0.0f;
    float y = 0.0f;
};

class StrokeEndNeighbours {
public:
    // Ends listed by more neighbours than this are answered from the grid.
    static constexpr uint32_t kListedNeighbours = 24;
    // The most rounds a sequence may have, and the most ends whose lists are kept: an entry
    // packs the neighbour's end (high bits) with its first round (low bits). Ends past the
    // limit are all answered from the grid.
    static constexpr size_t kMaxRounds = 64;
    static constexpr unsigned kRoundBits = 6;
    static constexpr size_t kMaxListedEnds = size_t{1} << (32 - kRoundBits);

    // ends: two per stroke (first, last point); tolerances: the rounds' tolerances, not
    // decreasing, at most kMaxRounds of them; threads: the worker threads to make and renumber
    // the lists on.
    StrokeEndNeighbours(std::vector<StrokeEnd> ends, std::vector<float> tolerances, int threads);

    const StrokeEnd& End(uint32_t e) const { return ends_[e]; }
    // Keeps the strokes kept[0], kept[1], ... as strokes 0, 1, ... (their ends with them) and
    // forgets the others: their ends are within nothing any more.
    void KeepStrokes(const std::vector<uint32_t>& kept);
    float Tolerance(size_t round) const { return tolerances_[round]; }

    static bool Within(const StrokeEnd& a, const StrokeEnd& b, float tol)
    {
        return std::fabs(static_cast<double>(a.x) - b.x) <= tol && std::fabs(static_cast<double>(a.y) - b.y) <= tol;
    }

    // Calls f(e') for every end e' within the round's tolerance of end e, e itself included,
    // each once, in no particular order.
    template <class F>
    void ForEachWithin(uint32_t e, size_t round, F f) const
    {
        const StrokeEnd& q = ends_[e];
        const float tol = tolerances_[round];
        if (!Within(q, q, tol)) return;
        f(e);
        if (crowded_[e]) {
            grid_->Near(CFloatPoint(q.x, q.y), [&](uint32_t filed) {
                const uint32_t other = gridEnd_[filed];
                if (other != kGone && other != e && Within(ends_[other], q, tol)) f(other);
            });
            return;
        }
        // By first round: the first neighbour of a later round ends the list.
        for (uint32_t k = first_[e], end = first_[e] + count_[e]; k < end && (near_[k] & kRoundMask) <= round; ++k)
            f(near_[k] >> kRoundBits);
    }

private:
    std::vector<StrokeEnd> ends_;
    std::vector<float> tolerances_;
    int threads_;
    std::vector<uint32_t> first_;     // by end: where its list begins in near_
    std::vector<uint8_t> count_;      // by end: how long its list is
    static constexpr uint32_t kRoundMask = (1u << kRoundBits) - 1;
    std::unique_ptr<uint32_t[]> near_;  // neighbour << kRoundBits | the first round it is within
    std::vector<uint8_t> crowded_;    // by end: 1 when its neighbours come from the grid
    static constexpr uint32_t kGone = 0xFFFFFFFFu;
    std::unique_ptr<EndPointGrid<uint32_t>> grid_;  // only while some end is crowded
    std::vector<uint32_t> gridEnd_;  // by what the grid filed: the end it is now, or kGone
};
