// Ordering of the integer polylines: nearest-start search, greedy reordering and cell sorts.
#include "hpgl/binary_polyline_list.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

// A polyline's start nearer than this to the last end is taken at once.
constexpr int32_t kNearStartUnits = 1200;

}  // namespace

CPolyLine* CBinaryPolyLineList::FindAClosedPolyLine(const CPoint& p, int32_t distance)
{
    CPolyLine* nearest = nullptr;
    double best = 0.0;
    for (CPolyLine* line = HeadLine(); line; line = LineAfter(line)) {
        CPoint start;
        if (line->Start(start) != 0) continue;
        double d = CPolyLine::PointDistance(p, start);
        if (d < distance) return line;
        if (!nearest || d < best) {
            nearest = line;
            best = d;
        }
    }
    return nearest;
}

void CBinaryPolyLineList::Optimize()
{
    CBinaryPolyLineList ordered;
    CPolyLine* line = HeadLine();
    while (line) {
        GoOut(line);
        // Reordering keeps every polyline: they are linked, not joined.
        ordered.OL_List::AddTail(line);
        CPoint end;
        if (line->End(end) != 0) {
            line = HeadLine();
            continue;
        }
        line = FindAClosedPolyLine(end, kNearStartUnits);
        if (!line) line = HeadLine();
    }
    LinkAll(ordered);
}

void CBinaryPolyLineList::PolyLinesInArea(CBinaryPolyLineList& out, const CArea& area)
{
    for (CPolyLine* line = HeadLine(); line;) {
        CPolyLine* next = LineAfter(line);
        if (line->PtNum() > 0 && line->IsInArea(area)) {
            GoOut(line);
            out.OL_List::AddTail(line);
        }
        line = next;
    }
    out.Optimize();
}

template <class Key>
void CBinaryPolyLineList::SortByGroups(Key key)
{
    std::vector<std::pair<decltype(key(std::declval<CPolyLine&>())), CPolyLine*>> keyed;
    for (CPolyLine* line = HeadLine(); line; line = LineAfter(line)) keyed.emplace_back(key(*line), line);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& k : keyed) GoOut(k.second);
    CBinaryPolyLineList group;
    for (size_t i = 0; i < keyed.size(); ++i) {
        group.OL_List::AddTail(keyed[i].second);
        if (i + 1 == keyed.size() || keyed[i + 1].first != keyed[i].first) {
            group.Optimize();
            LinkAll(group);
        }
    }
}

void CBinaryPolyLineList::AreaSort(int32_t dx, int32_t dy)
{
    if (dx <= 0 || dy <= 0) return;
    const CArea box = CalArea();
    // A polyline belongs to the cell of its box's lower left corner.
    SortByGroups([&](CPolyLine& line) {
        const CArea& b = line.GetArea();
        int64_t row = line.PtNum() > 0 ? (int64_t{b.ymin} - box.ymin) / dy : 0;
        int64_t column = line.PtNum() > 0 ? (int64_t{b.xmin} - box.xmin) / dx : 0;
        return std::pair<int64_t, int64_t>(row, column);
    });
}

void CBinaryPolyLineList::VerticalSort(int32_t dy)
{
    if (dy <= 0) return;
    const CArea box = CalArea();
    SortByGroups([&](CPolyLine& line) {
        return line.PtNum() > 0 ? (int64_t{line.GetArea().ymin} - box.ymin) / dy : int64_t{0};
    });
}
