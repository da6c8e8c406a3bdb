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
    if (!shape.CheckPlBuf(1) || !shape.CheckPtBuf(points)) return false;
    const float step = static_cast<float>(kHalfPi / a);
    shape.AddPoint(cx + radius, cy, 1);
    float angle = 0.0f;
    for (int32_t k = 1; k < 4 * a; ++k) {
        angle += step;
        shape.AddPointAtLastPl(static_cast<float>(cx + radius * std::cos(double{angle})),
                               static_cast<float>(cy + radius * std::sin(double{angle})));
    }
    shape.AddPointAtLastPl(cx + radius, cy);
    return true;
}

bool AddArcPoints(PlotShape& shape, float penX, float penY, float centreX, float centreY, float sweepDegrees,
                  float chordFactor, float& endX, float& endY)
{
    const C2dVector fromCentre(double{penX} - centreX, double{penY} - centreY);
    const double radius = fromCentre.Mod();
    if (!std::isfinite(sweepDegrees) || !FitsFloat(centreX, centreY, radius)) return false;
    const float sweep = static_cast<float>(sweepDegrees * std::numbers::pi / 180.0);
    const double chords = std::fabs(double{sweep}) / (double{PlotUnitsPerMm} * chordFactor / radius);
    const int32_t n = chords < kMaxArcChords - 1 ? static_cast<int32_t>(chords) + 1 : kMaxArcChords;
    if (!shape.CheckPlBuf(1) || !shape.CheckPtBuf(n + 1)) return false;
    const double step = double{sweep} / n;
    const double start = fromCentre.Angle();
    shape.AddPoint(penX, penY, 1);
    endX = penX;
    endY = penY;
    for (int32_t k = 1; k <= n; ++k) {
        double angle = start + k * step;
        endX = static_cast<float>(centreX + radius * std::cos(angle));
        endY = static_cast<float>(centreY + radius * std::sin(angle));
        shape.AddPointAtLastPl(endX, endY);
    }
    return true;
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
