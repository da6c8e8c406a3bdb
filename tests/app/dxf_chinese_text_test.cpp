// DXF TEXT and MTEXT in Chinese, read under the drawing's GB code page and drawn with the
// Chinese glyphs the build made.
#include "dxf_fixture.h"
#include "support/built_fonts.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using corvane_test::BuiltChineseFonts;
using namespace dxf_test;

const std::string kSample = "\xD1\xF9\xC6\xB7 A1";  // 样品 A1 in GB2312
constexpr uint16_t kYang = 0xD1F9;

void Ansi936(DxfWriter& w) { w.Text(9, "$ACADVER").Text(1, "AC1015").Text(9, "$DWGCODEPAGE").Text(3, "ANSI_936"); }

// The box of the first count polylines of a shape, and whether each of them that has two
// points or more is closed.
CArea BoxOfFirst(const PlotShape& shape, int count, bool& closed)
{
    CArea box(INT32_MAX, INT32_MAX, INT32_MIN + 1, INT32_MIN + 1);
    closed = true;
    for (int i = 0; i < count && i < shape.GetPlNum(); ++i) {
        int32_t n = 0;
        const float* p = shape.GetPl(i, n);
        if (n < 2) continue;
        closed = closed && p[0] == p[2 * (n - 1)] && p[1] == p[2 * (n - 1) + 1];
        for (int32_t k = 0; k < n; ++k) {
            box.xmin = std::min(box.xmin, static_cast<int32_t>(std::floor(p[2 * k])));
            box.ymin = std::min(box.ymin, static_cast<int32_t>(std::floor(p[2 * k + 1])));
            box.xmax = std::max(box.xmax, static_cast<int32_t>(std::ceil(p[2 * k])));
            box.ymax = std::max(box.ymax, static_cast<int32_t>(std::ceil(p[2 * k + 1])));
        }
    }
    return box;
}

int PolylinesOf(const PlotFontLib& font, const std::string& text)
{
    PlotChar glyphs;
    font.FindPlotString(CStringA(text), glyphs);
    return glyphs.GetPlNum();
}

TEST_F(BuiltChineseFonts, DxfTextAndMTextInChineseImportAsTheOutlinesOfTheirCharacters)
{
    // A TEXT 5 mm high at (10, 20) and an MTEXT 5 mm high, attached bottom left, at (30, 40).
    const DxfWriter drawing = Write({.header = Ansi936, .entities = [](DxfWriter& w) {
        w.Text(0, "TEXT").Text(8, "0").Number(62, 1).Number(10, 10).Number(20, 20).Number(30, 0).Number(40, 5)
            .Text(1, kSample).Number(50, 0).Number(41, 1);
        MText(w, kSample, 5, 7, 30, 40);
    }});
    PlotShapeList out;
    ASSERT_EQ(ImportBytes(drawing.Ascii(), out), 1);
    const auto shapes = ShapesOf(out);
    ASSERT_EQ(shapes.size(), 2u);
    const int yangPolylines = Labels().FindPlotChar(kYang)->GetPlNum();
    ASSERT_GE(yangPolylines, 3) << "样 is outlines of its own";
    const double h = 5 * 40.0;  // the height given, in plotter units

    // TEXT: the characters of the text, the first standing on the insertion point's baseline
    // as high as the text is given (the font's box is drawn 1.2 times that).
    const PlotShape& text = *shapes[0];
    EXPECT_EQ(text.GetPlNum(), PolylinesOf(Labels(), kSample));
    bool closed = false;
    const CArea yang = BoxOfFirst(text, yangPolylines, closed);
    EXPECT_TRUE(closed);
    EXPECT_GE(yang.xmin, 400);
    EXPECT_LT(yang.xmin, 400 + 0.2 * h);
    EXPECT_LT(yang.ymin, 800);
    EXPECT_GT(yang.ymin, 800 - 0.25 * h);
    EXPECT_NEAR(yang.Height(), h, 0.15 * h);
    EXPECT_LE(text.GetArea().Height(), 1.2 * h + 1);
    EXPECT_GE(text.GetArea().xmin, 400);

    // MTEXT: the same characters, the box's bottom left corner on the insertion point, the
    // font's box drawn as high as the text is given.
    const PlotShape& mtext = *shapes[1];
    EXPECT_EQ(mtext.GetPlNum(), PolylinesOf(Labels(), kSample));
    EXPECT_NEAR(mtext.GetArea().xmin, 1200, 1);
    EXPECT_NEAR(mtext.GetArea().ymin, 1600, 1);
    EXPECT_LE(mtext.GetArea().Height(), h + 1);
    const CArea mYang = BoxOfFirst(mtext, yangPolylines, closed);
    EXPECT_TRUE(closed);
    EXPECT_NEAR(mYang.Height(), 0.8 * h, 0.15 * h);
}

}  // namespace
