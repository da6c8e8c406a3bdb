// Circles, arcs and labels of the HPGL explainers, with the chord caps and finiteness checks.
#include "hpgl/hpgl_geometry.h"

#include "fonts/plot_char.h"
#include "fonts/plot_font_lib.h"
#include "geometry/float_point.h"
#include "platform/number_parse.h"
#include "plotmodel/plot_shape.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <numbers>
#include <string_view>
#include <vector>

namespace hpgl_geometry {

namespace {

constexpr double kHalfPi = std::numbers::pi / 2.0;

// True when every point within radius of (x, y) is a finite float.
bool FitsFloat(double x, double y, double radius)
{
    return std::isfinite(x) && std::isfinite(y) && std::isfinite(radius) && std::fabs(x) + radius <= FLT_MAX &&
           std::fabs(y) + radius <= FLT_MAX;
}

}  // namespace

int32_t CircleSegmentsPerQuarter(double radius, float chordFactor, int32_t minimum)
{
    // Evaluated in the order of the chord rule, (π/2) / (40 f / r), so that counts landing on a
    // whole number come out as that rule gives them.
    double quarter = kHalfPi / (double{PlotUnitsPerMm} * chordFactor / radius);
    int32_t a = quarter < kMaxCircleSegmentsPerQuarter ? 1 + static_cast<int32_t>(quarter) : kMaxCircleSegmentsPerQuarter;
    return std::clamp(a, std::min(minimum, kMaxCircleSegmentsPerQuarter), kMaxCircleSegmentsPerQuarter);
}

bool AddCirclePoints(PlotShape& shape, float cx, float cy, float radius, int32_t a)
{
    if (!(radius > 0.0f) || a < 1 || !FitsFloat(cx, cy, radius)) return false;
    const int32_t points = 4 * a + 1;
    if (!shape.ReserveExactly(1, points)) return false;
    // The cosines and sines depend on a alone: files draw many circles of one size (holes,
    // marks), so the last table is kept per thread and reused.
    thread_local std::vector<double> unitCircle;  // cos, sin of each step's angle
    thread_local int32_t unitCircleSegments = 0;
    if (unitCircleSegments != a) {
        unitCircle.resize(2 * static_cast<size_t>(4 * a));
        const float step = static_cast<float>(kHalfPi / a);
        float angle = 0.0f;
        for (int32_t k = 1; k < 4 * a; ++k) {
            angle += step;
            unitCircle[2 * static_cast<size_t>(k)] = std::cos(double{angle});
            unitCircle[2 * static_cast<size_t>(k) + 1] = std::sin(double{angle});
        }
        unitCircleSegments = a;
    }
    shape.AddPoint(cx + radius, cy, 1);
    for (int32_t k = 1; k < 4 * a; ++k)
        shape.AddPointAtLastPl(static_cast<float>(cx + radius * unitCircle[2 * static_cast<size_t>(k)]),
                               static_cast<float>(cy + radius * unitCircle[2 * static_cast<size_t>(k) + 1]));
    shape.AddPointAtLastPl(cx + radius, cy);
    return true;
}

bool PlanArc(float penX, float penY, float centreX, float centreY, float sweepDegrees, float chordFactor, ArcPlan& plan)
{
    const C2dVector fromCentre(double{penX} - centreX, double{penY} - centreY);
    plan.radius = fromCentre.Mod();
    if (!std::isfinite(sweepDegrees) || !FitsFloat(centreX, centreY, plan.radius)) return false;
    const float sweep = static_cast<float>(sweepDegrees * std::numbers::pi / 180.0);
    const double chords = std::fabs(double{sweep}) / (double{PlotUnitsPerMm} * chordFactor / plan.radius);
    plan.chords = chords < kMaxArcChords - 1 ? static_cast<int32_t>(chords) + 1 : kMaxArcChords;
    plan.step = double{sweep} / plan.chords;
    plan.start = fromCentre.Angle();
    plan.centreX = centreX;
    plan.centreY = centreY;
    return true;
}

void ArcPoint(const ArcPlan& plan, int32_t k, float& x, float& y)
{
    const double angle = plan.start + k * plan.step;
    x = static_cast<float>(plan.centreX + plan.radius * std::cos(angle));
    y = static_cast<float>(plan.centreY + plan.radius * std::sin(angle));
}

bool AddArcPoints(PlotShape& shape, float penX, float penY, float centreX, float centreY, float sweepDegrees,
                  float chordFactor, float& endX, float& endY)
{
    ArcPlan plan;
    if (!PlanArc(penX, penY, centreX, centreY, sweepDegrees, chordFactor, plan)) return false;
    if (!shape.ReserveExactly(1, plan.chords + 1)) return false;
    shape.AddPoint(penX, penY, 1);
    endX = penX;
    endY = penY;
    for (int32_t k = 1; k <= plan.chords; ++k) {
        ArcPoint(plan, k, endX, endY);
        shape.AddPointAtLastPl(endX, endY);
    }
    return true;
}

int64_t PointsAheadAtLeast(const HpglAnalyzer& analyzer, PenState pen, float chordFactor,
                           int32_t minimumQuarterSegments, int64_t enough)
{
    HpglAnalyzer ahead;
    ahead.AttachRest(analyzer);
    ahead.SetPairTextWanted(false);
    CStringA command;
    int labelLength = 0;
    int64_t points = 0;
    for (int code = ahead.GetFirstCode(command, labelLength); code != HPGL_END_OF_DATA && points <= enough;
         code = ahead.GetNextCode(command, labelLength)) {
        switch (code) {
        case HPGL_PU:
        case HPGL_PD:
        case HPGL_PA:
        case HPGL_PR:
            MovePen(code, ahead, pen.down, pen.relative, pen.x, pen.y, [&pen, &points](float x, float y, int32_t) {
                if (x != pen.x || y != pen.y) ++points;
                pen.x = x;
                pen.y = y;
            });
            break;
        case HPGL_CI: {
            // Charged whenever the radius is positive, as the explainers do.
            const float radius = FirstNumber(command);
            if (radius > 0.0f) points += 4 * int64_t{CircleSegmentsPerQuarter(radius, chordFactor, minimumQuarterSegments)} + 1;
            break;
        }
        case HPGL_AA:
        case HPGL_AR: {
            CArray<float, float> values;
            if (HpglAnalyzer::GetFloatParam(command, values) < 3) break;
            const bool relative = code == HPGL_AR;
            const float cx = relative ? pen.x + values[0] : values[0];
            const float cy = relative ? pen.y + values[1] : values[1];
            ArcPlan plan;
            if (!PlanArc(pen.x, pen.y, cx, cy, values[2], chordFactor, plan)) break;
            points += int64_t{plan.chords} + 1;
            ArcPoint(plan, plan.chords, pen.x, pen.y);
            break;
        }
        default: break;
        }
    }
    return points;
}

bool LayOutLabel(const PlotFontLib& font, const CStringA& text, float run, float rise, float widthCm,
                 float heightCm, float labelScale, float penX, float penY, PlotChar& out)
{
    const ShxBox& box = font.GetArea();
    if (box.IsInvalid()) return false;
    // No characters to measure, or a flat box: the label cannot be sized, so it is left out
    // instead of being divided by zero.
    const double w = double{1.0} * box.xmax - box.xmin;
    const double h = double{1.0} * box.ymax - box.ymin;
    if (!(w > 0.0) || !(h > 0.0)) return false;
    const double sx = labelScale * widthCm * 400.0 / w;
    const double sy = labelScale * heightCm * 400.0 / h;
    if (!std::isfinite(sx) || !std::isfinite(sy)) return false;
    PlotChar glyphs;
    font.FindPlotString(text, glyphs);
    // A zero direction ("DI0,0;") names no angle, and the glyph rotation leaves it unturned.
    glyphs.Rotate(0.0f, 0.0f, run, rise);
    glyphs.Scale(static_cast<float>(sx), static_cast<float>(sy));
    glyphs.Move(penX, penY);
    // A label scaled or placed beyond the float range cannot be drawn.
    int32_t ignored = 0;
    const float* p = glyphs.GetPl(0, ignored);
    for (int32_t i = 0; p && i < 2 * glyphs.GetTolPtNum(); ++i)
        if (!std::isfinite(p[i])) return false;
    out = glyphs;
    return true;
}

int32_t FirstInteger(const CStringA& command)
{
    return command.GetLength() > 2 ? CLocaleAtoi(std::string_view(command.str()).substr(2)) : 0;
}

float FirstNumber(const CStringA& command)
{
    return command.GetLength() > 2 ? CLocaleAtofFloat(std::string_view(command.str()).substr(2)) : 0.0f;
}

}  // namespace hpgl_geometry
