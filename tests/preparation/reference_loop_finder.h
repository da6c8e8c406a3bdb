// The loop finder's round as one call per tolerance made it, for the tests to compare with.
#pragma once

#include "plotmodel/plot_shape_list.h"
#include "preprocess/loop_finder.h"

namespace corvane_test {

// CLoopFinder::LoopFinder as it was: the same contract, computed by moving the strokes
// between lists and filing their ends in a grid made for this call.
void ReferenceLoopFinder(CLoopFinder& finder, PlotShapeList& shapes, PlotShapeList& loops, PlotShapeList& rest,
                         float tol);

}  // namespace corvane_test
