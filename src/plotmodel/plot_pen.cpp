// PlotPenData and PlotPenList: shapes grouped by pen number, with the pens' colour table.
#include "plotmodel/plot_pen.h"

#include "plotmodel/pen_render.h"
#include "plotmodel/plot_units.h"

#include <cstring>

// ---- PlotPenData ----

PlotPenData& PlotPenData::operator=(const PlotPenData& other)
{
    if (this == &other) return *this;
    penNumber_ = other.penNumber_;
    value_ = other.value_;
    shapes_ = other.shapes_;
    return *this;
}

void PlotPenData::GetLinesInDown(PlotShapeList& out, int32_t y) { shapes_.GetYMinSideMarshal(out, y); }

void PlotPenData::GetLinesInUp(PlotShapeList& out, int32_t y) { shapes_.GetYMaxSideMarshal(out, y); }

// ---- PlotPenList ----

PlotPenList::PlotPenList()
{
    std::memset(colors_, 0xFF, sizeof(colors_));
    colors_[1] = 0x000000;
    colors_[2] = 0x00FF00;
    colors_[3] = 0xFF0000;
    colors_[4] = 0xFF0000;
}

PlotPenList& PlotPenList::operator=(const PlotPenList& other)
{
    if (this == &other) return *this;
    Clear();
    for (PlotPenData* p = other.HeadPen(); p; p = other.PenAfter(p)) {
        auto* copy = new PlotPenData;
        *copy = *p;
        AddTail(copy);
    }
    area_ = other.area_;
    std::memcpy(colors_, other.colors_, sizeof(colors_));
    return *this;
}

PlotPenData* PlotPenList::FindPenDataList(int pen) const
{
    for (PlotPenData* p = HeadPen(); p; p = PenAfter(p))
        if (p->GetPenNumber() == pen) return p;
    return nullptr;
}

PlotPenData* PlotPenList::PenFor(int32_t pen)
{
    PlotPenData* p = FindPenDataList(pen);
    if (p) return p;
    p = new PlotPenData;
    p->SetPenNumber(pen);
    AddTail(p);
    return p;
}

void PlotPenList::AddPlotShape(PlotShape* s)
{
    if (!s) return;
    s->GoOut();
    PenFor(s->GetPenIndex())->Shapes().AddTail(s);
}

void PlotPenList::Append(PlotShapeList& list)
{
    while (PlotShape* s = list.HeadShape()) AddPlotShape(s);
}

void PlotPenList::AppendPenData(PlotShapeList& list)
{
    list.SetAllToDraw();
    Append(list);
}

void PlotPenList::Append(PlotPenList& other)
{
    if (&other == this) return;
    for (PlotPenData* p = other.HeadPen(); p; p = other.PenAfter(p))
        PenFor(p->GetPenNumber())->Shapes().Append(&p->Shapes());
}

// Pens without shapes are left out of the union, so that their zero box does not pull the
// origin into the list's box.
CArea PlotPenList::CalArea(int recompute, int flag)
{
    if (!recompute) return area_;
    bool any = false;
    CArea box;
    for (PlotPenData* p = HeadPen(); p; p = PenAfter(p)) {
        if (p->Shapes().Count() == 0) continue;
        CArea b = p->Shapes().CalArea(flag);
        if (any) {
            box.Merge(b);
        } else {
            box = b;
            any = true;
        }
    }
    area_ = box;
    return area_;
}

void PlotPenList::Scale(float sx, float sy)
{
    for (PlotPenData* p = HeadPen(); p; p = PenAfter(p)) p->Shapes().Scale(sx, sy);
}

void PlotPenList::Move(int32_t dx, int32_t dy)
{
    for (PlotPenData* p = HeadPen(); p; p = PenAfter(p)) p->Shapes().Move(dx, dy);
    if (area_.IsInvalid()) return;
    area_.xmin = TruncateToInt32(static_cast<double>(area_.xmin) + dx);
    area_.xmax = TruncateToInt32(static_cast<double>(area_.xmax) + dx);
    area_.ymin = TruncateToInt32(static_cast<double>(area_.ymin) + dy);
    area_.ymax = TruncateToInt32(static_cast<double>(area_.ymax) + dy);
}

void PlotPenList::Mirror()
{
    for (PlotPenData* p = HeadPen(); p; p = PenAfter(p)) p->Shapes().Mirror(area_);
}

void PlotPenList::Rotate(int32_t quarter)
{
    for (PlotPenData* p = HeadPen(); p; p = PenAfter(p)) p->Shapes().Rotate(quarter, area_);
}

template <class Split>
void PlotPenList::SplitPens(PlotPenList* left, PlotPenList* right, Split split) const
{
    for (PlotPenData* p = HeadPen(); p; p = PenAfter(p)) {
        auto side = [p](PlotPenList* out) -> PlotShapeList* {
            if (!out) return nullptr;
            auto* pen = new PlotPenData;
            pen->SetPenNumber(p->GetPenNumber());
            out->AddTail(pen);
            return &pen->Shapes();
        };
        PlotShapeList* l = side(left);
        PlotShapeList* r = side(right);
        split(*p, l, r);
    }
}

void PlotPenList::CutByVLine(int32_t x, PlotPenList* left, PlotPenList* right) const
{
    SplitPens(left, right, [x](const PlotPenData& p, PlotShapeList* l, PlotShapeList* r) { p.Shapes().CutByVLine(x, l, r); });
}

void PlotPenList::CutByHLine(int32_t y, PlotPenList* below, PlotPenList* above) const
{
    SplitPens(below, above, [y](const PlotPenData& p, PlotShapeList* l, PlotShapeList* r) { p.Shapes().CutByHLine(y, l, r); });
}

void PlotPenList::CutByVLine_ForJiGuang(int32_t x, PlotPenList* left, PlotPenList* right) const
{
    SplitPens(left, right, [x](const PlotPenData& p, PlotShapeList* l, PlotShapeList* r) {
        p.Shapes().CutByVLine_ForJiGuang(x, l, r);
    });
}

void PlotPenList::CutByVLine_ForCut(int32_t x, PlotPenList* left, PlotPenList* right) const
{
    SplitPens(left, right, [x](const PlotPenData& p, PlotShapeList* l, PlotShapeList* r) {
        if (p.GetPenNumber() == 2)
            p.Shapes().CutByVLine_ForCut(x, l, r);
        else
            p.Shapes().CutByVLine(x, l, r);
    });
}

// A pen number outside the table has no colour of its own and is drawn black, instead of
// reading past the table.
COLORREF PlotPenList::GetPenColor(int32_t pen) const
{
    return pen >= 0 && pen < kColorCount ? colors_[pen] : 0;
}

COLORREF PlotPenList::GetShapeColor(const PlotShape* s) const
{
    if (!s) return 0;
    for (PlotPenData* p = HeadPen(); p; p = PenAfter(p))
        if (s->GetStoredIn() == &p->Shapes()) return GetPenColor(p->GetPenNumber());
    return 0;
}

void PlotPenList::Render(structRender& r) const
{
    if (!r.dc) return;
    r.originY = area_.ymax;
    CPen* previous = nullptr;
    for (PlotPenData* p = HeadPen(); p; p = PenAfter(p)) {
        CPen pen(PS_SOLID, 1, GetPenColor(p->GetPenNumber()));
        RenderListInPen(p->Shapes(), r, pen, previous);
        // The pen ends here: the DC gets the previous one back before it does.
        if (previous) r.dc->SelectObject(previous);
    }
}
