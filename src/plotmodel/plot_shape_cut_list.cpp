// PlotShapeCutList: set-up, shape cursor, progress, preview drawing and the cut/draw shifts.
#include "plotmodel/plot_shape_cut_list.h"

#include "platform/cdc.h"

#include <array>

namespace {

// Preview pen of a shape among the caller's 12: by cut mode, then class, then pen number.
int PreviewPenIndex(const PlotShape& s)
{
    unsigned char mau = s.GetMauIndex();
    if (mau >= 1 && mau <= 4) return mau + 7;
    if (mau == CutModeIndex::kFourthDepth) return 9;
    unsigned char rec = s.GetRecIndex();
    if (rec >= 1 && rec <= 4) return rec + 7;
    short pen = s.GetPenIndex();
    if (pen >= 1 && pen <= 8) return pen - 1;
    return 0;
}

// Tool role of a shape under the pen-mode settings: by cut mode 1..6, else by its pen's role.
int PreviewRole(const PlotShape& s, const PenModeSettings& settings)
{
    unsigned char mau = s.GetMauIndex();
    if (mau >= 1 && mau <= kPenModeRoleCount) return mau - 1;
    short pen = s.GetPenIndex();
    if (pen < 0 || pen >= kPenModePenCount) return 0;
    int role = settings.penRole[pen];
    return role < kPenModeRoleCount ? role : 0;
}

// Draws every shape with pens[choose(shape)], selecting only on a change; the DC's previous
// pen is selected again at the end, so the caller's or our own pens are left unselected.
template <class Choose>
void RenderWithPens(const PlotShapeList& list, structRender& r, CPen* pens, Choose choose)
{
    if (!r.dc || !pens) return;
    CPen* previous = nullptr;
    bool selectedAny = false;
    int chosen = -1;
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) {
        int pen = choose(*s);
        if (pen != chosen) {
            CPen* before = r.dc->SelectObject(&pens[pen]);
            if (!selectedAny) previous = before;
            selectedAny = true;
            chosen = pen;
        }
        s->Render(r);
    }
    if (previous) r.dc->SelectObject(previous);
}

}  // namespace

PlotShapeCutList& PlotShapeCutList::operator=(const PlotShapeCutList& other)
{
    if (this == &other) return *this;
    PlotShapeList::operator=(other);
    // The copy deleted the shapes the cursor pointed into: the cursor keeps its other fields
    // but starts on no shape, so no call reads a deleted shape.
    currentShape_ = nullptr;
    pointIndex_ = 0;
    hint_.Reset();
    return *this;
}

void PlotShapeCutList::InitPrint(int d1, int d2, int d3, int d4)
{
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s)) s->AllocZLen();
    firstDepth_ = d1;
    secondDepth_ = d2;
    thirdDepth_ = d3;
    fourthDepth_ = d4;
    currentShape_ = nullptr;
    hint_.Reset();
    pointIndex_ = 0;
    currentDepth_ = 0;
    resumePulses_ = 0;
    curveOrdinal_ = 0;
    started_ = 0;
    finished_ = 0;
    curveTotal_ = Count();
}

int PlotShapeCutList::ResumePrint(int32_t pulses)
{
    resumePulses_ = pulses;
    return 1;
}

float PlotShapeCutList::GetPercentage() const
{
    if (curveTotal_ <= 0) return 0.0f;
    return static_cast<float>(curveOrdinal_) / static_cast<float>(curveTotal_);
}

// Shapes without points are passed over here, so that no walk takes the (0, 0) that an empty
// shape reports as its point for a place to travel to.
PlotShape* PlotShapeCutList::GetFirstShape()
{
    curveOrdinal_ = 1;
    PlotShape* s = HeadShape();
    while (s && s->GetTolPtNum() <= 0) {
        s = ShapeAfter(s);
        ++curveOrdinal_;
    }
    currentShape_ = s;
    hint_.Reset();
    return s;
}

PlotShape* PlotShapeCutList::GetNextShape()
{
    ++curveOrdinal_;
    PlotShape* s = currentShape_ ? ShapeAfter(currentShape_) : nullptr;
    while (s && s->GetTolPtNum() <= 0) {
        s = ShapeAfter(s);
        ++curveOrdinal_;
    }
    currentShape_ = s;
    hint_.Reset();
    return s;
}

PlotShape* PlotShapeCutList::ShapeWithPointsAfter(PlotShape* s) const
{
    PlotShape* n = ShapeAfter(s);
    while (n && n->GetTolPtNum() <= 0) n = ShapeAfter(n);
    return n;
}

void PlotShapeCutList::SetHeadPosition(int32_t x, int32_t y, int32_t depth)
{
    headX_ = x;
    headY_ = y;
    initialDepth_ = depth;
}

void PlotShapeCutList::SetReportedPosition(int32_t x, int32_t y, int32_t depth)
{
    reportedX_ = x;
    reportedY_ = y;
    reportedDepth_ = depth;
}

void PlotShapeCutList::Render(structRender& r, CPen* pens) const
{
    RenderWithPens(*this, r, pens, PreviewPenIndex);
}

void PlotShapeCutList::Render(structRender& r, const PenModeSettings& settings, int flag) const
{
    if (!r.dc) return;
    if (flag) {
        std::array<CPen, kPenModePenCount> pens;
        for (int i = 0; i < kPenModePenCount; ++i) pens[i].CreatePen(PS_SOLID, 1, settings.penColor[i]);
        RenderWithPens(*this, r, pens.data(), [](const PlotShape& s) {
            short pen = s.GetPenIndex();
            return pen >= 0 && pen < kPenModePenCount ? static_cast<int>(pen) : 0;
        });
    } else {
        std::array<CPen, kPenModeRoleCount> pens;
        for (int i = 0; i < kPenModeRoleCount; ++i) pens[i].CreatePen(PS_SOLID, 1, settings.roleColor[i]);
        RenderWithPens(*this, r, pens.data(), [&settings](const PlotShape& s) { return PreviewRole(s, settings); });
    }
}

void PlotShapeCutList::MoveCutList(int32_t dx, int32_t dy)
{
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s))
        if (CutModeIndex::IsCutCurve(s->GetMauIndex())) s->Move(static_cast<float>(dx), static_cast<float>(dy));
}

void PlotShapeCutList::MoveDrawList(int32_t dx, int32_t dy)
{
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s))
        if (!CutModeIndex::IsCutCurve(s->GetMauIndex())) s->Move(static_cast<float>(dx), static_cast<float>(dy));
}
