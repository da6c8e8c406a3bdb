// ShapeBoxIndex: the shapes of one list filed by their cached boxes in a grid of cells, so the
// shapes whose box meets an area are found without visiting the others, in list order.
//
// The index is made once over the list as it stands, with a copy of every shape's box; shapes
// taken through it leave the list, and the list must not gain or lose shapes otherwise, nor
// its shapes change their boxes, while the index is used. Cells are
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
        Meeting(area, candidates_);
        for (uint32_t i : candidates_)
            if (take(*shapes_[i])) MoveOut(i, to);
    }

    // The places (list positions when the index was made), ascending, of the shapes still in
    // the list whose box meets area, into places. Reads the index only: several threads may
    // ask at once while no shape is moved.
    void Meeting(const CArea& area, std::vector<uint32_t>& places) const;
    uint32_t Size() const { return static_cast<uint32_t>(shapes_.size()); }
    const PlotShape& Shape(uint32_t place) const { return *shapes_[place]; }
    const CArea& Box(uint32_t place) const { return boxes_[place]; }
    bool Moved(uint32_t place) const { return gone_[place]; }
    // Moves the shape at place, still in the list, to the end of to.
    void MoveOut(uint32_t place, PlotShapeList& to);

private:
    int64_t CellX(int64_t x) const;
    int64_t CellY(int64_t y) const;

    std::vector<PlotShape*> shapes_;
    std::vector<CArea> boxes_;
    std::vector<bool> gone_;
    std::vector<uint32_t> aside_;
    // Cell (cx, cy) holds the places cellStart_[k] .. cellStart_[k + 1] of cellItems_, k =
    // cy × columns_ + cx.
    std::vector<uint32_t> cellStart_;
    std::vector<uint32_t> cellItems_;
    int64_t x0_ = 0, y0_ = 0, cell_ = 1, columns_ = 0, rows_ = 0;
    // The places MoveMeeting works through, kept for the next query.
    std::vector<uint32_t> candidates_;
};
