// PlotShapeList orderings (serpentine strips, rows by height) and the joining of shapes end
// to end.
//
// Strips and rows are counted from the coordinate origin in plotter units: strip k covers
// x up to k × band, row r covers y up to r × band. Every ordering keeps the list order of
// shapes that fall into the same row, and uses the shapes' cached bounds.
#include "plotmodel/plot_shape_list.h"

#include "plotmodel/strip_rows.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// Rows of OrderOnlyY, plotter units (200 mm).
constexpr int64_t kOnlyYRow = 8000;
// tan 30°: OrderOnlyY breaks shapes at sharper vertices.
constexpr float kOnlyYBreakTan = 0.57735026918962573f;
// A piece narrower than a tenth of its height counts as vertical.
constexpr double kVerticalRatio = 0.1;
// ConnectCrv: ends within this (strictly) make a shape closed; joins use kJoinTolerance.
constexpr float kClosedTolerance = 0.5f;
constexpr float kJoinTolerance = 1.0f;

using strip_rows::FirstBandAtOrAbove;

// The next k >= from of the given parity (1 odd, 0 even).
int64_t WithParity(int64_t k, int parity) { return (k % 2 == parity) ? k : k + 1; }

bool IsClosedWithin(const PlotShape& s, float tol) { return s.Start().IsEqual(s.End(), tol) != 0; }

}  // namespace

void PlotShapeList::OrderByArea(int32_t band)
{
    // Strips of no width cannot be walked: the order stays as it is.
    if (band <= 0 || Count() == 0) return;
    CalArea(0);
    const int64_t b = band, top = area_.ymax;
    struct Placed {
        PlotShape* shape;
        int64_t strip;
        int64_t row;
        size_t order;
    };
    std::vector<Placed> placed;
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s)) {
        const CArea& a = s->GetArea();
        // Odd strips take shapes by their left edge, even strips by their right edge: a
        // shape falls into the first strip of either kind that takes it.
        int64_t odd = WithParity(FirstBandAtOrAbove(a.xmin, b), 1);
        int64_t even = WithParity(std::max<int64_t>(FirstBandAtOrAbove(a.xmax, b), 2), 0);
        int64_t strip = std::min(odd, even);
        // Odd strips run upwards (first row whose top is at or above ymax), even strips
        // downwards from the list's top (first row whose bottom is at or below ymin).
        int64_t row = strip % 2 == 1 ? FirstBandAtOrAbove(a.ymax, b) : FirstBandAtOrAbove(top - a.ymin, b);
        placed.push_back({s, strip, row, placed.size()});
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& l, const Placed& r) {
        return l.strip != r.strip ? l.strip < r.strip : l.row < r.row;
    });
    for (const Placed& p : placed) {
        p.shape->GoOut();
        AddTail(p.shape);
    }
}

void PlotShapeList::GetXMinSideMarshal(PlotShapeList& list, int32_t x)
{
    MoveWhere(list, [x](const PlotShape& s) { return s.GetArea().xmax <= x; });
}

void PlotShapeList::GetXMinSideMarshalEx(PlotShapeList& list, int32_t x)
{
    MoveWhere(list, [x](const PlotShape& s) { return s.GetArea().xmin <= x; });
}

void PlotShapeList::GetYMinSideMarshal(PlotShapeList& list, int32_t y)
{
    MoveWhere(list, [y](const PlotShape& s) { return s.GetArea().ymax <= y; });
}

void PlotShapeList::GetYMaxSideMarshal(PlotShapeList& list, int32_t y)
{
    MoveWhere(list, [y](const PlotShape& s) { return s.GetArea().ymin >= y; });
}

PlotShape* PlotShapeList::GetClosestEndPtOfCrv(CFloatPoint p, int& fromStart) const
{
    PlotShape* best = nullptr;
    double bestDistance = 0.0;
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s)) {
        CFloatPoint start = s->Start();
        double d = std::max(std::fabs(start.x - p.x), std::fabs(start.y - p.y));
        if (!best || d < bestDistance) {
            best = s;
            bestDistance = d;
        }
    }
    if (best) fromStart = 1;
    return best;
}

