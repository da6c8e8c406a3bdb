// StrokeEndNeighbours: the lists made and renumbered on several worker threads are those of one
// thread, end for end and in the same order, and they hold exactly the ends within each
// round's tolerance, crowded ends (answered from the grid) included.
#include "preprocess/stroke_end_neighbours.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

namespace {

const std::vector<float> kTolerances = {1.1f, 2.1f, 4.1f, 8.1f, 16.1f, 39.1f};

// Two ends per stroke, many strokes: ends scattered over a sheet, about half of them next to
// an earlier end (as strokes that meet), crowds of ends on a few spots, and ends that are no
// finite point. Enough ends that the lists are made in several runs.
struct Sheet {
    std::vector<StrokeEnd> ends;
    std::vector<uint32_t> crowded;  // the ends put on the crowded spots
};

Sheet MakeSheet(uint32_t seed)
{
    constexpr uint32_t kStrokes = 25000;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> across(0.0f, 12000.0f), near(-30.0f, 30.0f), crowd(-3.0f, 3.0f);
    Sheet sheet;
    std::vector<StrokeEnd>& ends = sheet.ends;
    for (uint32_t e = 0; e < 2 * kStrokes; ++e) {
        if (e > 0 && rng() % 2 == 0) {
            const StrokeEnd& at = ends[rng() % e];
            ends.push_back({at.x + near(rng), at.y + near(rng)});
        } else {
            ends.push_back({across(rng), across(rng)});
        }
    }
    for (int spot = 0; spot < 5; ++spot) {
        const float x = across(rng), y = across(rng);
        for (int k = 0; k < 60; ++k) {
            const uint32_t e = static_cast<uint32_t>(rng() % ends.size());
            ends[e] = {x + crowd(rng), y + crowd(rng)};
            sheet.crowded.push_back(e);
        }
    }
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    for (const StrokeEnd odd : {StrokeEnd{nan, 10.0f}, StrokeEnd{10.0f, inf}, StrokeEnd{-inf, nan}})
        ends[rng() % ends.size()] = odd;
    return sheet;
}

// Every end's neighbours in every round, in the order ForEachWithin gives them, are the same.
void ExpectSameListing(const StrokeEndNeighbours& one, const StrokeEndNeighbours& several, size_t ends, int threads)
{
    std::vector<uint32_t> a, b;
    for (uint32_t e = 0; e < ends; ++e)
        for (size_t round = 0; round < kTolerances.size(); ++round) {
            a.clear();
            b.clear();
            one.ForEachWithin(e, round, [&](uint32_t other) { a.push_back(other); });
            several.ForEachWithin(e, round, [&](uint32_t other) { b.push_back(other); });
            ASSERT_EQ(a, b) << "end " << e << ", round " << round << ", " << threads << " threads";
        }
}

// The ends ForEachWithin gives for end e in every round are the ends within the round's
// tolerance, found by comparing e with every end.
void ExpectWithinExactly(const StrokeEndNeighbours& neighbours, const std::vector<StrokeEnd>& ends, uint32_t e)
{
    std::vector<uint32_t> near;
    for (uint32_t o = 0; o < ends.size(); ++o)
        if (StrokeEndNeighbours::Within(ends[o], ends[e], kTolerances.back())) near.push_back(o);
    for (size_t round = 0; round < kTolerances.size(); ++round) {
        std::vector<uint32_t> expected, got;
        for (uint32_t o : near)
            if (StrokeEndNeighbours::Within(ends[o], ends[e], kTolerances[round])) expected.push_back(o);
        neighbours.ForEachWithin(e, round, [&](uint32_t other) { got.push_back(other); });
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, expected) << "end " << e << ", round " << round;
    }
}

TEST(StrokeEndNeighbours, ListsMadeOnSeveralThreadsAreThoseOfOne)
{
    for (uint32_t seed = 1; seed <= 2; ++seed) {
        const Sheet sheet = MakeSheet(seed);
        const size_t strokes = sheet.ends.size() / 2;
        // The strokes kept by a renumbering: two in three, shuffled.
        std::vector<uint32_t> kept(strokes);
        std::iota(kept.begin(), kept.end(), 0u);
        std::mt19937 rng(seed);
        std::shuffle(kept.begin(), kept.end(), rng);
        kept.resize(2 * strokes / 3);
        std::vector<StrokeEnd> keptEnds;
        std::vector<int64_t> keptAs(sheet.ends.size(), -1);  // by end: what it is called once kept
        for (uint32_t id : kept) {
            for (uint32_t end : {2 * id, 2 * id + 1}) keptAs[end] = static_cast<int64_t>(keptEnds.size() + end % 2);
            keptEnds.insert(keptEnds.end(), {sheet.ends[2 * id], sheet.ends[2 * id + 1]});
        }
        std::vector<uint32_t> sample = sheet.crowded;
        for (int k = 0; k < 60; ++k) sample.push_back(static_cast<uint32_t>(rng() % sheet.ends.size()));
        std::vector<uint32_t> keptSample;
        for (uint32_t e : sample)
            if (keptAs[e] >= 0) keptSample.push_back(static_cast<uint32_t>(keptAs[e]));

        StrokeEndNeighbours one(sheet.ends, kTolerances, 1);
        for (uint32_t e : sample) ExpectWithinExactly(one, sheet.ends, e);
        for (int threads : {3, 8}) {
            StrokeEndNeighbours several(sheet.ends, kTolerances, threads);
            ExpectSameListing(one, several, sheet.ends.size(), threads);
            StrokeEndNeighbours renumberedOne(sheet.ends, kTolerances, 1);
            renumberedOne.KeepStrokes(kept);
            several.KeepStrokes(kept);
            ExpectSameListing(renumberedOne, several, keptEnds.size(), threads);
            for (uint32_t e : keptSample) ExpectWithinExactly(several, keptEnds, e);
        }
    }
}

}  // namespace
