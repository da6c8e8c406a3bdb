// B-spline path fitting: the corner search CPathAnalysis and the fitting entry points.
//
// Method: each polyline is broken at its true corners (turns of 90 degrees or more, turns above
// largeTurn, and isolated or deep turns between smallTurn and largeTurn); each piece is
// rebuilt as a clamped cubic B-spline over a control polygon of its vertices, segment
// midpoints and, at sharp turns, two points that pull the curve into the corner; the curve is
// sampled again within a distance tolerance. Units: plotter units (40 per mm), angles in
// degrees where the fields say so. Preconditions: none; repeated points are passed over.
#pragma once

#include <cstdint>

class PlotShape;
class PlotShapeList;

// A straight section found by the section scanners: its first and last vertex index.
struct LINE_SECTION_V1 {
    int32_t first = 0;
    int32_t last = 0;
};

class CPathAnalysis {
public:
    // Attaches a polyline of count (x, y) pairs (not owned); resets the cursor and the ring.
    void SetCrv(float* points, int count);
    // Appends one new shape per piece (both break vertices included) to out, with its bounds.
    void CurveSplit(PlotShapeList* out);
    // The index where the piece that begins at start ends; -1 when start >= count - 1.
    int GetNextBreakPoint_t(int start) const;
    // End index of the straight run that starts at vertex i, walking forwards / backwards;
    // -1 when i is out of range or has no segment that way.
    int GetNextLine(int i) const;
    int GetPresLine(int i) const;

    LINE_SECTION_V1 sections[6] = {};
    uint8_t ringHead = 0;
    uint8_t ringTail = 0;
    // Lower and upper corner angles, degrees.
    float smallTurn = 45.0f;
    float largeTurn = 80.0f;
    float* points = nullptr;
    int32_t count = 0;
    int32_t cursor = 0;
};

// Appends the pieces of every sub-polyline of shape to out: the source's attributes with
// colour 0, else PenIndex 3, 4, 3, 4, ... in turn. Angles in degrees.
void ShapeBreak(PlotShape* shape, PlotShapeList* out, float smallTurn, float largeTurn, int colour);
// Builds the fitted records (x, y, direction, cumulative length) of one piece into records
// (malloc'ed, freed by the caller with free); their number, 0 when count < 2.
int CalPathInfo1(float*& records, int count, const float* points, float corner, float tolerance);
// Appends the fitted replacement of shape to out, one shape per piece with the source's
// attributes and bounds; shape is not changed.
void BsplineFit(PlotShape* shape, PlotShapeList* out);
