// Sheet packing: lays the boxes of several shape lists side by side on the material.
//
// Method: a skyline of vertical segments, each the free space from its level (an x) over
// [from, to) in y, ordered by y. Each list goes into the lowest segment (smallest level, the
// first on ties) when some list from the current position on is no taller than it; otherwise
// that segment merges into a neighbour and the position is tried again. With one segment left
// and still no fit, the list goes there and the level grows by its width.
// Units: plotter units (40 per mm) for boxes and the skyline, millimetres for the material
// width, square millimetres for areas. A list is placed by its cached bounds (GetArea), which
// the caller has set, possibly enlarged by the gap between lists. A placed list is shifted by
// its slot's corner (level, from), so the caller starts every box at the origin. Lists with no
// shapes or no valid box, and null lists, take no place.
//
// The work data of SetRectData is process-wide and meant for one packing at a time on one
// thread (the merge on the GUI thread).
#pragma once

#include "platform/carray.h"
#include "plotmodel/plot_shape_list.h"

#include <cstdint>

// One skyline segment (plotter units); level2 always equals level.
struct HorizontalLine {
    int32_t level = 0;   // x at which the free space starts
    int32_t from = 0;    // lower y
    int32_t level2 = 0;  // the level again
    int32_t to = 0;      // upper y
};

// Makes skyline the initial one: a single segment at level 0 over y from 0 to widthMm x 40
// (held within 32 bits).
void SetInitialSkyline(CArray<HorizontalLine>& skyline, int32_t widthMm);

// Orders lists[0..count) by box width, widest first (equal widths keep their order), then
// packs them on skyline: each list is moved to its slot and its shapes appended to out (a null
// out only moves them). The array is reordered in place. An empty skyline is taken as a
// material of width 0, so every list is laid after the one before along x.
void SortRects_LowestHorizontalLine(PlotShapeList** lists, int count, CArray<HorizontalLine>& skyline,
                                    PlotShapeList* out);

// Stores the lists, their count, the material width and the total area of the boxes that
// take place, for the genetic search. out is not kept: the result goes to the list that
// SortRect_Individual::GetResult is given.
void SetRectData(PlotShapeList** lists, int count, int32_t widthMm, PlotShapeList* out);
// Frees the work array and forgets the stored lists.
void ClearRectData();

// Packs the stored lists in the order of genes (indices into the stored array) on the initial
// skyline and returns the covered share of the used material: total area / (L x width), L the
// largest level in mm; 0 when L x width is 0 or less. With place set, each list is moved and
// appended to out; otherwise nothing is touched. Genes outside the stored lists are skipped.
double PackRectDataInOrder(const CArray<int32_t>& genes, bool place, PlotShapeList* out);
