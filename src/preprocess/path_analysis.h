// B-spline path fitting: the corner search CPathAnalysis and the fitting entry points.
//
// Method: each polyline is broken at its true corners (turns of 90 degrees or more, turns above
// largeTurn, and isolated or deep turns between smallTurn and largeTurn); each piece is
// rebuilt as a clamped cubic B-spline over a control polygon of its vertices, segment
// midpoints and, at sharp turns, two points that pull the curve into the corner; the curve is
// sampled again within a distance tolerance. Off the fitting path, the section scanners cut a
// polyline into straight sections, hold up to five of them in a ring, class the turns between
// neighbours and group them into lines and curves. Units: plotter units (40 per mm), angles in
// degrees where the fields say so. Preconditions: none; repeated points are passed over.
#pragma once

#include "geometry/float_point.h"
#include "geometry/ol_bspline.h"
#include "platform/carray.h"

#include <cstdint>
#include <vector>

class PlotShape;
class PlotShapeList;

// A straight section found by the section scanners.
struct LINE_SECTION_V1 {
    int32_t first = 0;        // first vertex index
    int32_t last = 0;         // last vertex index
    float dx = 0.0f;          // unit chord direction first -> last ((0, 0) without length)
    float dy = 0.0f;
    float lengthUnits = 0.0f; // chord length
    int32_t turnToNext = 0;   // a SectionTurn, set by AngleScanArray
};

// How a ring section's direction changes to the next one's.
enum SectionTurn : int32_t {
    kSectionSameLine = 0,  // under 3.5 degrees
    kSectionBend = 1,      // from 3.5 up to 80 degrees
    kSectionCorner = 2,    // 80 degrees or more
    kSectionEnd = 3,       // no next section
};

// A curve section grouped from ring sections.
struct SECTION {
    int32_t first = 0;        // first vertex index
    int32_t last = 0;         // last vertex index
    int32_t kind = 0;         // 0 line, 1 curve, 2 short stroke between corners
    float lengthUnits = 0.0f; // sum of its sections' chord lengths
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
    // Fills *section with the straight section that starts at vertex i (GetNextLine's run,
    // continued across the axis change at a diagonal); its last vertex, -1 when none starts there.
    int GetNextLineSection(int i, LINE_SECTION_V1* section) const;
    // Tops the ring up with the sections that follow the cursor (at most five stand in it);
    // the number standing, -1 when the ring is empty and no further section exists.
    int FillArray();
    // Sets turnToNext of every ring section but the last from its direction and the next one's.
    void AngleScanArray();
    // Takes the next curve section off the ring into *section; 0 at the end of the polyline.
    int GetNextCrvSection(SECTION* section);
    // Appends every curve section from the cursor on as a shape of its points, PenIndex 3,
    // 4 or 5 by kind (line, curve, short); their number.
    int GetSectPoint(PlotShapeList* out);
    // Writes the first point and the last point of every straight section of the polyline
    // into shape as one new sub-polyline; the number of points written.
    int GetShapePoint(PlotShape* shape) const;
    // The earlier break search, with GetNextBreakPoint_t's contract.
    int GetNextBreakPoint(int start) const;

    LINE_SECTION_V1 sections[6] = {};
    uint8_t ringHead = 0;
    uint8_t ringTail = 0;
    // Lower and upper corner angles, degrees.
    float smallTurn = 45.0f;
    float largeTurn = 80.0f;
    float* points = nullptr;
    int32_t count = 0;
    int32_t cursor = 0;

private:
    int RingSize() const;
};

// Appends the pieces of every sub-polyline of shape to out: the source's attributes with
// colour 0, else PenIndex 3, 4, 3, 4, ... in turn. Angles in degrees.
void ShapeBreak(PlotShape* shape, PlotShapeList* out, float smallTurn, float largeTurn, int colour);
// The working arrays of fitting: the distinct points and control polygon of a piece, its
// curve and the fitted records. A caller that fits many pieces keeps one set for all of them,
// so that a piece allocates nothing its predecessors did not already need.
struct CurveFitBuffers {
    std::vector<CFloatPoint> points;
    CArray<OL_2dFloatPoint> controls;
    OL_BSpline curve;
    // Four floats a record: x, y, direction, cumulative length.
    std::vector<float> records;
};

// Builds the fitted records (x, y, direction, cumulative length) of one piece into
// buffers.records; their number, 0 when count < 2.
int CalPathInfo1(CurveFitBuffers& buffers, int count, const float* points, float corner, float tolerance);
// Appends the fitted replacement of shape to out, one shape per piece with the source's
// attributes and bounds; shape is not changed. The same as BreakForFit, then FitPiece of
// every piece in order: the pieces of one shape may be fitted apart.
void BsplineFit(PlotShape* shape, PlotShapeList* out);
// Appends the pieces BsplineFit fits to pieces: shape broken at its corners, each piece with
// the shape's attributes.
void BreakForFit(PlotShape* shape, PlotShapeList* pieces);
// Moves one piece of BreakForFit (one sub-polyline with its shape's attributes) from its list
// to the tail of out, its points replaced by the fitted curve and its bounds recomputed; a
// piece with no curve to fit moves as it stands. buffers are the caller's working arrays,
// reused from piece to piece.
void FitPiece(PlotShape* piece, PlotShapeList* out, CurveFitBuffers& buffers);
