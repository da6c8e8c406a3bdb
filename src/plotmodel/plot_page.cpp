// PlotPage and the page list's building, boxes, transforms, dashing and knife strokes.
#include "plotmodel/plot_page.h"

#include "plotmodel/sub_polylines.h"

#include "plotmodel/pen_render.h"
#include "plotmodel/plot_pen.h"

#include <cmath>

namespace {

// Height of the bands in which CopyPage1 orders a pen's shapes, plotter units.
constexpr int64_t kOrderBand = 8000;
// Length of a knife-direction stroke and the least step that gives it a direction, plotter units.
constexpr double kKnifeStrokeLength = 5.0;
constexpr double kKnifeDirectionStep = 1.0;

// Merges b into box; the first box merged replaces it.
void MergeInto(CArea& box, bool& any, const CArea& b)
{
    if (any) {
        box.Merge(b);
    } else {
        box = b;
        any = true;
    }
}

// A scale factor of the knife stroke: zero, negative or not finite counts as 1, so that the
// stroke length never divides by zero.
float UsableScale(float k) { return k > 0.0f && std::isfinite(k) ? k : 1.0f; }

}  // namespace

// ---- PlotPage ----

void PlotPage::CopyPage(PlotPenList& pens)
{
    if (PlotPenData* p = pens.FindPenDataList(1)) drawList_.Append(&p->Shapes());
    if (PlotPenData* p = pens.FindPenDataList(2)) cutList_.Append(&p->Shapes());
}

// Bands are walked from the bottom of the pen's box upwards: each takes the shapes that end
// below its top edge (GetLinesInDown), so every shape goes with the first band that holds it whole.
void PlotPage::CopyPage1(PlotPenList& pens, CFloatPoint& p)
{
    const std::pair<int, PlotShapeList*> targets[] = {{1, &drawList_}, {2, &cutList_}};
    for (auto [pen, target] : targets) {
        PlotPenData* data = pens.FindPenDataList(pen);
        if (!data) continue;
        const CArea box = data->Shapes().CalArea(1);
        for (int64_t top = static_cast<int64_t>(box.ymin) + kOrderBand; data->Shapes().Count() > 0; top += kOrderBand) {
            PlotShapeList band;
            data->GetLinesInDown(band, SaturateToInt32(top));
            Order(band, *target, p);
            if (top >= box.ymax) Order(data->Shapes(), *target, p);
        }
    }
}

// Shapes of a list that is empty are left out of the page box, so that its zero box does not
// pull the origin in.
CArea PlotPage::CalArea(int flag)
{
    bool any = false;
    CArea box;
    for (PlotShapeList* list : {&drawList_, &cutList_}) {
        CArea b = list->CalArea(flag);
        if (list->Count() > 0) MergeInto(box, any, b);
    }
    area_ = box;
    return area_;
}

void PlotPage::Scale(double sx, double sy)
{
    drawList_.Scale(static_cast<float>(sx), static_cast<float>(sy));
    cutList_.Scale(static_cast<float>(sx), static_cast<float>(sy));
}

PlotShape* PlotPage::GetClosestLine(PlotShapeList& list, CFloatPoint& p)
{
    PlotShape* best = nullptr;
    bool bestAtEnd = false;
    double bestDistance = 0.0;
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) {
        CFloatPoint a = s->Start(), b = s->End();
        double toStart = std::fabs(a.x - p.x) + std::fabs(a.y - p.y);
        double toEnd = std::fabs(b.x - p.x) + std::fabs(b.y - p.y);
        double d = toEnd < toStart ? toEnd : toStart;
        if (!best || d < bestDistance) {
            best = s;
            bestDistance = d;
            bestAtEnd = toEnd < toStart;
        }
    }
    if (!best) return nullptr;
    if (bestAtEnd) best->Reverse();
    p = best->End();
    return best;
}

void PlotPage::Order(PlotShapeList& from, PlotShapeList& to, CFloatPoint& p)
{
    while (PlotShape* s = GetClosestLine(from, p)) {
        s->GoOut();
        to.AddTail(s);
    }
}

void PlotPage::Render(structRender& r) const
{
    if (!r.dc) return;
    CPen black(PS_SOLID, 1, RGB(0, 0, 0));
    CPen green(PS_SOLID, 1, RGB(0, 255, 0));
    CPen* previous = nullptr;
    RenderListInPen(drawList_, r, black, previous);
    RenderListInPen(cutList_, r, green, previous);
    if (previous) r.dc->SelectObject(previous);
}

