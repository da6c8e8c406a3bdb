// Glyphs leaving the fonts: text into plot shapes, and byte code drawn on a device context.
#include "font_fixture.h"

#include "fonts/plot_font_lib.h"
#include "platform/cdc.h"
#include "plotmodel/plot_shape.h"

using corvane_test::ShxCode;

TEST(PlotShapeFromGlyphs, TakesEveryPolylineAndRecomputesItsBounds)
{
    // "a" draws (0,0)-(2,0)-(2,2) and "b" (0,0)-(0,1), both six times their size.
    ASSERT_TRUE(corvane_test::WriteShxFont(corvane_test::ProgramDir() + "txt.shx",
                                           font_test::ShapesFont({{'a', ShxCode({0x20, 0x24}), "a"}, {'b', ShxCode({0x14}), "b"}})));
    PlotFontLibArray lib;
    lib.LoadGlobalFontLib();
    PlotChar text;
    lib.FindPlotString(CStringA("ab"), text);

    PlotShape shape;
    shape.AddPoint(-7, -7, 1);
    shape.Append(text);
    ASSERT_EQ(shape.GetPlNum(), 5);
    int32_t count = 0;
    const float* p = shape.GetPl(1, count);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(p[4], 12);
    EXPECT_EQ(p[5], 12);
    p = shape.GetPl(3, count);  // "b" one unit right of the 12 units of "a"
    ASSERT_EQ(count, 2);
    EXPECT_EQ(p[0], 13);
    EXPECT_EQ(p[3], 6);
    EXPECT_EQ(shape.GetArea(), CArea(-7, -7, 13, 12));

    PlotShape none;
    none.Append(PlotChar());
    EXPECT_EQ(none.GetPlNum(), 0);
    EXPECT_TRUE(none.GetArea().IsInvalid());
}

TEST(TamselFontDisplay, DrawsCodeEightMovesWithThePenDown)
{
    CTamselFont font;
    CImageDC dc(30, 20);
    const std::string code = ShxCode({8, 5, 0, 2, 8, 0, 3, 1, 8, 0, 2, 'Z', 8, 1});
    int32_t x = 5;
    int32_t y = 10;
    font.Display(&dc, x, y, 2.0f, code.data(), static_cast<int>(code.size()));
    EXPECT_EQ(x, 15);
    EXPECT_EQ(y, 0);
    const COLORREF black = RGB(0, 0, 0);
    const COLORREF white = RGB(255, 255, 255);
    EXPECT_EQ(dc.GetPixel(6, 10), black);
    EXPECT_EQ(dc.GetPixel(13, 10), black);
    EXPECT_EQ(dc.GetPixel(15, 7), white);  // moved with the pen up
    EXPECT_EQ(dc.GetPixel(15, 3), black);
    EXPECT_EQ(dc.GetPixel(15, 1), black);
    EXPECT_EQ(dc.GetPixel(16, 2), white);

    font.Display(nullptr, x, y, 1.0f, code.data(), static_cast<int>(code.size()));
    font.Display(&dc, x, y, 1.0f, nullptr, 5);
    EXPECT_EQ(x, 15);
    EXPECT_EQ(y, 0);
}
