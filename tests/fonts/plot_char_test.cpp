// Glyph polylines: building, copying, boxes and transforms.
#include "font_fixture.h"

#include <cmath>

using font_test::ExpectPolylines;
using font_test::Polyline;

namespace {

// Two polylines: (0,0)-(10.9,0) and (2,-3.9)-(4,5)-(6,5).
PlotChar TwoStrokes()
{
    PlotChar g;
    g.AddPointAtLastPl(0, 0);
    g.AddPointAtLastPl(10.9f, 0);
    g.AddPoint(2, -3.9f, 1);
    g.AddPointAtLastPl(4, 5);
    g.AddPointAtLastPl(6, 5);
    return g;
}

PlotChar Stroke(std::initializer_list<std::pair<float, float>> points)
{
    PlotChar g;
    for (auto [x, y] : points) g.AddPointAtLastPl(x, y);
    g.CalArea();
    return g;
}

}  // namespace

TEST(PlotChar, BuildsPolylinesAndAnswersOutOfRangeWithNeutralValues)
{
    PlotChar empty;
    float x = 7;
    float y = 7;
    EXPECT_EQ(empty.GetStartPt(x, y), 0);
    EXPECT_EQ(empty.GetLastPt(x, y), 0);
    EXPECT_FALSE(empty.GetArea().IsValid());
    int32_t count = 9;
    EXPECT_EQ(empty.GetPl(0, count), nullptr);
    EXPECT_EQ(count, 0);

    PlotChar g = TwoStrokes();
    ExpectPolylines(g, {{{0, 0}, {10.9f, 0}}, {{2, -3.9f}, {4, 5}, {6, 5}}});
    EXPECT_EQ(g.GetTolPtNum(), 5);
    EXPECT_EQ(g.GetPl(2, count), nullptr);
    EXPECT_EQ(g.GetPl(-1, count), nullptr);
    ASSERT_EQ(g.GetStartPt(x, y), 1);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(0.0f, 0.0f));
    ASSERT_EQ(g.GetLastPt(x, y), 1);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(6.0f, 5.0f));
    // Coordinates are truncated toward zero.
    EXPECT_EQ(g.CalArea(), ShxBox(0, -3, 10, 5));
    EXPECT_EQ(g.CalArea_AllPt(), ShxBox(0, -3, 10, 5));

    // Growing past the first buffers keeps every point.
    PlotChar many;
    for (int i = 0; i < 1000; ++i) many.AddPoint(static_cast<float>(i), static_cast<float>(-i), i % 3 == 0);
    EXPECT_EQ(many.GetPlNum(), 334);
    EXPECT_EQ(many.GetTolPtNum(), 1000);
    many.FreeUsedSpace();
    float lx = 0;
    float ly = 0;
    many.GetLastPt(lx, ly);
    EXPECT_EQ(lx, 999);
    EXPECT_EQ(ly, -999);
    EXPECT_EQ(many.GetPl(333, count)[0], 999);
}

TEST(PlotChar, CopiesAreDeepAndAssignmentKeepsTheCode)
{
    auto original = std::make_unique<PlotChar>(TwoStrokes());
    original->SetChar(0xA3C1);
    original->CalArea();
    PlotChar copy(*original);
    PlotChar assigned = Stroke({{9, 9}, {8, 8}});
    assigned.SetChar('x');
    assigned = *original;
    original.reset();
    for (const PlotChar* g : {&copy, &assigned}) {
        ExpectPolylines(*g, {{{0, 0}, {10.9f, 0}}, {{2, -3.9f}, {4, 5}, {6, 5}}});
        EXPECT_EQ(g->GetArea(), ShxBox(0, -3, 10, 5));
    }
    EXPECT_EQ(copy.GetChar(), 0xA3C1);
    EXPECT_EQ(assigned.GetChar(), 'x');
    assigned = assigned;
    EXPECT_EQ(assigned.GetTolPtNum(), 5);

    // Append adds polylines and leaves the box.
    PlotChar sum = Stroke({{100, 100}, {101, 100}});
    sum.Append(copy);
    EXPECT_EQ(sum.GetPlNum(), 3);
    EXPECT_EQ(sum.GetArea(), ShxBox(100, 100, 101, 100));
    sum.Append(PlotChar());
    EXPECT_EQ(sum.GetPlNum(), 3);
}