// ---- PlotPageList: building and boxes ----

void PlotPageList::Render(structRender& r) const
{
    for (PlotPage* p = HeadPage(); p; p = PageAfter(p)) p->Render(r);
}

CArea PlotPageList::CalArea(int flag)
{
    bool any = false;
    CArea box;
    for (PlotPage* p = HeadPage(); p; p = PageAfter(p)) {
        CArea b = p->CalArea(flag);
        if (p->DrawList().Count() + p->CutList().Count() > 0) MergeInto(box, any, b);
    }
    area_ = box;
    return area_;
}

void PlotPageList::Scale(double sx, double sy)
{
    for (PlotPage* p = HeadPage(); p; p = PageAfter(p)) p->Scale(sx, sy);
}

void PlotPageList::AddPlotShape(PlotShape* s, int cut)
{
    if (!s) return;
    s->GoOut();
    auto* last = static_cast<PlotPage*>(GetTail());
    if (!last || (!cut && last->CutList().Count() > 0)) {
        last = new PlotPage;
        AddTail(last);
    }
    (cut ? last->CutList() : last->DrawList()).AddTail(s);
}

void PlotPageList::MoveCutList(int32_t dx, int32_t dy)
{
    for (PlotPage* p = HeadPage(); p; p = PageAfter(p)) p->CutList().Move(dx, dy);
}

void PlotPageList::MoveDrawList(int32_t dx, int32_t dy)
{
    for (PlotPage* p = HeadPage(); p; p = PageAfter(p)) p->DrawList().Move(dx, dy);
}

// ---- dashing and knife strokes ----

int PlotPageList::Dash(PlotShapeList& list, const structDash& d, int n, const float* pts)
{
    const PlotShape plain;
    return plain.Dash(list, d, n, pts);
}

void PlotPageList::DashCutList(const structDash& d)
{
    for (PlotPage* page = HeadPage(); page; page = PageAfter(page)) {
        PlotShapeList dashes;
        PlotShapeList& cuts = page->CutList();
        for (PlotShape* s = cuts.HeadShape(); s; s = cuts.ShapeAfter(s)) {
            ForEachSubPolyline(*s, [&](const SubPolyline& pl) {
                if (pl.count > 1) s->Dash(dashes, d, pl.count, pl.xy);
                return false;
            });
        }
        cuts.Clear();
        cuts.Append(&dashes);
    }
}

void PlotPageList::ProKnifeDir(float kx, float ky)
{
    for (PlotPage* p = HeadPage(); p; p = PageAfter(p)) ProKnifeDir(p->CutList(), kx, ky);
}

void PlotPageList::ProKnifeDir(PlotShapeList& list, float kx, float ky)
{
    const double sx = UsableScale(kx);
    const double sy = UsableScale(ky);
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) {
        if (s->GetTolPtNum() <= 0) continue;
        const CFloatPoint first = s->Point(0);
        for (int k = 1; k < s->GetTolPtNum(); ++k) {
            const CFloatPoint q = s->Point(k);
            const double dx = q.x - first.x, dy = q.y - first.y;
            if (std::fabs(dx) < kKnifeDirectionStep && std::fabs(dy) < kKnifeDirectionStep) continue;
            const double f = kKnifeStrokeLength / std::sqrt((sy * dy) * (sy * dy) + (sx * dx) * (sx * dx));
            auto* stroke = new PlotShape;
            stroke->CopyAttrib(*s);
            stroke->SetMauIndex(CutModeIndex::kKnifeOrientation);
            stroke->AddPoint(static_cast<float>(first.x), static_cast<float>(first.y), 1);
            stroke->AddPoint(static_cast<float>(first.x + f * dx), static_cast<float>(first.y + f * dy), 0);
            stroke->CalArea();
            list.InsertFront(stroke, s);
            break;
        }
    }
}

float PlotPageList::GetLength(const CFloatPoint& a, const CFloatPoint& b, const structDash& d)
{
    const float pa[2] = {static_cast<float>(a.x), static_cast<float>(a.y)};
    const float pb[2] = {static_cast<float>(b.x), static_cast<float>(b.y)};
    return PlotShape::GetLength(pa, pb, d);
}
