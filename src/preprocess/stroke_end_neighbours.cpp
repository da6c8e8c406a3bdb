// StrokeEndNeighbours: listing each end's neighbours once, by the round that takes them in.
//
// The finite ends are sorted by cells as wide as the largest tolerance, row by row; the ends
// within it of an end lie in the 3 × 3 cells around the end's cell. The cells of a row are
// visited left to right with a cursor in each of the three rows around, so the listing reads
// the sorted ends in order instead of looking up cells. An end's list depends on its
// neighbours alone, so runs of rows are listed on the worker threads side by side: once to
// count the lists, then, each list's place known, once to file them.
#include "preprocess/stroke_end_neighbours.h"

#include "plotmodel/shape_runs.h"

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

// The fewest ends a run of work on a worker thread takes: fewer cost more to hand over than
// they take to work on.
constexpr size_t kMinEndsPerRun = size_t{1} << 14;

// Sorts the ends by cell, then end: runs of them sorted side by side on the worker threads,
// then merged pairwise, the merges of a level side by side. The order is total, so the result
// is that of one sort.
void SortByCell(std::vector<SortedEnd>& sorted, int threads)
{
    const auto before = [](const SortedEnd& a, const SortedEnd& b) {
        return a.cell < b.cell || (a.cell == b.cell && a.end < b.end);
    };
    const size_t n = sorted.size();
    const size_t runs = std::clamp<size_t>(n / kMinEndsPerRun, 1, static_cast<size_t>(RunsForThreads(threads)));
    const auto bound = [&](size_t run) { return n * std::min(run, runs) / runs; };
    const auto begin = [](std::vector<SortedEnd>& v, size_t at) { return v.begin() + static_cast<ptrdiff_t>(at); };
    RunShapeRuns(static_cast<int>(runs), threads, [&](int run, ShapeRunControl&) {
        const size_t r = static_cast<size_t>(run);
        std::sort(begin(sorted, bound(r)), begin(sorted, bound(r + 1)), before);
    }, ShapeRunPoll{});
    if (runs == 1) return;
    std::vector<SortedEnd> merged(n);
    for (size_t width = 1; width < runs; width *= 2) {
        const size_t pairs = (runs + 2 * width - 1) / (2 * width);
        RunShapeRuns(static_cast<int>(pairs), threads, [&](int pair, ShapeRunControl&) {
            const size_t first = 2 * width * static_cast<size_t>(pair);
            std::merge(begin(sorted, bound(first)), begin(sorted, bound(first + width)), begin(sorted, bound(first + width)),
                       begin(sorted, bound(first + 2 * width)), begin(merged, bound(first)), before);
        }, ShapeRunPoll{});
        sorted.swap(merged);
    }
}

}  // namespace

