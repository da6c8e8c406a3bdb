// FlattenOutline: walking a FreeType outline and cutting its curves into chords.
#include "cjk_outline/outline_flattener.h"

#include <algorithm>
#include <cmath>

namespace cjk_outline {
namespace {

struct Walk {
    double tolerance = 1.0;
    std::vector<Contour> contours;
};

OutlinePoint Point(const FT_Vector* v) { return {static_cast<double>(v->x), static_cast<double>(v->y)}; }

double SecondDifference(const OutlinePoint& a, const OutlinePoint& b, const OutlinePoint& c)
{
    return std::hypot(a.x - 2.0 * b.x + c.x, a.y - 2.0 * b.y + c.y);
}

// Chords that keep a curve whose second derivative is at most curvature within tolerance.
int ChordCount(double curvature, double tolerance)
{
    double n = std::ceil(std::sqrt(curvature / (8.0 * tolerance)));
    return std::clamp(static_cast<int>(n), 1, 1 << 12);
}

void Add(Walk& w, const OutlinePoint& p)
{
    Contour& c = w.contours.back();
    if (c.empty() || !(c.back() == p)) c.push_back(p);
}

int MoveTo(const FT_Vector* to, void* user)
{
    auto& w = *static_cast<Walk*>(user);
    w.contours.emplace_back();
    Add(w, Point(to));
    return 0;
}

int LineTo(const FT_Vector* to, void* user)
{
    Add(*static_cast<Walk*>(user), Point(to));
    return 0;
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user)
{
    auto& w = *static_cast<Walk*>(user);
    const OutlinePoint p0 = w.contours.back().back();
    const OutlinePoint p1 = Point(control);
    const OutlinePoint p2 = Point(to);
    const int n = ChordCount(2.0 * SecondDifference(p0, p1, p2), w.tolerance);
    for (int k = 1; k < n; ++k) {
        double t = static_cast<double>(k) / n;
        double u = 1.0 - t;
        Add(w, {u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x, u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y});
    }
    Add(w, p2);
    return 0;
}

int CubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to, void* user)
{
    auto& w = *static_cast<Walk*>(user);
    const OutlinePoint p0 = w.contours.back().back();
    const OutlinePoint p1 = Point(control1);
    const OutlinePoint p2 = Point(control2);
    const OutlinePoint p3 = Point(to);
    const double curvature = 6.0 * std::max(SecondDifference(p0, p1, p2), SecondDifference(p1, p2, p3));
    const int n = ChordCount(curvature, w.tolerance);
    for (int k = 1; k < n; ++k) {
        double t = static_cast<double>(k) / n;
        double u = 1.0 - t;
        double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        Add(w, {a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
    }
    Add(w, p3);
    return 0;
}

// Three or more distinct points, counting the closing repeat once.
bool EnclosesSomething(const Contour& c) { return c.size() >= 4; }

}  // namespace

std::vector<Contour> FlattenOutline(const FT_Outline& outline, double tolerance)
{
    Walk w;
    w.tolerance = tolerance > 0.0 ? tolerance : 1.0;
    FT_Outline_Funcs funcs{};
    funcs.move_to = MoveTo;
    funcs.line_to = LineTo;
    funcs.conic_to = ConicTo;
    funcs.cubic_to = CubicTo;
    FT_Outline copy = outline;  // the walk reads the outline only
    if (FT_Outline_Decompose(&copy, &funcs, &w) != 0) return {};
    std::vector<Contour> out;
    for (Contour& c : w.contours) {
        if (!c.empty() && !(c.back() == c.front())) c.push_back(c.front());
        if (EnclosesSomething(c)) out.push_back(std::move(c));
    }
    return out;
}

}  // namespace cjk_outline
