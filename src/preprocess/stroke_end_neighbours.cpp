// StrokeEndNeighbours: listing each end's neighbours once, by the round that takes them in.
#include "preprocess/stroke_end_neighbours.h"

#include <algorithm>
#include <utility>

StrokeEndNeighbours::StrokeEndNeighbours(std::vector<StrokeEnd> ends, std::vector<float> tolerances)
    : ends_(std::move(ends)), tolerances_(std::move(tolerances))
{
    const size_t n = ends_.size();
    first_.assign(n + 1, 0);
    crowded_.assign(n, 0);
    if (tolerances_.empty()) return;
    const float maxTol = tolerances_.back();
    // Cells as wide as the largest tolerance: the ends within it of a point lie in the 3 × 3
    // cells around the point's cell.
    auto grid = std::make_unique<EndPointGrid<uint32_t>>(maxTol / 2);
    for (size_t e = 0; e < n; ++e)
        if (Within(ends_[e], ends_[e], maxTol)) grid->Add(CFloatPoint(ends_[e].x, ends_[e].y), static_cast<uint32_t>(e));
    near_.reserve(8 * n);
    fromRound_.reserve(8 * n);
    bool anyCrowded = false;
    std::vector<std::pair<uint8_t, uint32_t>> found;
    for (size_t e = 0; e < n; ++e) {
        first_[e] = static_cast<uint32_t>(near_.size());
        const StrokeEnd& q = ends_[e];
        if (!Within(q, q, maxTol)) continue;
        found.clear();
        grid->Near(CFloatPoint(q.x, q.y), [&](uint32_t other) {
            const StrokeEnd& o = ends_[other];
            if (other == e || !Within(o, q, maxTol)) return;
            // Within a tolerance exactly when the larger per-axis distance is at most it; the
            // tolerances do not decrease, so the first round that takes the end in is found
            // by bisection.
            const double apart = std::max(std::fabs(static_cast<double>(o.x) - q.x), std::fabs(static_cast<double>(o.y) - q.y));
            const auto round = std::lower_bound(tolerances_.begin(), tolerances_.end(), apart,
                                                [](float tol, double d) { return tol < d; });
            found.push_back({static_cast<uint8_t>(round - tolerances_.begin()), other});
        });
        if (found.size() > kListedNeighbours) {
            crowded_[e] = 1;
            anyCrowded = true;
            continue;
        }
        std::sort(found.begin(), found.end());
        for (const auto& [round, other] : found) {
            near_.push_back(other);
            fromRound_.push_back(round);
        }
    }
    first_[n] = static_cast<uint32_t>(near_.size());
    near_.shrink_to_fit();
    fromRound_.shrink_to_fit();
    if (anyCrowded) grid_ = std::move(grid);
}
