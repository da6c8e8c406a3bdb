// The chord walk of knife compensation, shared by the program's form and its earlier variants.
#pragma once

#include "geometry/float_point.h"

#include <numbers>

class PlotShape;
class PlotShapeList;

namespace preprocess {

// A turn sharper than this from the knife direction needs a turning piece (radians).
constexpr double kCornerAngle = std::numbers::pi / 7.8;

// How the walk cuts its chords.
struct ChordWalkOptions {
    // Over-cuts in units: the turn happens leadUnits before a corner, every cut piece runs
    // tailUnits past its end.
    double leadUnits = 0.0;
    double tailUnits = 0.0;
    // An arc chord is entered at the point of the line one offset from its start and then
    // followed on the line; without it an arc is cut as an offset run.
    bool arcEntryPoint = true;
    // The corner angle of chords cut as offset runs (short straight, wavy), radians.
    double offsetRunCornerAngle = kCornerAngle;
};

// Appends the holder path of every sub-polyline of source to out (cut pieces with source's
// attributes, turning pieces of MauIndex 130); dir is the running knife direction (updated).
// A negative or non-finite offset counts as 0; repeated points are passed over.
void CompensateByChords(const PlotShape& source, PlotShapeList& out, float offset, CFloatPoint& dir,
                        const ChordWalkOptions& options);

}  // namespace preprocess
