// StrokeEndNeighbours: listing each end's neighbours once, by the round that takes them in.
//
// The finite ends are sorted by cells as wide as the largest tolerance, row by row; the ends
// within it of an end lie in the 3 × 3 cells around the end's cell. The cells of a row are
// visited left to right with a cursor in each of the three rows around, so the listing reads
// the sorted ends in order instead of looking up cells.
#include "preprocess/stroke_end_neighbours.h"

#include <algorithm>
#include <utility>

namespace {

struct CellOf {
    int64_t row, column;
    bool operator<(const CellOf& b) const { return row != b.row ? row < b.row : column < b.column; }
    bool operator==(const CellOf& b) const { return row == b.row && column == b.column; }
};

// A cell number held within ±4·10^9, as the end grid holds them.
int64_t CellNumber(double v, double cell)
{
    const double c = std::floor(v / cell);
    return c > 4e9 ? 4000000000LL : (c < -4e9 ? -4000000000LL : static_cast<int64_t>(c));
}

// A run of sorted ends in one cell.
struct Cell {
    CellOf at;
    uint32_t begin, end;  // in the sorted ends
};

// A row of cells next to the one visited, and the first of its cells not left of the visit.
struct NearRow {
    size_t cursor, end;
};

}  // namespace

StrokeEndNeighbours::StrokeEndNeighbours(std::vector<StrokeEnd> ends, std::vector<float> tolerances)
    : ends_(std::move(ends)), tolerances_(std::move(tolerances))
{
    const size_t n = ends_.size();
    first_.assign(n, 0);
    count_.assign(n, 0);
    crowded_.assign(n, 0);
    if (tolerances_.empty()) return;
    const float maxTol = tolerances_.back();
    const double cellWidth = std::max(static_cast<double>(maxTol), 1.0);

    std::vector<std::pair<CellOf, uint32_t>> sorted;
    sorted.reserve(n);
    for (size_t e = 0; e < n; ++e)
        if (Within(ends_[e], ends_[e], maxTol))
            sorted.push_back({{CellNumber(ends_[e].y, cellWidth), CellNumber(ends_[e].x, cellWidth)}, static_cast<uint32_t>(e)});
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
        return a.first < b.first || (a.first == b.first && a.second < b.second);
    });
    std::vector<Cell> cells;
    for (uint32_t i = 0; i < sorted.size(); ++i) {
        if (cells.empty() || !(cells.back().at == sorted[i].first)) cells.push_back({sorted[i].first, i, i});
        cells.back().end = i + 1;
    }

    // Each end's neighbours, with the first round that takes each in, gathered cell by cell.
    near_.reserve(8 * sorted.size());
    std::vector<std::pair<uint8_t, uint32_t>> list;
    std::vector<NearRow> rows;
    bool anyCrowded = false;
    for (size_t rowBegin = 0; rowBegin < cells.size();) {
        const int64_t row = cells[rowBegin].at.row;
        size_t rowEnd = rowBegin;
        while (rowEnd < cells.size() && cells[rowEnd].at.row == row) ++rowEnd;
        // This row and the rows above and below that hold cells.
        rows.clear();
        if (rowBegin > 0 && cells[rowBegin - 1].at.row == row - 1) {
            size_t b = rowBegin - 1;
            while (b > 0 && cells[b - 1].at.row == row - 1) --b;
            rows.push_back({b, rowBegin});
        }
        rows.push_back({rowBegin, rowEnd});
        if (rowEnd < cells.size() && cells[rowEnd].at.row == row + 1) {
            size_t e = rowEnd;
            while (e < cells.size() && cells[e].at.row == row + 1) ++e;
            rows.push_back({rowEnd, e});
        }
        for (size_t c = rowBegin; c < rowEnd; ++c) {
            const int64_t column = cells[c].at.column;
            for (NearRow& r : rows)
                while (r.cursor < r.end && cells[r.cursor].at.column < column - 1) ++r.cursor;
            for (uint32_t i = cells[c].begin; i < cells[c].end; ++i) {
                const uint32_t e = sorted[i].second;
                const StrokeEnd& q = ends_[e];
                list.clear();
                for (const NearRow& r : rows)
                    for (size_t k = r.cursor; k < r.end && cells[k].at.column <= column + 1; ++k)
                        for (uint32_t j = cells[k].begin; j < cells[k].end; ++j) {
                            const uint32_t other = sorted[j].second;
                            const StrokeEnd& o = ends_[other];
                            if (other == e || !Within(o, q, maxTol)) continue;
                            // Within a tolerance exactly when the larger per-axis distance is at
                            // most it; the tolerances do not decrease, so the first round that
                            // takes the end in is found by bisection.
                            const double apart = std::max(std::fabs(static_cast<double>(o.x) - q.x),
                                                          std::fabs(static_cast<double>(o.y) - q.y));
                            const auto round = std::lower_bound(tolerances_.begin(), tolerances_.end(), apart,
                                                                [](float tol, double d) { return tol < d; });
                            list.push_back({static_cast<uint8_t>(round - tolerances_.begin()), other});
                        }
                first_[e] = static_cast<uint32_t>(near_.size());
                if (list.size() > kListedNeighbours || n > kMaxListedEnds) {
                    crowded_[e] = 1;
                    anyCrowded = true;
                    continue;
                }
                std::sort(list.begin(), list.end());
                for (const auto& [round, other] : list) near_.push_back(other << kRoundBits | round);
                count_[e] = static_cast<uint8_t>(list.size());
            }
        }
        rowBegin = rowEnd;
    }
    near_.shrink_to_fit();
    if (!anyCrowded) return;
    // The crowded ends' neighbours come from a grid of all ends at the largest tolerance.
    grid_ = std::make_unique<EndPointGrid<uint32_t>>(maxTol / 2);
    for (const auto& [cell, e] : sorted) grid_->Add(CFloatPoint(ends_[e].x, ends_[e].y), e);
}
