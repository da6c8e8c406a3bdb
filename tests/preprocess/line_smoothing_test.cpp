// Line folding, collinear runs, signed angles, zig-zag smoothing and the level-segment search.
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"
#include "plotmodel/shape_fixtures.h"
#include "platform/cdc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace plot_fixtures;

namespace {

constexpr double kPi = std::numbers::pi;

Polyline Folded(const Polyline& line, float tol)
{
    PlotShape s;
    Fill(s, {line});
    s.MakeLine(tol);
    return AllPoints(s);
}

TEST(MakeLine, FoldsNearlyStraightRunsIntoSingleSegments)
{
    EXPECT_EQ(Folded({{0, 0}, {10, 0}, {20, 0}, {30, 5}}, 1), (Polyline{{0, 0}, {20, 0}, {30, 5}}));
    EXPECT_EQ(Folded({{0, 0}, {10, 0}, {20, 0}, {30, 1}}, 1), (Polyline{{0, 0}, {30, 1}}));
    EXPECT_EQ(Folded({{0, 0}, {10, 0}, {5, 0}, {20, 0}}, 1), (Polyline{{0, 0}, {10, 0}, {5, 0}, {20, 0}}))
        << "vertices beyond the chord's end or falling back along it end the run";
    EXPECT_EQ(Folded({{0, 0}, {10, 0}, {0, 10}}, 1), (Polyline{{0, 0}, {10, 0}, {0, 10}}));
}

TEST(MakeLine, ReportsChangesAndAlwaysThreePoints)
{
    float three[] = {0, 0, 10, 0, 0, 10};
    EXPECT_EQ(PlotShape::MakeLine(3, three, 1), 1);
    float two[] = {0, 0, 10, 0};
    EXPECT_EQ(PlotShape::MakeLine(2, two, 1), 0);
    float bent[] = {0, 0, 10, 0, 10, 10, 0, 10};
    EXPECT_EQ(PlotShape::MakeLine(4, bent, 1), 0);
    float straight[] = {0, 0, 10, 0, 20, 0, 30, 0};
    EXPECT_EQ(PlotShape::MakeLine(4, straight, 1), 1);
    EXPECT_EQ(straight[2], 0);
    EXPECT_EQ(straight[4], 0);
}

TEST(MakeLineYError, MeasuresTheVerticalDistanceAndTestsVerticalChordsByX)
{
    float sloped[] = {0, 0, 10, 10.8f, 20, 20};
    PlotShape::MakeLineYError(3, sloped, 1);
    EXPECT_EQ(sloped[2], 0) << "0.8 units off vertically";
    float vertical[] = {0, 0, 0, 10, 0, 20, 0.5f, 30, 0, 40};
    PlotShape::MakeLineYError(5, vertical, 1);
    EXPECT_EQ(vertical[3], 0) << "on the vertical chord's x";
    EXPECT_EQ(vertical[6], 0.5f) << "off the vertical chord's x";
}

TEST(GetNextLine, EndsAtTheFirstTurnOrReversal)
{
    const float p[] = {0, 0, 1, 0, 2, 0, 2, 0, 5, 0, 5, 1, 4, 1};
    EXPECT_EQ(PlotShape::GetNextLine(7, p, 0, 0), 4);
    EXPECT_EQ(PlotShape::GetNextLine(7, p, 4, 0), 5);
    EXPECT_EQ(PlotShape::GetNextLine(7, p, 5, 0), 6);
    EXPECT_EQ(PlotShape::GetNextLine(7, p, 6, 0), -1);
    const float back[] = {0, 0, 2, 0, 1, 0};
    EXPECT_EQ(PlotShape::GetNextLine(3, back, 0, 0), 1);
}

TEST(AngleMeasures, SignedTurnsAndDistance)
{
    const float left[] = {0, 0, 1, 0, 1, 1};
    const float right[] = {0, 0, 1, 0, 1, -1};
    const float reversal[] = {0, 0, 1, 0, 0, 0};
    EXPECT_DOUBLE_EQ(PlotShape::AngleAtVertex(left, 0, 1, 2), kPi / 2);
    EXPECT_DOUBLE_EQ(PlotShape::AngleAtVertex(right, 0, 1, 2), -kPi / 2);
    EXPECT_DOUBLE_EQ(PlotShape::AngleAtVertex(reversal, 0, 1, 2), kPi);

    PlotShape s;
    Fill(s, {{{0, 0}, {1, 0}, {0, -1}, {5, 5}, {10, 0}, {10, 0}}});
    EXPECT_DOUBLE_EQ(s.AngleAtVertex1(0, 1, 2), -3 * kPi / 4) << "obtuse turns below the axis stay in (-π, π]";
    EXPECT_DOUBLE_EQ(s.AngleAtVertex(0, 1, 2), -kPi / 2);
    EXPECT_DOUBLE_EQ(s.AngleAtVertex(1, 0, 2), kPi / 4);
    EXPECT_DOUBLE_EQ(s.PlotToLine(3, 0, 4), 5);
    EXPECT_DOUBLE_EQ(s.PlotToLine(3, 4, 5), std::hypot(5.0, 5.0)) << "a line through one point";
}

Polyline Smoothed(const Polyline& line)
{
    std::vector<float> xy;
    for (const Pt& p : line) xy.insert(xy.end(), {p.x, p.y});
    PlotShape out;
    PlotShape::Slick_new(static_cast<int>(line.size()), xy.data(), out, nullptr);
    out.DeleteRepeatPoint();
    return AllPoints(out);
}

// True when sub is made of points of line in their order.
bool IsSubsequence(const Polyline& sub, const Polyline& line)
{
    size_t k = 0;
    for (const Pt& p : line)
        if (k < sub.size() && sub[k] == p) ++k;
    return k == sub.size();
}

TEST(SlickNew, ReplacesZigZagsAndKeepsEverythingElse)
{
    Polyline straight{{0, 0}, {1, 0}, {2, 0}, {50, 0}};
    EXPECT_EQ(Smoothed(straight), straight);

    Polyline zigzag;
    for (int k = 0; k <= 20; ++k) zigzag.push_back({4.0f * k, k % 2 ? 3.0f : 0.0f});
    Polyline z = Smoothed(zigzag);
    EXPECT_LT(z.size(), zigzag.size());
    EXPECT_TRUE(IsSubsequence(z, zigzag));
    EXPECT_EQ(z.front(), zigzag.front());
    EXPECT_EQ(z.back(), zigzag.back());

    Polyline bend{{0, 0}, {5, 0}, {10, 1}, {14, 3}, {17, 6}, {19, 10}, {20, 15}};
    EXPECT_EQ(Smoothed(bend), bend) << "turning always the same way";

    Polyline hairpin{{0, 0}, {10, 0}, {0, 1}, {10, 2}, {0, 3}};
    EXPECT_EQ(Smoothed(hairpin), hairpin) << "turns above 90 degrees are never smoothed across";
}

TEST(SlickNew, FewerThanTwoPointsAreKept)
{
    EXPECT_EQ(Smoothed({{3, 4}}), (Polyline{{3, 4}}));
    EXPECT_TRUE(Smoothed({}).empty());
}

TEST(SlickNew, MemberFormMakesOneFoldedShapePerSubPolyline)
{
    PlotShape s;
    Fill(s, {{{0, 0}, {10, 0}, {20, 0}, {30, 1}}, {{5, 5}}, {{0, 0}, {0, 10}, {10, 10}}});
    s.SetPenIndex(4);
    s.SetMauIndex(CutModeIndex::kCut);
    PlotShapeList out;
    s.Slick_new(out);
    auto shapes = Shapes(out);
    ASSERT_EQ(shapes.size(), 3u);
    EXPECT_EQ(AllPoints(*shapes[0]), (Polyline{{0, 0}, {30, 1}}));
    EXPECT_EQ(AllPoints(*shapes[1]), (Polyline{{5, 5}}));
    EXPECT_EQ(shapes[2]->GetArea().ymax, 10);
    for (PlotShape* p : shapes) {
        EXPECT_EQ(p->GetPenIndex(), 4);
        EXPECT_EQ(p->GetMauIndex(), CutModeIndex::kCut);
    }
    EXPECT_EQ(s.GetTolPtNum(), 8) << "the source is not changed";
}

TEST(FindVerticalLine, CountsSegmentsInsideSubPolylinesOnly)
{
    const float tan10 = 0.17632698f;
    PlotShape s;
    // The step from (0,200) to (1000,201) is travel between sub-polylines, not a segment.
    Fill(s, {{{0, 0}, {200, 0}, {200, 200}, {0, 200}}, {{1000, 201}, {1000, 400}, {3, 1}}});
    EXPECT_EQ(s.FindVerticalLine(tan10, 160), 2) << "the later of the two level sides";
    PlotShape none;
    Fill(none, {{{0, 0}, {0, 500}, {100, 500}, {0, 0}}});
    EXPECT_EQ(none.FindVerticalLine(tan10, 160), -2);
}

TEST(StaticRender, DrawsAPointArrayWithThePreviewMapping)
{
    CImageDC dc(60, 60);
    structRender r{.dc = &dc, .scale = 0.5, .originY = 100};
    const float pts[] = {41, 21, 81, 21, 81, 61};
    PlotShape::Render(3, pts, r);
    // (41, 21) -> (20, 39); (81, 61) -> (40, 19).
    for (int x = 20; x < 40; ++x) EXPECT_EQ(dc.GetPixel(x, 39), RGB(0, 0, 0)) << x;
    EXPECT_EQ(dc.GetCurrentPosition(), CPoint(40, 19));
    PlotShape::Render(0, pts, r);
    EXPECT_EQ(dc.GetCurrentPosition(), CPoint(40, 19)) << "nothing to draw";
}

}  // namespace
