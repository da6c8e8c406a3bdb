// Flattening glyph outlines: chords within the tolerance, every contour closed, holes kept.
#include "cjk_outline/outline_flattener.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using cjk_outline::Contour;
using cjk_outline::FlattenOutline;
using cjk_outline::OutlinePoint;

// An outline built from contours of points and FreeType tags (on, conic or cubic control).
struct TestOutline {
    std::vector<FT_Vector> points;
    std::vector<char> tags;
    std::vector<short> ends;
    void Contour(const std::vector<std::pair<FT_Vector, char>>& c)
    {
        for (const auto& [p, tag] : c) {
            points.push_back(p);
            tags.push_back(tag);
        }
        ends.push_back(static_cast<short>(points.size() - 1));
    }
    FT_Outline Outline()
    {
        FT_Outline o{};
        o.n_points = static_cast<short>(points.size());
        o.n_contours = static_cast<short>(ends.size());
        o.points = points.data();
        o.tags = tags.data();
        o.contours = ends.data();
        return o;
    }
};

constexpr char kOn = FT_CURVE_TAG_ON;
constexpr char kConic = FT_CURVE_TAG_CONIC;
constexpr char kCubic = FT_CURVE_TAG_CUBIC;

// The distance from p to the polyline c.
double DistanceToPolyline(const OutlinePoint& p, const Contour& c)
{
    double best = HUGE_VAL;
    for (size_t i = 1; i < c.size(); ++i) {
        const double dx = c[i].x - c[i - 1].x, dy = c[i].y - c[i - 1].y;
        const double len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? ((p.x - c[i - 1].x) * dx + (p.y - c[i - 1].y) * dy) / len2 : 0.0;
        t = std::clamp(t, 0.0, 1.0);
        best = std::min(best, std::hypot(p.x - (c[i - 1].x + t * dx), p.y - (c[i - 1].y + t * dy)));
    }
    return best;
}

// Twice the signed area: positive counter-clockwise.
double SignedArea(const Contour& c)
{
    double a = 0;
    for (size_t i = 1; i < c.size(); ++i) a += c[i - 1].x * c[i].y - c[i].x * c[i - 1].y;
    return a;
}

TEST(FlattenOutline, CurvesStayWithinTheToleranceAndEveryContourCloses)
{
    // A ring: an outer circle of four quadratic arcs (radius 1000, clockwise as TrueType
    // draws outer contours) and an inner square hole drawn the other way round with one cubic
    // side, then a contour of two points, which encloses nothing.
    TestOutline t;
    const FT_Pos r = 1000;
    t.Contour({{{r, 0}, kOn}, {{r, -r}, kConic}, {{0, -r}, kOn}, {{-r, -r}, kConic}, {{-r, 0}, kOn},
               {{-r, r}, kConic}, {{0, r}, kOn}, {{r, r}, kConic}});
    t.Contour({{{-300, -300}, kOn}, {{300, -300}, kOn}, {{500, -100}, kCubic}, {{500, 100}, kCubic}, {{300, 300}, kOn},
               {{-300, 300}, kOn}});
    t.Contour({{{0, 0}, kOn}, {{10, 10}, kOn}});
    FT_Outline outline = t.Outline();

    for (double tolerance : {0.5, 5.12, 40.0}) {
        const std::vector<Contour> contours = FlattenOutline(outline, tolerance);
        ASSERT_EQ(contours.size(), 2u) << tolerance;
        for (const Contour& c : contours) {
            ASSERT_GE(c.size(), 4u);
            EXPECT_EQ(c.front(), c.back()) << "closed";
        }
        // Holes keep their direction against the outer contour.
        EXPECT_LT(SignedArea(contours[0]), 0);
        EXPECT_GT(SignedArea(contours[1]), 0);
        // Each quadratic arc between on-points: B(t) = (1-t)^2 p0 + 2t(1-t) p1 + t^2 p2.
        const FT_Vector arcs[4][3] = {{{r, 0}, {r, -r}, {0, -r}}, {{0, -r}, {-r, -r}, {-r, 0}},
                                      {{-r, 0}, {-r, r}, {0, r}}, {{0, r}, {r, r}, {r, 0}}};
        double worst = 0;
        for (const auto& a : arcs) {
            for (int k = 0; k <= 200; ++k) {
                const double s = k / 200.0, u = 1 - s;
                OutlinePoint p{u * u * a[0].x + 2 * s * u * a[1].x + s * s * a[2].x,
                               u * u * a[0].y + 2 * s * u * a[1].y + s * s * a[2].y};
                worst = std::max(worst, DistanceToPolyline(p, contours[0]));
            }
        }
        EXPECT_LE(worst, tolerance) << tolerance;
        // The cubic side: from (300,-300) by (500,-100), (500,100) to (300,300).
        double worstCubic = 0;
        for (int k = 0; k <= 200; ++k) {
            const double s = k / 200.0, u = 1 - s;
            const double b0 = u * u * u, b1 = 3 * u * u * s, b2 = 3 * u * s * s, b3 = s * s * s;
            OutlinePoint p{b0 * 300 + b1 * 500 + b2 * 500 + b3 * 300, b0 * -300 + b1 * -100 + b2 * 100 + b3 * 300};
            worstCubic = std::max(worstCubic, DistanceToPolyline(p, contours[1]));
        }
        EXPECT_LE(worstCubic, tolerance) << tolerance;
    }
    // A finer tolerance takes more chords.
    EXPECT_GT(FlattenOutline(outline, 0.5)[0].size(), FlattenOutline(outline, 40.0)[0].size());
}

}  // namespace
