// Interpreting shape byte code: vectors, scale, stack, subshapes and the three arc kinds.
#include "font_fixture.h"

#include "fonts/shx_explainer.h"

#include <cmath>

using corvane_test::ShxCode;
using corvane_test::ShxGlyphDef;
using font_test::ExpectPolylines;
using font_test::Point;
using font_test::Polyline;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Interprets glyph 'A' of a shapes font made of the given glyphs.
PlotChar Explained(std::vector<ShxGlyphDef> glyphs)
{
    CTamselFont font;
    EXPECT_EQ(font_test::Load(font, font_test::ShapesFont(std::move(glyphs))), 1);
    int length = 0;
    const char* code = font.Find('A', length);
    EXPECT_NE(code, nullptr);
    PlotChar glyph;
    ShxExplainer explainer(font);
    explainer.Attach(code, length, 'A');
    EXPECT_EQ(explainer.Explain(glyph), 1);
    return glyph;
}

PlotChar Explained(const std::string& code) { return Explained({{'A', code, "A"}}); }

// The points of a circle arc about (cx, cy) from startDeg in count equal steps over sweepDeg,
// after the first point (x0, y0).
Polyline Arc(Point first, double cx, double cy, double r, double startDeg, double sweepDeg, int count)
{
    Polyline pl{first};
    for (int k = 1; k <= count; ++k) {
        double a = (startDeg + sweepDeg * k / count) * kPi / 180.0;
        pl.emplace_back(static_cast<float>(cx + r * std::cos(a)), static_cast<float>(cy + r * std::sin(a)));
    }
    return pl;
}

}  // namespace

