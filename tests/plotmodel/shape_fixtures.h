// Small shapes for the plot model tests, written as lists of sub-polylines of points.
#pragma once

#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"

#include <initializer_list>
#include <map>
#include <ostream>
#include <utility>
#include <vector>

namespace plot_fixtures {

struct Pt {
    float x;
    float y;
    bool operator==(const Pt&) const = default;
};

inline std::ostream& operator<<(std::ostream& o, const Pt& p) { return o << "(" << p.x << ", " << p.y << ")"; }

using Polyline = std::vector<Pt>;

// Fills s with the given sub-polylines (each started as a new one) and computes its bounds.
inline void Fill(PlotShape& s, std::initializer_list<Polyline> polylines)
{
    for (const Polyline& pl : polylines) {
        bool first = true;
        for (const Pt& p : pl) {
            s.AddPoint(p.x, p.y, first ? 1 : 0);
            first = false;
        }
    }
    s.CalArea();
}

// A new free shape of one sub-polyline, with its bounds; the caller (or a list) owns it.
inline PlotShape* NewShape(const Polyline& points, unsigned char mau = PlotShape::kDefaultMauIndex)
{
    auto* s = new PlotShape;
    Fill(*s, {points});
    s->SetMauIndex(mau);
    return s;
}

// The sub-polylines of a shape, point by point.
inline std::vector<Polyline> Polylines(const PlotShape& s)
{
    std::vector<Polyline> out;
    for (int i = 0; i < s.GetPlNum(); ++i) {
        int32_t n = 0;
        const float* p = s.GetPl(i, n);
        Polyline pl;
        for (int32_t k = 0; k < n; ++k) pl.push_back({p[2 * k], p[2 * k + 1]});
        out.push_back(pl);
    }
    return out;
}

// All points of a shape in order.
inline Polyline AllPoints(const PlotShape& s)
{
    Polyline out;
    for (int i = 0; i < s.GetTolPtNum(); ++i) out.push_back({static_cast<float>(s.Point(i).x), static_cast<float>(s.Point(i).y)});
    return out;
}

inline std::vector<PlotShape*> Shapes(const PlotShapeList& list)
{
    std::vector<PlotShape*> out;
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) out.push_back(s);
    return out;
}

}  // namespace plot_fixtures

namespace plot_fixtures {

// Destructions per shape id, filled by CountedShape.
struct DestructionCounts {
    std::map<int, int> byId;
    int Of(int id) const
    {
        auto it = byId.find(id);
        return it == byId.end() ? 0 : it->second;
    }
};

// A shape that counts its destructions per id, to check who deletes what.
class CountedShape : public PlotShape {
public:
    CountedShape(DestructionCounts& counts, int id) : counts_(counts), id_(id) {}
    ~CountedShape() override { ++counts_.byId[id_]; }
    int Id() const { return id_; }

private:
    DestructionCounts& counts_;
    int id_;
};

// A new counted shape of one sub-polyline, with its bounds.
inline CountedShape* NewCounted(DestructionCounts& counts, int id, const Polyline& points)
{
    auto* s = new CountedShape(counts, id);
    Fill(*s, {points});
    return s;
}

}  // namespace plot_fixtures
