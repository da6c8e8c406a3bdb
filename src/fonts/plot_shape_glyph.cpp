// PlotShape::Append for glyphs: text laid out by the font tables becomes shape geometry.
#include "fonts/plot_char.h"
#include "plotmodel/plot_shape.h"

void PlotShape::Append(const PlotChar& glyph)
{
    if (glyph.GetPlNum() > 0 && CheckPlBuf(glyph.GetPlNum()) && CheckPtBuf(glyph.GetTolPtNum())) {
        // The polylines lie back to back: one pass over the buffer, whatever their number.
        int32_t ignored = 0;
        const float* p = glyph.GetPl(0, ignored);
        for (int i = 0; i < glyph.GetPlNum(); ++i) {
            const int32_t count = glyph.GetPlPtNum(i);
            for (int32_t k = 0; k < count; ++k) AddPoint(p[2 * k], p[2 * k + 1], k == 0);
            p += 2 * count;
        }
    }
    CalArea();
}