TEST(ShxExplainer, MovesScaleAndStackGivePolylinesEndingWithTheAdvancePoint)
{
    struct Case {
        const char* what;
        std::string code;
        std::vector<Polyline> polylines;
    };
    const float t = 0.41421356237f;
    const Case cases[] = {
        {"vector up", ShxCode({0x14}), {{{0, 0}, {0, 1}}, {{0, 1}}}},
        {"vector of length 4", ShxCode({0x40}), {{{0, 0}, {4, 0}}, {{4, 0}}}},
        {"vectors join one polyline", ShxCode({0x10, 0x14, 0x2A}), {{{0, 0}, {1, 0}, {1, 1}, {-1, -1}}, {{-1, -1}}}},
        {"odd directions", ShxCode({0x21, 0x13, 0x1F}), {{{0, 0}, {2, 2 * t}, {2 + t, 1 + 2 * t}, {3 + t, 1 + t}}, {{3 + t, 1 + t}}}},
        {"pen up moves without drawing", ShxCode({2, 0x10, 1, 0x14}), {{{1, 0}, {1, 1}}, {{1, 1}}}},
        {"halved scale", ShxCode({3, 2, 0x10}), {{{0, 0}, {0.5f, 0}}, {{0.5f, 0}}}},
        {"divisor 0 is ignored", ShxCode({3, 0, 0x10}), {{{0, 0}, {1, 0}}, {{1, 0}}}},
        {"multiplied scale", ShxCode({4, 3, 3, 2, 0x10}), {{{0, 0}, {1.5f, 0}}, {{1.5f, 0}}}},
        {"code 8", ShxCode({8, -3, 5}), {{{0, 0}, {-3, 5}}, {{-3, 5}}}},
        {"code 9 list", ShxCode({4, 2, 9, 1, 0, 0, -1, 0, 0, 0x10}), {{{0, 0}, {2, 0}, {2, -2}, {4, -2}}, {{4, -2}}}},
        {"code 9 without closing pair ends the shape", ShxCode({9, 1, 0, 0, 1}), {}},
        {"stack", ShxCode({5, 0x20, 6, 0x14}), {{{0, 0}, {2, 0}}, {{0, 0}, {0, 1}}, {{0, 1}}}},
        {"pop of an empty stack is ignored", ShxCode({6, 0x10}), {{{0, 0}, {1, 0}}, {{1, 0}}}},
        {"code 14 skips the next command", ShxCode({14, 8, 5, 5, 0x10}), {{{0, 0}, {1, 0}}, {{1, 0}}}},
        {"code 14 skips a whole list", ShxCode({14, 9, 5, 5, 0, 0, 0x10}), {{{0, 0}, {1, 0}}, {{1, 0}}}},
        {"a command past the end ends the shape", ShxCode({0x10, 8}), {{{0, 0}, {1, 0}}, {{1, 0}}}},
        {"nothing drawn gives no advance point", ShxCode({2, 0x10, 0x14}), {}},
        {"bytes after code 0 are not read", ShxCode({0x10, 0, 0x14}), {{{0, 0}, {1, 0}}, {{1, 0}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectPolylines(Explained(c.code), c.polylines);
    }
}

TEST(ShxExplainer, OctantArcs)
{
    // r = 2 from octant 0 over 4 octants counter-clockwise: a half circle from the pen.
    PlotChar half = Explained(ShxCode({10, 2, 0x04}));
    ExpectPolylines(half, {Arc({0, 0}, -2, 0, 2, 0, 180, 12), {{-4, 0}}});
    // Clockwise from octant 2 (90 degrees) over one octant at scale 2, after a move.
    PlotChar cw = Explained(ShxCode({2, 0x10, 4, 2, 10, 3, 0xA1}));
    ExpectPolylines(cw, {Arc({1, 0}, 1, -6, 6, 90, -45, 3), {{static_cast<float>(1 + 6 * std::cos(kPi / 4)), static_cast<float>(-6 + 6 * std::sin(kPi / 4))}}});
    // Count 0 is a full turn, drawn with the pen up too.
    PlotChar full = Explained(ShxCode({2, 10, 1, 0x20}));
    ExpectPolylines(full, {Arc({0, 0}, 0, -1, 1, 90, 360, 24), {{0, 0}}});
}

TEST(ShxExplainer, FractionalArcs)
{
    // Counter-clockwise from octant 0, two octants, end offset 128: 0 to 67.5 degrees.
    PlotChar ccw = Explained(ShxCode({11, 0, 128, 0, 10, 0x02}));
    Polyline expected = Arc({0, 0}, -10, 0, 10, 0, 67.5, 5);
    ExpectPolylines(ccw, {expected, {expected.back()}});
    // Clockwise from octant 1 with start offset 64 (33.75 degrees) to -11.25 degrees.
    PlotChar cw = Explained(ShxCode({11, 64, 64, 1, 4, 0x92}));
    double r = 260;
    double start = 33.75;
    Polyline arc = Arc({0, 0}, -r * std::cos(start * kPi / 180), -r * std::sin(start * kPi / 180), r, start, -45, 4);
    ExpectPolylines(cw, {arc, {arc.back()}}, 1e-2f);
}

TEST(ShxExplainer, BulgeArcs)
{
    // Bulge 0 is a straight line.
    ExpectPolylines(Explained(ShxCode({12, 3, 4, 0})), {{{0, 0}, {3, 4}}, {{3, 4}}});
    // Bulge 127 is a half circle; positive bulges turn counter-clockwise, so from (0, 0) to
    // (4, 0) the arc passes below the chord.
    for (int bulge : {127, -127}) {
        SCOPED_TRACE(bulge);
        PlotChar glyph = Explained(ShxCode({12, 4, 0, bulge}));
        ASSERT_EQ(glyph.GetPlNum(), 2);
        int32_t count = 0;
        const float* p = glyph.GetPl(0, count);
        ASSERT_EQ(count, 20);  // 19 chords of at most 10 degrees
        for (int32_t k = 0; k < count; ++k) {
            EXPECT_NEAR(std::hypot(p[2 * k] - 2.0, p[2 * k + 1]), 2.0, 1e-4);
            if (k > 0 && k < count - 1) {
                EXPECT_TRUE(bulge > 0 ? p[2 * k + 1] < 0 : p[2 * k + 1] > 0);
            }
        }
        EXPECT_NEAR(p[2 * 19], 4.0, 1e-6);
        EXPECT_NEAR(p[2 * 19 + 1], 0.0, 1e-6);
    }
    // A quarter-ish bulge at scale 2: its points lie on the circle through both ends whose
    // chord subtends the included angle.
    PlotChar scaled = Explained(ShxCode({4, 2, 12, 0, 5, 64}));
    int32_t count = 0;
    const float* p = scaled.GetPl(0, count);
    double angle = 64 * kPi / 127;
    double radius = 5.0 / std::sin(angle / 2);
    ASSERT_EQ(count, static_cast<int32_t>(angle / (10 * kPi / 180)) + 2);
    double cx = 5.0 / std::tan(angle / 2) * -1.0;
    for (int32_t k = 0; k < count; ++k) EXPECT_NEAR(std::hypot(p[2 * k] - cx, p[2 * k + 1] - 5.0), radius, 1e-3);
    EXPECT_NEAR(p[2 * count - 1], 10.0, 1e-6);
    // Code 13: a list of bulge arcs up to (0, 0).
    PlotChar list = Explained(ShxCode({13, 2, 0, 0, 0, 2, 0, 0, 0, 0x10}));
    ExpectPolylines(list, {{{0, 0}, {2, 0}}, {{2, 0}, {2, 2}, {3, 2}}, {{3, 2}}});
}

TEST(ShxExplainer, SubshapesShareThePenAndStopWhenMissingOrEndless)
{
    // The subshape draws with the caller's pen and leaves it up.
    ExpectPolylines(Explained({{'A', ShxCode({0x10, 7, 'B', 0x14, 1, 0x10}), "A"}, {'B', ShxCode({0x20, 2}), "B"}}),
                    {{{0, 0}, {1, 0}, {3, 0}}, {{3, 1}, {4, 1}}, {{4, 1}}});
    ExpectPolylines(Explained({{'A', ShxCode({7, 'Z', 0x10}), "A"}}), {{{0, 0}, {1, 0}}, {{1, 0}}});

    // A shape that calls itself stops at the depth limit.
    PlotChar cyclic = Explained({{'A', ShxCode({7, 'A', 0x10}), "A"}});
    ASSERT_EQ(cyclic.GetPlNum(), 2);
    float x = 0;
    float y = 0;
    cyclic.GetLastPt(x, y);
    EXPECT_FLOAT_EQ(x, static_cast<float>(ShxExplainer::MaxSubshapeDepth));
    // Calls that fan out stop at the step limit instead of running for ever.
    std::string fan;
    for (int i = 0; i < 40; ++i) fan += ShxCode({7, 'A'});
    PlotChar fanned = Explained({{'A', fan + ShxCode({0x10}), "A"}});
    EXPECT_LE(fanned.GetTolPtNum(), 2 * ShxExplainer::MaxStepsPerGlyph);
}

TEST(ShxExplainer, GlyphsOverTheirPointBoundAreLeftEmpty)
{
    // n vectors with the pen down make n + 1 points, and the advance point one more.
    auto vectors = [](int n) { return std::string(static_cast<size_t>(n), '\x10'); };
    CTamselFont font;
    ASSERT_EQ(font_test::Load(font, font_test::ShapesFont({{'A', vectors(ShxExplainer::MaxPointsPerGlyph - 2), "A"},
                                                           {'B', vectors(ShxExplainer::MaxPointsPerGlyph - 1), "B"},
                                                           {'C', vectors(8), "C"}})),
              1);
    struct Case {
        uint16_t number;
        int32_t maxPoints;
        int32_t points;
    } cases[] = {
        {'A', ShxExplainer::MaxPointsPerGlyph, ShxExplainer::MaxPointsPerGlyph},
        {'B', ShxExplainer::MaxPointsPerGlyph, 0},
        {'B', ShxExplainer::MaxPointsPerGlyph + 100, 0},  // never above the glyph bound
        {'C', 10, 10},
        {'C', 9, 0},
        {'C', 0, 0},
    };
    for (const Case& c : cases) {
        int length = 0;
        const char* code = font.Find(c.number, length);
        ShxExplainer explainer(font);
        explainer.Attach(code, length, c.number);
        PlotChar glyph;
        EXPECT_EQ(explainer.Explain(glyph, c.maxPoints), 1);
        EXPECT_EQ(glyph.GetTolPtNum(), c.points) << char(c.number) << " within " << c.maxPoints;
        EXPECT_EQ(glyph.GetPlNum() == 0, c.points == 0);
    }
}

TEST(ShxExplainer, RotationsWithDegenerateDirectionsChangeNothing)
{
    double x = 3;
    double y = 4;
    ShxExplainer::Multiply(x, y, 0, 2);
    EXPECT_NEAR(x, -4, 1e-12);
    EXPECT_NEAR(y, 3, 1e-12);
    ShxExplainer::Divide(x, y, 0, 5);
    EXPECT_NEAR(x, 3, 1e-12);
    EXPECT_NEAR(y, 4, 1e-12);
    for (double bad : {0.0, double{NAN}, double{INFINITY}}) {
        ShxExplainer::Multiply(x, y, bad, bad);
        ShxExplainer::Divide(x, y, bad, 0);
        EXPECT_EQ(x, 3);
        EXPECT_EQ(y, 4);
    }
    float dx = 0;
    float dy = 0;
    ShxExplainer::Offset(dx, dy, 0x3B);
    EXPECT_FLOAT_EQ(dx, -3 * 0.41421356237f);
    EXPECT_FLOAT_EQ(dy, -3);
}
