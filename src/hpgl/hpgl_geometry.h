// Geometry shared by the HPGL explainers: the pen motion of PU, PD, PA and PR, the chords of
// circles and arcs, labels laid out in a vector font, and the parameters of a command.
//
// Units: plotter units (40 per mm, PlotUnitsPerMm); angles in radians unless named degrees.
// Circles and arcs are cut into chords of about chordFactor millimetres. The number of chords
// is capped (kMaxCircleSegmentsPerQuarter, kMaxArcChords) so that a wild radius or sweep
// never allocates without bound; every circle or arc of up to 10 m radius over a turn stays
// below the caps and gets exactly the chords of the uncapped rule. Geometry whose points
// would not be finite floats is refused (the functions return false and add nothing).
#pragma once

#include "hpgl/hpgl_analyzer.h"
#include "platform/carray.h"
#include "platform/cstring.h"
#include "platform/number_parse.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

class PlotChar;
class PlotFontLib;
class PlotShape;

constexpr float PlotUnitsPerMm = 40.0f;

namespace hpgl_geometry {

constexpr int32_t kMaxCircleSegmentsPerQuarter = 16384;
constexpr int32_t kMaxArcChords = 65536;

// Chords per quarter turn of a circle: 1 + trunc((π/2) / (40 chordFactor / r)), at least
// minimum, at most kMaxCircleSegmentsPerQuarter.
int32_t CircleSegmentsPerQuarter(double radius, float chordFactor, int32_t minimum);

// Appends the 4a + 1 points of the circle about (cx, cy) to shape: (cx + r, cy), the point
// at each multiple of the step (π/2)/a, accumulated in float, and (cx + r, cy) again.
// False, and nothing added, when a radius is not positive or a point would not be finite.
bool AddCirclePoints(PlotShape& shape, float cx, float cy, float radius, int32_t segmentsPerQuarter);

// The chords of an arc about a centre: chords steps of step radians from the start angle.
struct ArcPlan {
    float centreX = 0.0f;
    float centreY = 0.0f;
    double radius = 0.0;
    double start = 0.0;
    double step = 0.0;
    int32_t chords = 0;
};

// Plans the arc from the pen about the centre by sweepDegrees (the chord rule of
// AddArcPoints); false for non-finite input.
bool PlanArc(float penX, float penY, float centreX, float centreY, float sweepDegrees, float chordFactor, ArcPlan& plan);
// The end of chord k (1 to plan.chords) of a planned arc.
void ArcPoint(const ArcPlan& plan, int32_t k, float& x, float& y);

// Appends an arc from the pen about the centre by sweepDegrees: the pen, then
// trunc(|sweep| / (40 chordFactor / R)) + 1 chord ends on the circle of radius R = |pen - centre|.
// endX / endY receive the last point. False, and nothing added, for non-finite input.
bool AddArcPoints(PlotShape& shape, float penX, float penY, float centreX, float centreY, float sweepDegrees,
                  float chordFactor, float& endX, float& endY);

// Lays text out in font, turns it about (0, 0) by the direction (run, rise) (none for the
// zero direction), scales it so that the font's character box becomes widthCm × heightCm
// centimetres times labelScale, and moves it to the pen. False, with out untouched, when the
// font's box is empty or has no width or height.
bool LayOutLabel(const PlotFontLib& font, const CStringA& text, float run, float rise, float widthCm,
                 float heightCm, float labelScale, float penX, float penY, PlotChar& out);

// Calls visit(x, y, pairsLeft) for the target of each of the count / 2 pairs of values (x, y,
// x, y, ...): the pair itself, or in relative mode the pair added to the pen position as it
// stands at that moment (visit may move the pen); pairsLeft counts this pair and the ones
// after it. A target beyond the float range is skipped, since no pen can go there.
template <class Visit>
void VisitTargets(const float* values, int32_t count, bool relative, const float& penX, const float& penY, Visit visit)
{
    for (int32_t i = 0; i + 1 < count; i += 2) {
        float tx = relative ? penX + values[i] : values[i];
        float ty = relative ? penY + values[i + 1] : values[i + 1];
        if (std::isfinite(tx) && std::isfinite(ty)) visit(tx, ty, (count - i) / 2);
    }
}

// Runs a pen-motion command, code HPGL_PU, HPGL_PD, HPGL_PA or HPGL_PR: PU and PD lift and
// lower the pen, PA and PR select absolute and relative mode; then with the pen up the pen
// moves through the targets of the pairs (the analyzer's pair values of the command), and with
// it down lineTo(x, y, pairsLeft) draws to each.
template <class Relative, class LineTo>
void MovePen(int code, const HpglAnalyzer& analyzer, unsigned char& penDown, Relative& relative, float& penX,
             float& penY, LineTo lineTo)
{
    switch (code) {
    case HPGL_PU: penDown = 0; break;
    case HPGL_PD: penDown = 1; break;
    case HPGL_PA: relative = 0; break;
    case HPGL_PR: relative = 1; break;
    default: return;
    }
    int32_t count = 0;
    const float* values = analyzer.GetPairValues(count);
    if (penDown) {
        VisitTargets(values, count, relative != 0, penX, penY, lineTo);
        return;
    }
    VisitTargets(values, count, relative != 0, penX, penY, [&penX, &penY](float x, float y, int32_t) {
        penX = x;
        penY = y;
    });
}

// The pen of an explainer: position, lowered or not, relative mode or not.
struct PenState {
    float x = 0.0f;
    float y = 0.0f;
    unsigned char down = 0;
    unsigned char relative = 0;
};

// A lower bound of the points an explainer makes from the commands after analyzer's read
// position on, the pen standing at pen: every circle and arc exactly as the explainers
// charge them (circles of at least minimumQuarterSegments per quarter), one per pen-down
// segment, none for labels. Counting stops once the bound exceeds enough. An explainer
// that has made many curve points asks this once, to refuse a file that cannot stay
// within its point budget before it makes the points.
int64_t PointsAheadAtLeast(const HpglAnalyzer& analyzer, PenState pen, float chordFactor,
                           int32_t minimumQuarterSegments, int64_t enough);

// Curve points after which an explainer counts the rest of its file (PointsAheadAtLeast).
constexpr int64_t kCurvePointsBeforeLookAhead = int64_t{1} << 20;

// The first parameter read as atoi / atof, from the third character of the command text.
int32_t FirstInteger(const CStringA& command);
float FirstNumber(const CStringA& command);

}  // namespace hpgl_geometry
