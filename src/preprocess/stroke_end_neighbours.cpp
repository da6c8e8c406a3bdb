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
    int32_t row, column;
    bool operator<(const CellOf& b) const { return row != b.row ? row < b.row : column < b.column; }
    bool operator==(const CellOf& b) const { return row == b.row && column == b.column; }
};

// A cell number held within ±2·10^9 (so a neighbour's is too): far cells share the cell at the
// end of the range, which only widens the candidates the exact test sees.
int32_t CellNumber(double v, double cell)
{
    const double c = std::floor(v / cell);
    return c > 2e9 ? 2000000000 : (c < -2e9 ? -2000000000 : static_cast<int32_t>(c));
}

// A finite end by its cell, with its point at hand so the sweep reads the ends in order.
struct SortedEnd {
    CellOf cell;
    uint32_t end;
    StrokeEnd at;
};

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

    std::vector<SortedEnd> sorted;
    sorted.reserve(n);
    for (size_t e = 0; e < n; ++e)
        if (Within(ends_[e], ends_[e], maxTol))
            sorted.push_back({{CellNumber(ends_[e].y, cellWidth), CellNumber(ends_[e].x, cellWidth)},
                              static_cast<uint32_t>(e), ends_[e]});
    std::sort(sorted.begin(), sorted.end(), [](const SortedEnd& a, const SortedEnd& b) {
        return a.cell < b.cell || (a.cell == b.cell && a.end < b.end);
    });
    std::vector<Cell> cells;
    for (uint32_t i = 0; i < sorted.size(); ++i) {
        if (cells.empty() || !(cells.back().at == sorted[i].cell)) cells.push_back({sorted[i].cell, i, i});
        cells.back().end = i + 1;
    }

    // Each end's neighbours, with the first round that takes each in, gathered cell by cell:
    // once to count them, once to file them in end order, so ends that follow each other have
    // their lists side by side (the rounds read them in about that order).
    std::vector<std::pair<uint8_t, uint32_t>> list;
    std::vector<NearRow> rows;
    bool anyCrowded = false;
    const auto sweep = [&](bool fill) {
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
                const uint32_t e = sorted[i].end;
                if (fill && count_[e] == 0) continue;  // crowded, or no neighbour
                const StrokeEnd& q = sorted[i].at;
                list.clear();
                size_t found = 0;
                for (const NearRow& r : rows)
                    for (size_t k = r.cursor; k < r.end && cells[k].at.column <= column + 1; ++k)
                        for (uint32_t j = cells[k].begin; j < cells[k].end; ++j) {
                            const uint32_t other = sorted[j].end;
                            const StrokeEnd& o = sorted[j].at;
                            if (other == e || !Within(o, q, maxTol)) continue;
                            ++found;
                            if (!fill) continue;
                            // Within a tolerance exactly when the larger per-axis distance is at
                            // most it; the tolerances do not decrease, so the first round that
                            // takes the end in is found by bisection.
                            const double apart = std::max(std::fabs(static_cast<double>(o.x) - q.x),
                                                          std::fabs(static_cast<double>(o.y) - q.y));
                            const auto round = std::lower_bound(tolerances_.begin(), tolerances_.end(), apart,
                                                                [](float tol, double d) { return tol < d; });
                            list.push_back({static_cast<uint8_t>(round - tolerances_.begin()), other});
                        }
                if (!fill) {
                    if (found > kListedNeighbours || n > kMaxListedEnds) {
                        crowded_[e] = 1;
                        anyCrowded = true;
                    } else {
                        count_[e] = static_cast<uint8_t>(found);
                    }
                    continue;
                }
                std::sort(list.begin(), list.end());
                uint32_t at = first_[e];
                for (const auto& [round, other] : list) near_[at++] = other << kRoundBits | round;
            }
        }
        rowBegin = rowEnd;
    }
    };
    sweep(false);
    uint32_t total = 0;
    for (size_t e = 0; e < n; ++e) {
        first_[e] = total;
        total += count_[e];
    }
    near_.assign(total, 0);
    sweep(true);
    if (!anyCrowded) return;
    // The crowded ends' neighbours come from a grid of all ends at the largest tolerance.
    grid_ = std::make_unique<EndPointGrid<uint32_t>>(maxTol / 2);
    for (const SortedEnd& s : sorted) grid_->Add(CFloatPoint(s.at.x, s.at.y), s.end);
    gridEnd_.resize(n);
    for (uint32_t e = 0; e < n; ++e) gridEnd_[e] = e;
}

void StrokeEndNeighbours::KeepStrokes(const std::vector<uint32_t>& kept)
{
    const size_t oldEnds = ends_.size();
    std::vector<uint32_t> newEnd(oldEnds, kGone);
    for (uint32_t i = 0; i < kept.size(); ++i) {
        newEnd[2 * kept[i]] = 2 * i;
        newEnd[2 * kept[i] + 1] = 2 * i + 1;
    }
    std::vector<StrokeEnd> ends(2 * kept.size());
    std::vector<uint32_t> first(ends.size());
    std::vector<uint8_t> count(ends.size(), 0), crowded(ends.size(), 0);
    // Counted first, so the new lists take just their room.
    size_t entries = 0;
    for (uint32_t e = 0; e < ends.size(); ++e) {
        const uint32_t old = 2 * kept[e / 2] + e % 2;
        if (crowded_[old]) continue;
        for (uint32_t k = first_[old]; k < first_[old] + count_[old]; ++k)
            if (newEnd[near_[k] >> kRoundBits] != kGone) ++entries;
    }
    std::vector<uint32_t> near;
    near.reserve(entries);
    bool anyCrowded = false;
    for (uint32_t e = 0; e < ends.size(); ++e) {
        const uint32_t old = 2 * kept[e / 2] + e % 2;
        ends[e] = ends_[old];
        first[e] = static_cast<uint32_t>(near.size());
        if (crowded_[old]) {
            crowded[e] = 1;
            anyCrowded = true;
            continue;
        }
        // The list keeps its order by round; ends forgotten drop out of it.
        for (uint32_t k = first_[old]; k < first_[old] + count_[old]; ++k) {
            const uint32_t to = newEnd[near_[k] >> kRoundBits];
            if (to != kGone) near.push_back(to << kRoundBits | (near_[k] & kRoundMask));
        }
        count[e] = static_cast<uint8_t>(near.size() - first[e]);
    }
    ends_ = std::move(ends);
    first_ = std::move(first);
    count_ = std::move(count);
    crowded_ = std::move(crowded);
    near_ = std::move(near);
    // The grid keeps the ends it filed; what they are now called follows them.
    if (!anyCrowded) {
        grid_.reset();
        std::vector<uint32_t>().swap(gridEnd_);
        return;
    }
    for (uint32_t& e : gridEnd_)
        if (e != kGone) e = newEnd[e];
}
