// LoopScanIndex gives the crossings the shape's own walk gives, in the walk's order and sorted,
// for every vertical line: lines through vertices, along vertical runs, through a first point
// on the line, and outside.
#include "plotmodel/loop_scan_index.h"

#include "plotmodel/plot_shape.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

void ExpectSameCrossings(const std::vector<std::vector<float>>& polylines)
{
    PlotShape s;
    for (const std::vector<float>& xy : polylines)
        for (size_t i = 0; i + 1 < xy.size(); i += 2) s.AddPoint(xy[i], xy[i + 1], i == 0 ? 1 : 0);
    s.CalArea();
    const LoopScanIndex index(s);
    const CArea& box = s.GetArea();
    for (float x = static_cast<float>(box.xmin) - 2; x <= static_cast<float>(box.xmax) + 2; x += 0.5f) {
        // Sorted, and in the order of the walk.
        for (bool sorted : {true, false}) {
            CArray<float> walked, indexed;
            const int n = sorted ? s.CalIntersect(x, walked) : s.CalCrossings(x, walked);
            ASSERT_EQ(sorted ? index.CalIntersect(x, indexed) : index.CalCrossings(x, indexed), n) << "x " << x;
            ASSERT_EQ(indexed.GetSize(), walked.GetSize()) << "x " << x;
            for (int i = 0; i < walked.GetSize(); ++i)
                EXPECT_EQ(indexed[i], walked[i]) << "x " << x << " crossing " << i << (sorted ? " sorted" : " walked");
        }
    }
}

TEST(LoopScanIndex, GivesTheWalksCrossingsOnEveryLine)
{
    const std::vector<std::vector<std::vector<float>>> shapes = {
        {{0, 0, 10, 0, 10, 10, 0, 10, 0, 0}},                        // a square: lines along its sides
        {{5, 0, 5, 3, 5, 6, 9, 8, 5, 9, 1, 4, 5, 0}},               // starts and runs on x = 5
        {{2, 2, 2, 2, 2, 7, 6, 7, 6, 2, 2, 2}},                     // a repeated first point
        {{0, 0, 8, 0, 8, 8, 0, 8, 0, 0}, {2, 2, 2, 6, 6, 6, 6, 2, 2, 2}},  // two sub-polylines
        {{3, 3}},                                                    // one point
    };
    for (const auto& polylines : shapes) {
        SCOPED_TRACE(testing::Message() << "shape of " << polylines.size() << " polylines, first " << polylines[0].size() / 2);
        ExpectSameCrossings(polylines);
    }
    // Seeded closed walks of integer points: many vertices and vertical runs on the lines.
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> step(-3, 3);
    for (int k = 0; k < 20; ++k) {
        std::vector<float> xy{0, 0};
        for (int i = 0; i < 80; ++i) {
            const int dx = k % 3 == 0 ? 0 : step(rng);
            xy.push_back(xy[xy.size() - 2] + static_cast<float>(dx));
            xy.push_back(xy[xy.size() - 2] + static_cast<float>(step(rng)));
        }
        xy.push_back(0);
        xy.push_back(0);
        SCOPED_TRACE(k);
        ExpectSameCrossings({xy});
    }
}

}  // namespace
