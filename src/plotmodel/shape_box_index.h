// ShapeBoxIndex: the shapes of one list filed by their cached boxes in a grid of cells, so the
// shapes whose box meets an area are found without visiting the others, in list order.
//
// The index is made once over the list as it stands; shapes taken through it leave the list,
// and the list must not gain or lose shapes otherwise while the index is used. Cells are
// square, sized so that the list's bounds hold about one shape per cell; a shape whose box
// spans more than kMaxCellsPerShape cells (or whose box is invalid) is kept aside and offered
// to every query. Units: plotter units.
#pragma once

#include "geometry/ol_box.h"
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"

#include <cstdint>
#include <vector>

class ShapeBoxIndex {
public:
    static constexpr int64_t kMaxCellsPerShape = 64;

    explicit ShapeBoxIndex(const PlotShapeList& list);

    // Moves to the end of to, in list order, every shape still in the list whose box meets
    // area (CArea::IsIntersectWith) and for which take(shape) holds.
    template <class Pred>
    void MoveMeeting(const CArea& area, PlotShapeList& to, Pred take)
    {
        Candidates(area);
        for (uint32_t i : candidates_) {
            PlotShape* s = shapes_[i];
            if (!s->GetArea().IsIntersectWith(area) || !take(*s)) continue;
            gone_[i] = true;
            s->GoOut();
            to.AddTail(s);
        }
    }

private:
    // The places of the shapes still filed in the cells area meets, and the aside ones,
    // ascending, into candidates_.
    void Candidates(const CArea& area);
    int64_t CellX(int64_t x) const;
    int64_t CellY(int64_t y) const;

    std::vector<PlotShape*> shapes_;
    std::vector<bool> gone_;
    std::vector<uint32_t> aside_;
    // Cell (cx, cy) holds the places cellStart_[k] .. cellStart_[k + 1] of cellItems_, k =
    // cy × columns_ + cx.
    std::vector<uint32_t> cellStart_;
    std::vector<uint32_t> cellItems_;
    int64_t x0_ = 0, y0_ = 0, cell_ = 1, columns_ = 0, rows_ = 0;
    std::vector<uint32_t> candidates_;
};