void PlotShapeList::OrderOnlyY(CFloatPoint& pos)
{
    pos = CFloatPoint(0.0, 0.0);
    PlotShapeList pieces;
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s)) {
        PlotShapeList ofShape;
        s->BreakAtVertex(ofShape, kOnlyYBreakTan);
        // The pieces keep their shape's pen and cut mode, so no cut curve turns into a draw one.
        for (PlotShape* piece = ofShape.HeadShape(); piece; piece = ofShape.ShapeAfter(piece)) {
            piece->CopyAttrib(*s);
            piece->SetFloatValue(s->GetFloatValue());
        }
        pieces.Append(&ofShape);
    }
    Clear();

    PlotShapeList vertical;
    std::vector<std::vector<PlotShape*>> rows;
    while (PlotShape* piece = pieces.HeadShape()) {
        piece->GoOut();
        const CArea& a = piece->CalArea();
        double height = a.Height(), width = a.Width();
        if (height > 0 && width / height < kVerticalRatio) {
            vertical.AddTail(piece);
            continue;
        }
        if (piece->Start().x < piece->End().x) piece->Reverse();
        size_t row = static_cast<size_t>(FirstBandAtOrAbove(a.ymax, kOnlyYRow) - 1);
        if (row >= rows.size()) rows.resize(row + 1);
        rows[row].push_back(piece);
    }
    // Takes the piece nearest the position from a row, again and again.
    auto emitNearestFirst = [this, &pos](PlotShapeList& row) {
        int fromStart = 0;
        while (PlotShape* next = row.GetClosestEndPtOfCrv(pos, fromStart)) {
            next->GoOut();
            AddTail(next);
            pos = next->End();
        }
    };
    for (std::vector<PlotShape*>& row : rows) {
        PlotShapeList rowList;
        for (PlotShape* piece : row) rowList.AddTail(piece);
        emitNearestFirst(rowList);
    }
    emitNearestFirst(vertical);
}

void PlotShapeList::ConnectCrv()
{
    bool joined = true;
    while (joined) {
        joined = false;
        PlotShapeList result;
        while (PlotShape* head = HeadShape()) {
            head->GoOut();
            if (!IsClosedWithin(*head, kClosedTolerance)) {
                for (PlotShape* s = HeadShape(); s;) {
                    PlotShape* next = ShapeAfter(s);
                    if (IsClosedWithin(*s, kClosedTolerance)) {
                        s->GoOut();
                        result.AddTail(s);
                    } else if (head->Connect(s, kJoinTolerance)) {
                        delete s;
                        joined = true;
                    }
                    s = next;
                }
            }
            result.AddTail(head);
        }
        Append(&result);
    }
}

void PlotShapeList::GetCloseCurve(PlotShapeList& closed)
{
    for (PlotShape* s = HeadShape(); s;) {
        if (s->GetPlNum() == 1) {
            for (PlotShape* t = ShapeAfter(s); t && !s->IsClose();) {
                PlotShape* next = ShapeAfter(t);
                if (s->Connect(*t)) delete t;
                t = next;
            }
        }
        PlotShape* next = ShapeAfter(s);
        if (s->GetPlNum() == 1 && s->IsClose()) {
            s->GoOut();
            s->CalArea();
            closed.AddTail(s);
        }
        s = next;
    }
}

void PlotShapeList::FindCloseCrvs(const CFloatPoint& p, CArray<PlotShape*>& shapes, CArray<int>& atStart) const
{
    shapes.RemoveAll();
    atStart.RemoveAll();
    const double e = PlotShape::GetError();
    auto inBox = [&](const CFloatPoint& q) { return std::fabs(q.x - p.x) <= e && std::fabs(q.y - p.y) <= e; };
    auto manhattan = [&](const CFloatPoint& q) { return std::fabs(q.x - p.x) + std::fabs(q.y - p.y); };
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s)) {
        if (s->GetTolPtNum() == 0) continue;
        CFloatPoint start = s->Start(), end = s->End();
        bool startIn = inBox(start), endIn = inBox(end);
        if (!startIn && !endIn) continue;
        shapes.Add(s);
        atStart.Add(startIn && (!endIn || manhattan(start) <= manhattan(end)) ? 1 : 0);
    }
}

void PlotShapeList::FindConnectCrvs(PlotShape* s, CArray<PlotShape*>& chain) const
{
    chain.RemoveAll();
    if (!s || s->GetTolPtNum() == 0) return;
    chain.Add(s);
    CArray<PlotShape*> found;
    CArray<int> atStart;
    for (;;) {
        FindCloseCrvs(chain[chain.GetSize() - 1]->End(), found, atStart);
        PlotShape* only = nullptr;
        int onlyAtStart = 0, candidates = 0;
        for (int i = 0; i < found.GetSize(); ++i) {
            if (std::find(chain.begin(), chain.end(), found[i]) != chain.end()) continue;
            ++candidates;
            only = found[i];
            onlyAtStart = atStart[i];
        }
        if (candidates != 1) return;
        if (!onlyAtStart) only->Reverse();
        chain.Add(only);
    }
}

void PlotShapeList::BreakAtVertex(OL_List& out, float angle) const
{
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s)) s->BreakAtVertex(out, angle);
}
