// OL_Selection: box and point picking, the choice menu, and the highlight drawing.
#include "plotmodel/ol_selection.h"

#include "geometry/int_truncation.h"
#include "platform/cdc.h"
#include "platform/cwnd.h"
#include "platform/popup_menu.h"

#include <algorithm>
#include <cmath>

namespace {

// Half the side of the click box, pixels.
constexpr int kClickHalfSide = 4;

// A scale of 0 or one that is not finite would map every point to an infinity or NaN: such
// a scale counts as 1.0.
double UsableScale(double scale) { return std::isfinite(scale) && scale != 0.0 ? scale : 1.0; }

}  // namespace

OL_Selection::OL_Selection(double originX, double originY, double scale, int32_t yOffset, CWnd* owner)
    : originX_(originX), originY_(originY), scale_(UsableScale(scale)), yOffset_(yOffset), owner_(owner)
{
}

void OL_Selection::Initialize(double originX, double originY, double scale, int32_t yOffset, CWnd* owner)
{
    originX_ = originX;
    originY_ = originY;
    scale_ = UsableScale(scale);
    yOffset_ = yOffset;
    owner_ = owner;
    hits_.RemoveAll();
    chosen_ = -1;
}

void OL_Selection::TransCoordinate(const CPoint client, CFloatPoint& plot) const
{
    plot.x = (client.x - originX_) / scale_;
    plot.y = (originY_ - client.y) / scale_ + yOffset_;
}

void OL_Selection::CalBox(const CFloatPoint& a, const CFloatPoint& b, OL_Box& box)
{
    box.xmin = std::min(a.x, b.x);
    box.ymin = std::min(a.y, b.y);
    box.xmax = std::max(a.x, b.x);
    box.ymax = std::max(a.y, b.y);
}

int OL_Selection::BoxSelection(const CPoint corner1, const CPoint corner2, PlotShapeList& list)
{
    CFloatPoint a, b;
    TransCoordinate(corner1, a);
    TransCoordinate(corner2, b);
    OL_Box box;
    CalBox(a, b, box);
    hits_.RemoveAll();
    // A new set of hits has no chosen one yet: an index kept from the last set would name
    // an unrelated shape.
    chosen_ = -1;
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s))
        if (s->IsIntersectWithBox(box)) hits_.Add(s);
    return hits_.GetSize();
}

int OL_Selection::PointSelection(const CPoint client, PlotShapeList& list)
{
    int n = BoxSelection(CPoint(client.x - kClickHalfSide, client.y - kClickHalfSide),
                         CPoint(client.x + kClickHalfSide, client.y + kClickHalfSide), list);
    if (n <= 1) return 0;
    // The menu lists the first kMaxListed hits, so its ids never reach the program's own
    // command ids; "None" follows them.
    int listed = std::min(n, kMaxListed);
    CMenu menu;
    menu.CreatePopupMenu();
    for (int i = 0; i < listed; ++i) {
        CString text;
        text.Format(u"Object%d", i);
        menu.AppendMenu(MF_STRING, kFirstCommand + static_cast<UINT>(i), text);
    }
    menu.AppendMenu(MF_STRING, kFirstCommand + static_cast<UINT>(listed), CString(u"None"));
    CPoint at;
    GetCursorPos(&at);
    menu.TrackPopupMenu(0, at.x, at.y, owner_);
    menu.DestroyMenu();
    return 0;
}

PlotShape* OL_Selection::GetSelShape() const
{
    if (hits_.GetSize() == 1) return hits_[0];
    return IsValidIndex(chosen_) ? hits_[chosen_] : nullptr;
}

void OL_Selection::DrawHit(int index, structRender& render, COLORREF colour) const
{
    if (!render.dc || !IsValidIndex(index)) return;
    CPen pen(PS_SOLID, 1, colour);
    CPoint oldOrigin = render.dc->SetWindowOrg(TruncateToInt32(-render.offsetX), TruncateToInt32(-render.offsetY));
    CPen* oldPen = render.dc->SelectObject(&pen);
    hits_[index]->Render(render);
    render.dc->SelectObject(oldPen);
    render.dc->SetWindowOrg(oldOrigin);
    pen.DeleteObject();
}

void OL_Selection::DynamicSel(int index, structRender& render, COLORREF colour)
{
    if (index == chosen_) return;
    DrawHit(chosen_, render, colour);
    DrawHit(index, render, kHighlight);
    chosen_ = index;
}

void OL_Selection::Render(structRender& render) const
{
    if (!render.dc) return;
    CPen pen(PS_SOLID, 1, kHighlight);
    CPen* oldPen = render.dc->SelectObject(&pen);
    for (PlotShape* s : hits_) s->Render(render);
    render.dc->SelectObject(oldPen);
    pen.DeleteObject();
}
