// Drawing of the integer polylines with the five shared pens.
#include "hpgl/binary_polyline_list.h"

#include "platform/cdc.h"
#include "plotmodel/plot_units.h"

#include <algorithm>

namespace {

// Distance of the caption marks along x: 10 cm.
constexpr int32_t kMarkIntervalUnits = 4000;
constexpr int32_t kUnitsPerCm = 400;

}  // namespace

CPen* CBinaryPolyLineList::m_penArray[5] = {
    new CPen(PS_SOLID, 1, RGB(255, 0, 0)), new CPen(PS_SOLID, 1, RGB(0, 0, 255)),
    new CPen(PS_SOLID, 1, RGB(0, 255, 0)), new CPen(PS_SOLID, 1, RGB(0, 0, 0)),
    new CPen(PS_SOLID, 1, RGB(255, 255, 0)),
};

void CBinaryPolyLineList::ReleasePen()
{
    for (CPen*& pen : m_penArray) {
        delete pen;
        pen = nullptr;
    }
}

void CPolyLine::Render(CDC* dc, float sx, float sy, int32_t height) const
{
    if (!dc || points_.empty()) return;
    auto device = [&](const CPoint& p) {
        return CPoint(TruncateToInt32(double{sx} * p.x), TruncateToInt32(double{sy} * (double{1.0} * height - p.y)));
    };
    dc->MoveTo(device(points_[0]));
    for (size_t i = 1; i < points_.size(); ++i) dc->LineTo(device(points_[i]));
}

void CPolyLine::Render(structRender1& r) const { Render(r.dc, r.scaleX, r.scaleY, r.height); }

void CBinaryPolyLineList::Render(structRender1& r)
{
    if (!r.dc) return;
    CPen* before = nullptr;
    for (CPolyLine* line = HeadLine(); line; line = LineAfter(line)) {
        // Pens above 4, and released pens, keep the pen selected before.
        CPen* pen = line->Pen() <= 4 ? m_penArray[line->Pen()] : nullptr;
        if (pen) {
            CPen* previous = r.dc->SelectObject(pen);
            if (!before) before = previous;
        }
        line->Render(r);
    }
    if (before) r.dc->SelectObject(before);
}

void CBinaryPolyLineList::Render(CDC* dc, const CRect& rect)
{
    Render(dc, rect.left, rect.top, rect.Width(), rect.Height());
}

void CBinaryPolyLineList::Render(CDC* dc, int32_t x, int32_t y, int32_t width, int32_t height, const char16_t* caption)
{
    if (!dc || width <= 0 || height <= 0) return;
    const CArea box = CalArea();
    if (box.IsInvalid()) return;
    // One scale for both axes, so that the drawing keeps its proportions.
    double w = std::max<double>(1.0, double{1.0} * box.xmax - box.xmin);
    double h = std::max<double>(1.0, double{1.0} * box.ymax - box.ymin);
    auto scale = static_cast<float>(std::min(width / w, height / h));
    structRender1 r{dc, scale, scale, box.ymax};
    // The box's upper left corner lands at (x, y) of the device.
    CPoint origin = dc->SetWindowOrg(TruncateToInt32(double{scale} * box.xmin) - x, -y);
    Render(r);
    if (caption) {
        // Each mark is numbered with its distance from the drawing's left edge in cm.
        for (int64_t at = box.xmin; at <= box.xmax; at += kMarkIntervalUnits) {
            int32_t mx = TruncateToInt32(double{scale} * at);
            dc->MoveTo(mx, 0);
            dc->LineTo(mx, TruncateToInt32(double{scale} * h));
            CString number;
            number.Format(u"%d", static_cast<int32_t>((at - box.xmin) / kUnitsPerCm));
            dc->TextOut(mx + 2, 0, number);
        }
    }
    dc->SetWindowOrg(origin);
}
