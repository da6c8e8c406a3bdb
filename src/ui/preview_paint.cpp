// Painting the preview: list, progress or selection, frame and ruler.
#include "ui/preview_paint.h"

#include "app/string_table.h"
#include "platform/cdc.h"
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "plotmodel/render_context.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr COLORREF kSelectionColour = RGB(255, 200, 128);
constexpr COLORREF kFrameColour = RGB(0, 255, 0);
constexpr COLORREF kProgressColour = RGB(255, 0, 0);

// A logical coordinate held within the DC's 32-bit range.
int Logical(double v)
{
    if (!std::isfinite(v)) return 0;
    return static_cast<int>(std::clamp(v, -2147483647.0, 2147483647.0));
}

int Logical(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, -2147483647, 2147483647)); }

}  // namespace

CPoint PreviewWindowOrg(const PreviewMapping& m) { return {Logical(-m.originXPx), Logical(-m.originYPx)}; }

void PaintProgressLine(CDC& dc, double scalePxPerUnit, const CArea& box, double percent, COLORREF colour)
{
    const ProgressLine line = ProgressLineAt(scalePxPerUnit, box, percent);
    CPen pen(PS_SOLID, 1, colour);
    CPen* previous = dc.SelectObject(&pen);
    dc.MoveTo(Logical(line.xPx), Logical(line.topPx));
    dc.LineTo(Logical(line.xPx), Logical(line.bottomPx));
    dc.SelectObject(previous);
}

void PaintPreviewRuler(CDC& dc, const PreviewMapping& m, const CArea& box, int clientWidth)
{
    const int32_t unit = RulerUnitMm(m.scalePxPerUnit);
    CString caption;
    caption.Format(LoadResString(StringId::kRulerUnit).GetString(), unit);
    dc.TextOut(Logical(clientWidth - m.originXPx - 150), Logical(-m.originYPx), caption);
    const int64_t base = RulerBaseY(m.scalePxPerUnit, box.Height(), box.ymax);
    for (const RulerTick& tick : VisibleRulerTicks(m, box.xmax, unit, clientWidth)) {
        const int x = Logical(tick.xPx);
        dc.MoveTo(x, Logical(base));
        dc.LineTo(x, Logical(base - tick.lengthPx));
        if (!tick.labelled) continue;
        CString label;
        label.Format(u"%lld", static_cast<long long>(tick.positionMm));
        dc.TextOut(x + 1, Logical(base - 40), label);
    }
}

void PaintPreview(CDC& dc, const PreviewPicture& picture)
{
    if (!picture.shownList) return;
    const PreviewMapping& m = picture.mapping;
    const CArea& box = picture.shownList->GetArea();
    const CPoint previousOrg = dc.SetWindowOrg(PreviewWindowOrg(m));

    structRender r;
    r.dc = &dc;
    r.offsetX = m.originXPx;
    r.offsetY = m.originYPx;
    r.scale = m.scalePxPerUnit;
    r.originY = box.Height();
    const int w = Logical(box.xmax * m.scalePxPerUnit);
    const int t = Logical(box.ymax * m.scalePxPerUnit);
    const int d = Logical(m.scalePxPerUnit * box.Height());

    std::array<CPen, kPreviewPenCount> pens;
    for (int i = 0; i < kPreviewPenCount; ++i) pens[static_cast<size_t>(i)].CreatePen(PS_SOLID, 1, picture.penColours[static_cast<size_t>(i)]);
    picture.shownList->Render(r, pens.data());

    if (picture.swapped) {
        PaintProgressLine(dc, m.scalePxPerUnit, box, picture.progressPercent, kProgressColour);
        const CPoint topLeft = dc.GetWindowOrg();
        dc.TextOut(topLeft.x, topLeft.y, LoadResString(StringId::kPreviewCaption));
    } else if (picture.selection && picture.selection->GetSize() > 0) {
        CPen thick(PS_SOLID, 2, kSelectionColour);
        CPen* previous = dc.SelectObject(&thick);
        for (PlotShape* s : *picture.selection)
            if (s) s->Render(r);
        dc.SelectObject(previous);
    }

    CPen frame(PS_SOLID, 1, kFrameColour);
    CPen* previous = dc.SelectObject(&frame);
    dc.MoveTo(-1, d + 1);
    dc.LineTo(w + 1, d + 1);
    dc.LineTo(w + 1, d - t - 1);
    dc.LineTo(-1, d - t - 1);
    dc.LineTo(-1, d + 1);
    if (picture.ruler) PaintPreviewRuler(dc, m, box, picture.clientWidth);
    dc.SelectObject(previous);
    dc.SetWindowOrg(previousOrg);
}
