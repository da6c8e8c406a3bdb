// Closed contours encoded as shape byte code and read back by the program's font reader.
#include "cjk_outline/contour_glyph_code.h"

#include "fonts/plot_font_lib.h"
#include "fonts/tamsel_font.h"
#include "support/shx_font_writer.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using cjk_outline::ContourGlyphCode;
using cjk_outline::GridContour;
using cjk_outline::GridPoint;

// The polylines of a glyph, in grid steps of divisor to a font unit.
std::vector<std::vector<GridPoint>> Polylines(const PlotChar& glyph, int divisor)
{
    std::vector<std::vector<GridPoint>> out;
    for (int i = 0; i < glyph.GetPlNum(); ++i) {
        int32_t count = 0;
        const float* p = glyph.GetPl(i, count);
        out.emplace_back();
        for (int32_t k = 0; k < count; ++k)
            out.back().push_back({static_cast<int32_t>(p[2 * k] * divisor), static_cast<int32_t>(p[2 * k + 1] * divisor)});
    }
    return out;
}

TEST(ContourGlyphCode, TheReaderDrawsEachContourClosedAsAPolylineOfItsOwn)
{
    // A square far from the origin with sides longer than a byte's move, a triangle that
    // starts where the square ends (it must still be a polyline of its own), and a contour
    // that collapses to two points, which is left out.
    const GridContour square = {{300, 40}, {700, 40}, {700, 440}, {300, 440}, {300, 40}};
    const GridContour triangle = {{300, 40}, {200, 0}, {250, -80}, {300, 40}};
    const GridContour flat = {{5, 5}, {9, 9}, {9, 9}, {5, 5}};
    const uint8_t divisor = 4;
    int32_t points = 0;
    corvane_test::ShxFontDef font;
    font.kind = corvane_test::ShxFontKind::Bigfont;
    font.glyphs.push_back({0xB0A1, ContourGlyphCode({square, triangle, flat}, divisor, {960, 0}, points), ""});
    ASSERT_TRUE(corvane_test::WriteShxFont(corvane_test::ProgramDir() + "glyphs.shx", font));

    CTamselFont reader;
    ASSERT_EQ(reader.LoadFont(CString::FromUtf8(corvane_test::ProgramDir() + "glyphs.shx").GetString()), 1);
    PlotFontLib lib;
    ASSERT_EQ(lib.Create(reader), 1);
    const PlotChar* glyph = lib.FindPlotChar(0xB0A1);
    ASSERT_NE(glyph, nullptr);
    EXPECT_EQ(glyph->GetTolPtNum(), points);

    const auto lines = Polylines(*glyph, divisor);
    ASSERT_EQ(lines.size(), 3u) << "two contours and the advance";
    // Long sides come in steps along their line: every point lies on the square's outline.
    EXPECT_GT(lines[0].size(), square.size());
    EXPECT_EQ(lines[0].front(), lines[0].back());
    for (const GridPoint& p : lines[0])
        EXPECT_TRUE(p.x == 300 || p.x == 700 || p.y == 40 || p.y == 440) << p.x << "," << p.y;
    // The triangle starts at a corner other than the square's end, and closes exactly.
    ASSERT_EQ(lines[1].size(), 4u);
    EXPECT_NE(lines[1].front(), (GridPoint{300, 40}));
    EXPECT_EQ(lines[1].front(), lines[1].back());
    EXPECT_EQ(lines[2], (std::vector<GridPoint>{{960, 0}}));
}

}  // namespace
