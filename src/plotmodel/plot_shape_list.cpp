// PlotShapeList bounds, deep copy and whole-list transforms.
#include "plotmodel/plot_shape_list.h"

#include "platform/cdc.h"
#include "plotmodel/plot_units.h"

PlotShapeList& PlotShapeList::operator=(const PlotShapeList& other)
{
    if (&other == this) return *this;
    Clear();
    for (PlotShape* s = other.HeadShape(); s; s = other.ShapeAfter(s)) AddTail(s->NewCopy());
    area_ = other.area_;
    return *this;
}

CArea PlotShapeList::CalArea(int recompute)
{
    if (Count() == 0) {
        area_ = CArea();
        return area_;
    }
    area_.MakeInvalid();
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s)) {
        if (recompute) s->CalArea();
        area_.Merge(s->GetArea());
    }
    return area_;
}

void PlotShapeList::Scale(float sx, float sy)
{
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s)) s->Scale(sx, sy);
}

void PlotShapeList::Mirror(const CArea& box)
{
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s)) s->Mirror(&box);
}

void PlotShapeList::MirrorByX(int32_t x0)
{
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s)) s->MirrorByX(x0);
}

void PlotShapeList::Rotate(int32_t quarter, const CArea& box)
{
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s)) s->Rotate(quarter, &box);
}

void PlotShapeList::Stretchx(float k)
{
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s)) s->Stretchx(k);
}

void PlotShapeList::Stretchy(float k)
{
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s)) s->Stretchy(k);
}

void PlotShapeList::Move(int32_t dx, int32_t dy)
{
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s))
        s->Move(static_cast<float>(dx), static_cast<float>(dy));
    // An invalid box (shapes without points) stays invalid instead of overflowing.
    if (area_.IsInvalid()) return;
    area_.xmin = TruncateToInt32(static_cast<double>(area_.xmin) + dx);
    area_.xmax = TruncateToInt32(static_cast<double>(area_.xmax) + dx);
    area_.ymin = TruncateToInt32(static_cast<double>(area_.ymin) + dy);
    area_.ymax = TruncateToInt32(static_cast<double>(area_.ymax) + dy);
}

void PlotShapeList::FreeUsedSpace()
{
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s)) s->FreeUsedSpace();
}

void PlotShapeList::Render(structRender& r) const
{
    if (!r.dc) return;
    CPen solid(PS_SOLID, 1, RGB(0, 0, 0));
    CPen dotted(PS_DOT, 1, RGB(0, 0, 0));
    // The pens end with this call, so the DC gets its previous pen back rather than
    // keeping a deleted one selected.
    CPen* previous = r.dc->SelectObject(&solid);
    CPen* current = &solid;
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s)) {
        CPen* wanted = s->GetLineType() >= 2 ? &dotted : &solid;
        if (wanted != current) {
            r.dc->SelectObject(wanted);
            current = wanted;
        }
        s->Render(r);
    }
    if (previous) r.dc->SelectObject(previous);
}
