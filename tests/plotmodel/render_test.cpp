// Drawing shapes and shape lists through the DC: preview mapping, pens, raster stretch.
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"

#include "platform/cdc.h"
#include "shape_fixtures.h"

#include <gtest/gtest.h>

namespace {

using namespace plot_fixtures;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

int CountInRow(const CDC& dc, int y, int x0, int x1, COLORREF c)
{
    int n = 0;
    for (int x = x0; x <= x1; ++x) n += dc.GetPixel(x, y) == c;
    return n;
}

TEST(ShapeRender, MapsPlotterUnitsToPixelsWithYDownwards)
{
    CImageDC dc(60, 60);
    structRender r;
    r.dc = &dc;
    r.scale = 0.5;
    r.originY = 100;
    PlotShape s;
    Fill(s, {{{20, 100}, {20, 60}}, {{41, 21}, {81, 21}}});  // y 100 is the top edge
    s.Render(r);
    for (int y = 0; y < 20; ++y) EXPECT_EQ(dc.GetPixel(10, y), kBlack) << "y " << y;
    EXPECT_EQ(dc.GetPixel(10, 20), kWhite) << "a line leaves out its end pixel";
    EXPECT_EQ(dc.GetPixel(11, 10), kWhite);
    // (41, 21) -> (20.5, 39.5) truncated to (20, 39).
    EXPECT_EQ(CountInRow(dc, 39, 20, 40, kBlack), 20);
    EXPECT_EQ(dc.GetPixel(19, 39), kWhite);
    EXPECT_EQ(dc.GetCurrentPosition(), CPoint(40, 39));
}

TEST(ShapeListRender, DrawsSolidAndDottedLinesAndGivesThePreviousPenBack)
{
    PlotShapeList list;
    list.AddTail(NewShape({{0, 90}, {1000, 90}}));
    PlotShape* dotted = NewShape({{0, 50}, {1000, 50}});
    dotted->SetLineType(2);
    list.AddTail(dotted);
    list.AddTail(NewShape({{0, 10}, {1000, 10}}));  // solid again after the dotted one

    CImageDC dc(120, 12);
    CPen red(PS_SOLID, 1, kRed);
    dc.SelectObject(&red);
    structRender r;
    r.dc = &dc;
    r.scale = 0.1;
    r.originY = 100;
    list.Render(r);

    EXPECT_EQ(CountInRow(dc, 1, 0, 99, kBlack), 100);
    int dots = CountInRow(dc, 5, 0, 99, kBlack);
    EXPECT_GT(dots, 10);
    EXPECT_LT(dots, 90);
    EXPECT_EQ(CountInRow(dc, 5, 0, 99, kBlack) + CountInRow(dc, 5, 0, 99, kWhite), 100);
    EXPECT_EQ(CountInRow(dc, 9, 0, 99, kBlack), 100);
    EXPECT_EQ(CountInRow(dc, 3, 0, 119, kBlack), 0);

    CPen other(PS_SOLID, 1, kBlack);
    EXPECT_EQ(dc.SelectObject(&other), &red);
}

// The raster row that the horizontal segment at y is drawn in, or -1 when none.
int RasterRow(float y, structRenderPrint r, int rows)
{
    CImageDC dc(4, rows);
    r.dc = &dc;
    PlotShape s;
    Fill(s, {{{0, y}, {3, y}}});
    s.RenderPrint(r, nullptr);
    for (int row = 0; row < rows; ++row)
        if (dc.GetPixel(1, row) == kBlack) return row;
    return -1;
}

TEST(ShapeRenderPrint, StretchesRowsInsideTheBandsOnly)
{
    structRenderPrint plain;
    plain.offsetX = 0;
    plain.offsetY = 50.6;
    plain.bottomBand = 100;  // not read while height is 0
    plain.bottomStretch = 20;
    EXPECT_EQ(RasterRow(10.5f, plain, 200), 61) << "height 0 draws unshifted: trunc(10.5 + 50.6)";

    structRenderPrint band;
    band.offsetY = 10;
    band.height = 1000;
    band.bottomBand = 100;
    band.bottomStretch = 20;
    band.topBand = 100;
    band.topStretch = -30;
    struct Case {
        float y;
        int wantRow;
    };
    const Case cases[] = {
        {50.7f, 10 + 60},    // 50 + (100 - 50) * 20 / 100
        {0.0f, 10 + 20},     // 0 + 100 * 20 / 100
        {100.0f, 10 + 100},  // the band's edge is outside it
        {500.0f, 10 + 500},
        {950.0f, 10 + 935},  // 950 + (100 + 950 - 1000) * -30 / 100
        {900.0f, 10 + 900},
    };
    for (const Case& c : cases) EXPECT_EQ(RasterRow(c.y, band, 1100), c.wantRow) << "y " << c.y;
}

TEST(ShapeRenderPrint, BandsOfZeroWidthAreNotStretched)
{
    // A band of width 0 would divide by zero: it is left unstretched.
    structRenderPrint r;
    r.offsetY = 20;
    r.height = 100;
    r.bottomStretch = 7;
    r.topStretch = 7;
    EXPECT_EQ(RasterRow(-5.0f, r, 200), 15);
    EXPECT_EQ(RasterRow(150.0f, r, 200), 170);
    r.bottomBand = -4;
    r.topBand = -4;
    EXPECT_EQ(RasterRow(-5.0f, r, 200), 15);
    EXPECT_EQ(RasterRow(99.0f, r, 200), 119);
}

TEST(ShapeRenderPrint, NearVerticalSegmentsUseTheSecondPen)
{
    CImageDC dc(100, 100);
    CPen pens[2] = {CPen(PS_SOLID, 1, kRed), CPen(PS_SOLID, 1, kBlue)};
    structRenderPrint r;
    r.dc = &dc;
    PlotShape s;
    // Across (red), straight down (blue), 1 in 10 (blue, under tan 10°), 1 in 2 (red).
    Fill(s, {{{10, 10}, {40, 10}, {40, 40}, {43, 70}, {53, 90}}});
    s.RenderPrint(r, pens);
    EXPECT_EQ(dc.GetPixel(25, 10), kRed);
    EXPECT_EQ(dc.GetPixel(40, 25), kBlue);
    EXPECT_EQ(dc.GetPixel(41, 50), kBlue);
    EXPECT_EQ(dc.GetPixel(48, 80), kRed);
}

}  // namespace