StrokeEndNeighbours::StrokeEndNeighbours(std::vector<StrokeEnd> ends, std::vector<float> tolerances, int threads)
    : ends_(std::move(ends)), tolerances_(std::move(tolerances)), threads_(std::max(threads, 1))
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
    SortByCell(sorted, threads_);
    std::vector<Cell> cells;
    std::vector<size_t> rowStarts;  // the first cell of each row, then the number of cells
    for (uint32_t i = 0; i < sorted.size(); ++i) {
        if (cells.empty() || !(cells.back().at == sorted[i].cell)) {
            if (cells.empty() || cells.back().at.row != sorted[i].cell.row) rowStarts.push_back(cells.size());
            cells.push_back({sorted[i].cell, i, i});
        }
        cells.back().end = i + 1;
    }
    rowStarts.push_back(cells.size());
    const size_t rowCount = rowStarts.size() - 1;
    // By cell: 1 when it holds a crowded end.
    std::vector<uint8_t> crowdedCell(cells.size(), 0);

    // Each end's neighbours in the row of cells r, with the first round that takes each in:
    // counted (fill false) or filed where first_ says, in end order, so ends that follow each
    // other have their lists side by side (the rounds read them in about that order).
    using Listed = std::pair<uint8_t, uint32_t>;  // round, neighbour
    const auto sweepRow = [&](size_t r, bool fill, std::vector<Listed>& list, std::vector<NearRow>& rows) {
        const size_t rowBegin = rowStarts[r], rowEnd = rowStarts[r + 1];
        const int64_t row = cells[rowBegin].at.row;
        // This row and the rows above and below that hold cells.
        rows.clear();
        if (r > 0 && cells[rowBegin - 1].at.row == row - 1) rows.push_back({rowStarts[r - 1], rowBegin});
        rows.push_back({rowBegin, rowEnd});
        if (r + 1 < rowCount && cells[rowEnd].at.row == row + 1) rows.push_back({rowEnd, rowStarts[r + 2]});
        for (size_t c = rowBegin; c < rowEnd; ++c) {
            const int64_t column = cells[c].at.column;
            for (NearRow& near : rows)
                while (near.cursor < near.end && cells[near.cursor].at.column < column - 1) ++near.cursor;
            for (uint32_t i = cells[c].begin; i < cells[c].end; ++i) {
                const uint32_t e = sorted[i].end;
                if (fill && count_[e] == 0) continue;  // crowded, or no neighbour
                const StrokeEnd& q = sorted[i].at;
                list.clear();
                size_t found = 0;
                for (const NearRow& near : rows)
                    for (size_t k = near.cursor; k < near.end && cells[k].at.column <= column + 1; ++k)
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
                        crowdedCell[c] = 1;
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
    };
    // The rows in runs of about equal ends: a run takes the rows whose first end is among its
    // ends.
    const auto sweep = [&](bool fill) {
        ForEachIndexRun(sorted.size(), kMinEndsPerRun, threads_, [&](size_t from, size_t to) {
            std::vector<Listed> list;
            std::vector<NearRow> rows;
            size_t r = static_cast<size_t>(
                std::partition_point(rowStarts.begin(), rowStarts.begin() + static_cast<ptrdiff_t>(rowCount),
                                     [&](size_t c) { return cells[c].begin < from; }) -
                rowStarts.begin());
            for (; r < rowCount && cells[rowStarts[r]].begin < to; ++r) sweepRow(r, fill, list, rows);
        });
    };
    sweep(false);
    uint32_t total = 0;
    for (size_t e = 0; e < n; ++e) {
        first_[e] = total;
        total += count_[e];
    }
    // Every entry is written by the filing.
    near_ = std::make_unique_for_overwrite<uint32_t[]>(total);
    sweep(true);

    // The crowded ends' neighbours come from a grid at the largest tolerance of the ends in the
    // 3 × 3 cells around a crowded end's cell, which hold every end within that of it. The
    // grid's cells are those of the sweep, and each cell's ends are filed in sorted order.
    std::vector<uint8_t> filed(cells.size(), 0);
    bool anyCrowded = false;
    for (size_t c = 0; c < cells.size(); ++c) {
        if (!crowdedCell[c]) continue;
        anyCrowded = true;
        for (int32_t dy = -1; dy <= 1; ++dy)
            for (int32_t dx = -1; dx <= 1; ++dx) {
                const CellOf around{cells[c].at.row + dy, cells[c].at.column + dx};
                const auto at = std::lower_bound(cells.begin(), cells.end(), around,
                                                 [](const Cell& a, const CellOf& b) { return a.at < b; });
                if (at != cells.end() && at->at == around) filed[static_cast<size_t>(at - cells.begin())] = 1;
            }
    }
    if (!anyCrowded) return;
    grid_ = std::make_unique<EndPointGrid<uint32_t>>(maxTol / 2);
    for (size_t c = 0; c < cells.size(); ++c) {
        if (!filed[c]) continue;
        for (uint32_t i = cells[c].begin; i < cells[c].end; ++i) {
            grid_->Add(CFloatPoint(sorted[i].at.x, sorted[i].at.y), static_cast<uint32_t>(gridEnd_.size()));
            gridEnd_.push_back(sorted[i].end);
        }
    }
}

void StrokeEndNeighbours::KeepStrokes(const std::vector<uint32_t>& kept)
{
    std::vector<uint32_t> newEnd(ends_.size(), kGone);
    ForEachIndexRun(kept.size(), kMinEndsPerRun, threads_, [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
            newEnd[2 * kept[i]] = static_cast<uint32_t>(2 * i);
            newEnd[2 * kept[i] + 1] = static_cast<uint32_t>(2 * i + 1);
        }
    });
    const size_t newEnds = 2 * kept.size();
    const auto oldEnd = [&](size_t e) { return 2 * kept[e / 2] + static_cast<uint32_t>(e % 2); };
    std::vector<StrokeEnd> ends(newEnds);
    std::vector<uint32_t> first(newEnds);
    std::vector<uint8_t> count(newEnds, 0), crowded(newEnds, 0);
    // Counted first, so the new lists take just their room.
    ForEachIndexRun(newEnds, kMinEndsPerRun, threads_, [&](size_t from, size_t to) {
        for (size_t e = from; e < to; ++e) {
            const uint32_t old = oldEnd(e);
            ends[e] = ends_[old];
            if (crowded_[old]) {
                crowded[e] = 1;
                continue;
            }
            uint8_t left = 0;
            for (uint32_t k = first_[old]; k < first_[old] + count_[old]; ++k)
                if (newEnd[near_[k] >> kRoundBits] != kGone) ++left;
            count[e] = left;
        }
    });
    uint32_t total = 0;
    for (size_t e = 0; e < newEnds; ++e) {
        first[e] = total;
        total += count[e];
    }
    auto near = std::make_unique_for_overwrite<uint32_t[]>(total);
    // The list keeps its order by round; ends forgotten drop out of it.
    ForEachIndexRun(newEnds, kMinEndsPerRun, threads_, [&](size_t from, size_t to) {
        for (size_t e = from; e < to; ++e) {
            const uint32_t old = oldEnd(e);
            uint32_t at = first[e];
            for (uint32_t k = first_[old]; k < first_[old] + count_[old]; ++k) {
                const uint32_t now = newEnd[near_[k] >> kRoundBits];
                if (now != kGone) near[at++] = now << kRoundBits | (near_[k] & kRoundMask);
            }
        }
    });
    const bool anyCrowded = std::find(crowded.begin(), crowded.end(), uint8_t{1}) != crowded.end();
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
