// Drawing a shape list in one pen, for the page and pen lists' previews.
#pragma once

#include "platform/cdc.h"
#include "plotmodel/plot_shape_list.h"

// Selects pen and draws every shape of list; the first pen selected through this call gives
// back in previous the DC's pen from before (for the caller to select again at the end).
inline void RenderListInPen(const PlotShapeList& list, structRender& r, CPen& pen, CPen*& previous)
{
    if (!r.dc) return;
    CPen* before = r.dc->SelectObject(&pen);
    if (!previous) previous = before;
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) s->Render(r);
}
