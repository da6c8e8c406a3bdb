// Helpers for the print traversal tests: point groups as values, whole walks, pulse costs.
#pragma once

#include "plotmodel/plot_shape_cut_list.h"
#include "shape_fixtures.h"

#include <functional>
#include <ostream>
#include <vector>

inline void PrintTo(const CPoint& p, std::ostream* o) { *o << "(" << p.x << ", " << p.y << ")"; }

namespace plot_fixtures {

// One call of a walk: its code and the points it appended.
struct Group {
    int code;
    std::vector<CPoint> pts;
    bool operator==(const Group&) const = default;
};

inline std::ostream& operator<<(std::ostream& o, const Group& g)
{
    o << "{" << g.code << ":";
    for (const CPoint& p : g.pts) o << " (" << p.x << "," << p.y << ")";
    return o << "}";
}

inline Group ToGroup(int code, const CArray<CPoint>& pts)
{
    return {code, std::vector<CPoint>(pts.begin(), pts.end())};
}

// A depth change of dz.
inline Group Depth(int dz) { return {GetNextPathResult::kDepthChange, {CPoint(dz, 0)}}; }

// Calls step until it returns -3 (kept) or maxCalls is reached; -2 calls are kept too.
inline std::vector<Group> WalkAll(const std::function<int(CArray<CPoint>&)>& step, int maxCalls = 10000)
{
    std::vector<Group> out;
    for (int i = 0; i < maxCalls; ++i) {
        CArray<CPoint> g;
        int code = step(g);
        out.push_back(ToGroup(code, g));
        if (code == GetNextPathResult::kNoShapeLeft || code == GetNextPathResult::kFinished) break;
    }
    return out;
}

inline std::vector<Group> WalkDepth(PlotShapeCutList& l)
{
    return WalkAll([&l](CArray<CPoint>& g) { return l.GetNextPath(g); });
}

// The groups that carry motion: without the -2 calls and the final code.
inline std::vector<Group> Motion(const std::vector<Group>& walk)
{
    std::vector<Group> out;
    for (const Group& g : walk)
        if (g.code >= 0) out.push_back(g);
    return out;
}

// Pulses of a group: |dz| for a depth change, else the move measure over its points.
inline int64_t Pulses(const Group& g)
{
    if (g.code == GetNextPathResult::kDepthChange && g.pts.size() == 1) return DepthPulses(g.pts[0].x);
    int64_t sum = 0;
    for (size_t i = 1; i < g.pts.size(); ++i) sum += MovePulses(g.pts[i - 1], g.pts[i]);
    return sum;
}

// Appends a new shape of one sub-polyline with the given cut mode.
inline void AddShape(PlotShapeList& l, const Polyline& pts, unsigned char mau = PlotShape::kDefaultMauIndex)
{
    l.AddTail(NewShape(pts, mau));
}

}  // namespace plot_fixtures
