// ForEachIndexRun: the runs cover the indices once each, in runs of consecutive indices of
// about equal length and at least the least length asked for.
#include "plotmodel/shape_runs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <mutex>
#include <utility>
#include <vector>

namespace {

TEST(ForEachIndexRun, RunsCoverTheIndicesOnceInRunsOfTheLeastLengthOrMore)
{
    struct Case {
        size_t count, minPerRun;
        int threads;
    } cases[] = {
        {0, 16, 4}, {1, 16, 4}, {31, 16, 4}, {32, 16, 4}, {1000, 16, 1}, {1000, 16, 3}, {1000, 1, 8}, {100003, 64, 8},
    };
    for (const Case& c : cases) {
        std::mutex lock;
        std::vector<std::pair<size_t, size_t>> runs;
        ForEachIndexRun(c.count, c.minPerRun, c.threads, [&](size_t from, size_t to) {
            std::lock_guard<std::mutex> hold(lock);
            runs.emplace_back(from, to);
        });
        std::sort(runs.begin(), runs.end());
        ASSERT_FALSE(runs.empty()) << c.count;
        EXPECT_EQ(runs.front().first, 0u) << c.count;
        EXPECT_EQ(runs.back().second, c.count) << c.count;
        size_t shortest = c.count, longest = 0;
        for (size_t k = 0; k < runs.size(); ++k) {
            if (k > 0) {
                EXPECT_EQ(runs[k].first, runs[k - 1].second) << c.count << ", run " << k;
            }
            shortest = std::min(shortest, runs[k].second - runs[k].first);
            longest = std::max(longest, runs[k].second - runs[k].first);
        }
        if (runs.size() > 1) {
            EXPECT_GE(shortest, c.minPerRun) << c.count;
        }
        EXPECT_LE(longest, shortest + 1) << c.count;
        EXPECT_LE(runs.size(), static_cast<size_t>(RunsForThreads(c.threads))) << c.count;
    }
}

}  // namespace
