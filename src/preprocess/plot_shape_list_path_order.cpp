// PlotShapeList::Order: loops first, then a strip and row order that keeps the knife's travel
// short.
#include "plotmodel/plot_shape_list.h"

#include "plotmodel/strip_rows.h"
#include "preprocess/photo_find_loop.h"

#include <algorithm>
#include <vector>

namespace {

// Strips and rows of the path order, plotter units (200 mm).
constexpr int64_t kOrderBand = 8000;

}  // namespace

void PlotShapeList::Order(CFloatPoint& pos)
{
    pos = CFloatPoint(0.0, 0.0);
    {
        CPhotoFindLoop engine(this);
        engine.RecognizeLoop();
        Append(&engine.Loops());
        Append(&engine.Lines());
    }
    if (Count() == 0) return;
    const int64_t top = CalArea(0).ymax;
    struct Placed {
        PlotShape* shape;
        int64_t strip;
        int64_t row;
    };
    // Strip and row are computed per shape, so shapes far apart need no walk over the empty
    // strips and rows between them; the order is the one the walk would give.
    std::vector<Placed> placed;
    for (PlotShape* s = HeadShape(); s; s = ShapeAfter(s)) {
        const CArea& a = s->GetArea();
        int64_t strip = strip_rows::FirstBandAtOrAbove(a.xmax, kOrderBand);
        int64_t row = strip % 2 == 1 ? strip_rows::FirstBandAtOrAbove(a.ymax, kOrderBand)
                                     : strip_rows::FirstBandAtOrAbove(top - a.ymin, kOrderBand);
        placed.push_back({s, strip, row});
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& l, const Placed& r) {
        return l.strip != r.strip ? l.strip < r.strip : l.row < r.row;
    });
    for (size_t i = 0; i < placed.size();) {
        PlotShapeList row;
        size_t j = i;
        for (; j < placed.size() && placed[j].strip == placed[i].strip && placed[j].row == placed[i].row; ++j) {
            placed[j].shape->GoOut();
            row.AddTail(placed[j].shape);
        }
        int fromStart = 0;
        while (PlotShape* next = row.GetClosestEndPtOfCrv(pos, fromStart)) {
            next->GoOut();
            AddTail(next);
            pos = next->End();
        }
        i = j;
    }
}
