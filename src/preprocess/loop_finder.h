// CLoopFinder: recognises the closed outlines of the pieces on a sheet of loose knife strokes
// and groups each outline with what lies inside it.
//
// A stateless operation class (made on the stack). Coordinates are plotter units (40 per mm);
// tolerances are per axis. The program's sequence: LoopGet (closed shapes), BreakAtAngle,
// LoopFinder (strokes chained end to end until they close; repeated with growing
// tolerance), FileAllLargeLoops (groups and the sheet's frame), SortPlotLoop (strips), then
// GetShapesInLoops over the groups.
#pragma once

#include "geometry/float_point.h"
#include "geometry/ol_list.h"
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class CLoopFinder {
public:
    // Outlines below this area are not pieces, square millimetres.
    static constexpr double kMinLoopAreaMm2 = 100.0;
    // Width of the search bands of LoopFinder, plotter units.
    static constexpr int32_t kBandWidth = 8000;

    // Moves every shape closed within tol, with a box of non-zero width and height and more
    // than 3 points after DeleteRepeatPoint, to loops, oriented so LoopDirection gives 0.
    void LoopGet(PlotShapeList& shapes, PlotShapeList& loops, float tol);
    // Replaces every shape by its pieces broken at corners sharper than degrees.
    void BreakAtAngle(PlotShapeList& shapes, float degrees);
    // Chains the strokes of shapes end to end (within tol) into loops of at least 100 mm²;
    // every stroke ends in loops (joined into a new shape, the strokes deleted) or in rest.
    // Shapes that are not one sub-polyline of 2 or more points go to rest untouched. The
    // int argument is not used.
    void LoopFinder(PlotShapeList& shapes, PlotShapeList& loops, PlotShapeList& rest, int32_t unused, float tol);
    // Told the round's index before each round and now and then during one; false stops.
    using RoundProceed = std::function<bool(size_t round)>;
    // LoopFinder once per tolerance in turn, each round on the strokes the round before left,
    // with the same loops and rest as those calls; the rounds end early once no stroke that
    // can join is left. False when proceed stopped them: the loops found so far are in
    // loops, every stroke not joined is in rest.
    bool LoopFinderRounds(PlotShapeList& shapes, PlotShapeList& loops, PlotShapeList& rest,
                          const std::vector<float>& tolerances, const RoundProceed& proceed);
    // Groups the loops into PlotLoops appended to groups (outermost loops with the loops inside
    // them, in nesting order); a rectangle over 95 % of all loops' bounds, tested on the first
    // outermost loop, becomes frame (in no list, the caller's). Returns 0.
    int FileAllLargeLoops(PlotShapeList& loops, OL_List& groups, PlotShape*& frame);
    // Orders the groups in strips of band millimetres from x = 0 by their right edge, each
    // strip by ascending top edge; band <= 0 keeps the order.
    void SortPlotLoop(OL_List& groups, int32_t band);
    // Joins every cluster of open strokes meeting end to end within tol into longer strokes;
    // everything moves to out and shapes is emptied. Each open stroke in list order is
    // extended forward from its end, then backward from its start, each time with the first
    // remaining stroke (in list order) that has an end within tol, until it closes.
    void CurveClusterFind(PlotShapeList& shapes, PlotShapeList& out, float tol);

    // Orientation of a loop after removing repeated points: 1 when it runs so that it must be
    // reversed, 0 when not or with at most 3 points, -1 without points.
    int LoopDirection(PlotShape* shape);
    // Orientation at the leftmost vertex of an open stroke: 0 or 1 as LoopDirection, 2 when
    // the leftmost vertex is the start (or the stroke has one point), 3 when it is the end,
    // -1 without points.
    int CalLoopDirection(PlotShape* stroke);
    // Compares the direction angles of two vectors on [-180°, 180°): 1 when a's is greater,
    // -1 when less, 0 when equal. The order: negative x axis and the zero vector, lower half,
    // positive x axis, upper half.
    static int VectorComp_N180P180(const CFloatPoint& a, const CFloatPoint& b);
};