TEST(PlotChar, MoveScaleRotateAndReverse)
{
    PlotChar g = TwoStrokes();
    g.CalArea();
    g.Move(1.5f, -2.7f);
    ExpectPolylines(g, {{{1.5f, -2.7f}, {12.4f, -2.7f}}, {{3.5f, -6.6f}, {5.5f, 2.3f}, {7.5f, 2.3f}}});
    EXPECT_EQ(g.GetArea(), ShxBox(1, -5, 11, 3));  // moved by the truncated (1, -2)

    g.Scale(2, -1);
    EXPECT_EQ(g.GetArea(), ShxBox(3, -2, 24, 6));

    PlotChar r = TwoStrokes();
    r.Rotate(0, 0, 1, 0);
    ExpectPolylines(r, font_test::PolylinesOf(TwoStrokes()));
    r.Rotate(1, 1, 0, 5);  // a quarter turn about (1, 1)
    ExpectPolylines(r, {{{2, 0}, {2, 10.9f}}, {{5.9f, 2}, {-3, 4}, {-3, 6}}});
    EXPECT_EQ(r.GetArea(), ShxBox(-3, 0, 5, 10));
    // A direction of zero length, or not a number, names no angle.
    PlotChar before = r;
    for (auto [c, s] : {std::pair{0.0f, 0.0f}, std::pair{NAN, 1.0f}, std::pair{INFINITY, 0.0f}}) {
        r.Rotate(3, 4, c, s);
        ExpectPolylines(r, font_test::PolylinesOf(before));
    }

    PlotChar rev = TwoStrokes();
    rev.Reverse();
    ExpectPolylines(rev, {{{6, 5}, {4, 5}, {2, -3.9f}}, {{10.9f, 0}, {0, 0}}});
}

TEST(PlotChar, MovingAGlyphWithoutPointsKeepsItsBoxEmpty)
{
    PlotChar g;
    g.CalArea();
    g.Move(1000, -1000);
    EXPECT_FALSE(g.GetArea().IsValid());
    EXPECT_EQ(g.GetArea(), ShxBox());
}

TEST(PlotChar, JoinsSinglePolylinesAtTheirSharedPoint)
{
    PlotChar a = Stroke({{0, 0}, {1, 0}});
    PlotChar b = Stroke({{1, 0}, {1, 1}, {2, 2}});
    a.AddAtLast(b);
    ExpectPolylines(a, {{{0, 0}, {1, 0}, {1, 1}, {2, 2}}});
    EXPECT_EQ(a.GetArea(), ShxBox(0, 0, 2, 2));
    EXPECT_EQ(b.GetTolPtNum(), 3);

    PlotChar c = Stroke({{-5, 0}, {0, 0}});
    a.AddAtStart(c);
    ExpectPolylines(a, {{{-5, 0}, {0, 0}, {1, 0}, {1, 1}, {2, 2}}});
    EXPECT_EQ(a.GetArea(), ShxBox(-5, 0, 2, 2));
    EXPECT_EQ(c.GetPlNum(), 0);
    EXPECT_EQ(c.GetTolPtNum(), 0);

    // Only single polylines join.
    PlotChar two = TwoStrokes();
    a.AddAtLast(two);
    two.AddAtStart(a);
    EXPECT_EQ(a.GetTolPtNum(), 5);
    EXPECT_EQ(two.GetTolPtNum(), 5);
}

TEST(PlotChar, FreeUsedSpaceKeepsThePointsAndEmptiesAnEmptyGlyph)
{
    PlotChar g = TwoStrokes();
    g.FreeUsedSpace();
    ExpectPolylines(g, {{{0, 0}, {10.9f, 0}}, {{2, -3.9f}, {4, 5}, {6, 5}}});
    g.AddPointAtLastPl(7, 7);
    EXPECT_EQ(g.GetTolPtNum(), 6);
    PlotChar empty;
    empty.FreeUsedSpace();
    empty.AddPoint(1, 2, 0);
    ExpectPolylines(empty, {{{1, 2}}});
}
