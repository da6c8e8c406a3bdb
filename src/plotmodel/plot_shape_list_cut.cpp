// PlotShapeList cuts at lines, cut and draw curve selection, and dashing of cut curves.
#include "plotmodel/plot_shape_list.h"

#include <cstdint>
#include <optional>

namespace {

// Cut shapes wider than this (500 mm) with more than kCutLeadIn (400 mm) before the line
// are split at a page edge; smaller ones stay whole.
constexpr int64_t kCutSplitWidth = 20000;
constexpr int64_t kCutLeadIn = 16000;

}  // namespace

void PlotShapeList::CutByVLine(int32_t x, PlotShapeList* left, PlotShapeList* right) const
{
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s)) s->CutByVLine(x, left, right);
}

void PlotShapeList::CutByHLine(int32_t y, PlotShapeList* below, PlotShapeList* above) const
{
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s)) s->CutByHLine(y, below, above);
}

void PlotShapeList::CutByVLine_ForCut(int32_t x, PlotShapeList* left, PlotShapeList* right) const
{
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s)) {
        const CArea& b = s->GetArea();
        PlotShapeList* whole = right;
        if (b.xmax <= x) {
            whole = left;
        } else if (static_cast<int64_t>(x) - b.xmin > kCutLeadIn &&
                   static_cast<int64_t>(b.xmax) - b.xmin > kCutSplitWidth) {
            s->CutByVLine(x, left, right);
            continue;
        }
        if (whole) whole->AddTail(s->NewCopy());
    }
}

void PlotShapeList::CutByVLine_ForJiGuang(int32_t x, PlotShapeList* left, PlotShapeList* right) const
{
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s)) {
        const CArea& b = s->GetArea();
        int64_t before = static_cast<int64_t>(x) - b.xmin;
        PlotShapeList* whole = before < (static_cast<int64_t>(b.xmax) - b.xmin) / 3 ? right : left;
        if (whole) whole->AddTail(s->NewCopy());
    }
}

void PlotShapeList::DeleteDrawCrvs()
{
    DeleteWhere([](const PlotShape& s) { return !CutModeIndex::IsCutCurve(s.GetMauIndex()); });
}

void PlotShapeList::DeleteCutCrvs()
{
    DeleteWhere([](const PlotShape& s) { return CutModeIndex::IsCutCurve(s.GetMauIndex()); });
}

void PlotShapeList::SetAllToDraw()
{
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s)) s->SetPenIndex(1);
}

void PlotShapeList::DeleteDrawCrvsAndSetCutToDraw()
{
    DeleteDrawCrvs();
    SetAllToDraw();
}

template <class StyleFor>
void PlotShapeList::ReplaceByDashes(StyleFor styleFor)
{
    PlotShapeList result;
    while (PlotShape* s = HeadShape()) {
        s->GoOut();
        std::optional<DashStyle> style = styleFor(*s);
        if (!style) {
            result.AddTail(s);
            continue;
        }
        s->Dash(result, *style);
        delete s;
    }
    Append(&result);
}

void PlotShapeList::DashHalfCutShape(const DashStyle& s)
{
    ReplaceByDashes([&s](const PlotShape& shape) -> std::optional<DashStyle> {
        if (shape.GetMauIndex() != CutModeIndex::kHalfCut) return std::nullopt;
        DashStyle fitted = s;
        float length = shape.CalLength();
        if (2.0f * (s.gap + s.dash) > length) {
            float e = length / 2.0f - s.gap;
            if (s.gap < e) fitted.dash = e;
        }
        // A pattern without a positive period leaves the shape as it is.
        if (!(fitted.gap + fitted.dash > 0.0f)) return std::nullopt;
        return fitted;
    });
}

void PlotShapeList::DashCutList(const DashStyle& cut, const DashStyle& halfCut)
{
    ReplaceByDashes([&](const PlotShape& shape) -> std::optional<DashStyle> {
        unsigned char mau = shape.GetMauIndex();
        const DashStyle* style = nullptr;
        if (mau == CutModeIndex::kCut || mau == CutModeIndex::kCutAlt)
            style = &cut;
        else if (mau == CutModeIndex::kHalfCut)
            style = &halfCut;
        if (!style || !(style->gap > 0.0f && style->dash > 0.0f)) return std::nullopt;
        return *style;
    });
}
