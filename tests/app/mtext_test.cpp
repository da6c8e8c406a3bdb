// MTEXT: formatting codes, runs and lines of MTextParser, and the placement by attachment.
#include "dxf_fixture.h"

#include "app/mtext_parser.h"
#include "fonts/plot_char.h"
#include "plotmodel/load_point_budget.h"

#include <cmath>

using namespace dxf_test;

namespace {

// Full-width forms of the characters the cases use, each drawn with its own stroke count.
corvane_test::ShxFontDef MTextFont()
{
    return GlyphFont({{0xA3C1, 1}, {0xA3C2, 2}, {0xA3C3, 3}, {0xA3C4, 4}, {0xA3CE, 5}, {0xA3DC, 6}, {0xA1A1, 7}, {0xA3B1, 8}});
}

struct Parsed {
    std::vector<int> plotCounts;  // sub-polylines per shape
    std::vector<CArea> boxes;
};

Parsed Parse(const std::string& text, double height = 2.5)
{
    MTextParser parser(CStringA(text), height, kLoadPointBudget);
    parser.Parse();
    Parsed p;
    for (PlotShape* s : ShapesOf(parser.Shapes())) {
        p.plotCounts.push_back(s->GetPlNum());
        p.boxes.push_back(s->GetArea());
    }
    return p;
}

int PlotsOf(const std::string& codes)
{
    PlotChar glyphs;
    PlotFontLib::GetGlobalFontLib()->FindPlotString(CStringA(codes), glyphs);
    return glyphs.GetPlNum();
}

TEST(MText, CodesRunsAndLines)
{
    ScopedFonts fonts(MTextFont());
    const int32_t normal = Parse("AB").boxes.at(0).Height();
    ASSERT_GT(normal, 0);

    Parsed paragraph = Parse("AB\\PCD");
    ASSERT_EQ(paragraph.boxes.size(), 2u);
    EXPECT_EQ(paragraph.boxes[1].ymax, paragraph.boxes[0].ymin);
    EXPECT_EQ(paragraph.plotCounts[1], PlotsOf("CD"));

    Parsed taller = Parse("AB\\H2x;CD");
    ASSERT_EQ(taller.boxes.size(), 1u);
    EXPECT_EQ(taller.plotCounts[0], PlotsOf("ABCD"));
    EXPECT_NEAR(taller.boxes[0].Height(), 2 * Parse("ABCD").boxes.at(0).Height(), 2);

    Parsed braces = Parse("{\\H2x;A}B");
    ASSERT_EQ(braces.boxes.size(), 1u);
    EXPECT_NEAR(braces.boxes[0].Height(), normal, 1);

    struct Case {
        const char* text;
        const char* laidOut;
    } literals[] = {
        {"\\~", "\xA1\xA1"}, {"\\\\", "\\"}, {"\\N", "N"}, {"1\\S1/2;", "1"}, {"A\\", "A"}, {"\\Q;A\\W1;\\T2;", "A"},
        {"\\C999999999999999999999;A", "A"}, {"\\Fromans;A\\L\\l\\O\\o", "A"}, {"\\A1;B", "B"},
    };
    for (const Case& c : literals) {
        Parsed p = Parse(c.text);
        ASSERT_EQ(p.plotCounts.size(), 1u) << c.text;
        EXPECT_EQ(p.plotCounts[0], PlotsOf(c.laidOut)) << c.text;
    }
    EXPECT_TRUE(Parse("").boxes.empty());
    EXPECT_TRUE(Parse("\\S1/2;").boxes.empty());
}

TEST(MText, ElevenOpeningBracesSaveTen)
{
    ScopedFonts fonts(MTextFont());
    // Each brace saves the state, then sets height factor k; one closing brace restores
    // the state saved by the tenth brace (factor 9), as the eleventh saved nothing.
    std::string text;
    for (int k = 1; k <= 11; ++k) text += "{\\H" + std::to_string(k) + "x;";
    Parsed p = Parse(text + "}A");
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_NEAR(p.boxes[0].Height(), 9 * Parse("A").boxes.at(0).Height(), 9);
}

TEST(MText, HugeOrNonFiniteHeightsDrawNothing)
{
    ScopedFonts fonts(MTextFont());
    EXPECT_TRUE(Parse("\\H" + std::string(400, '9') + ";A").boxes.empty());
    EXPECT_TRUE(Parse("A", 1e300).boxes.empty());
}

TEST(MText, AttachmentPointsPlaceTheTextAroundTheInsertionPoint)
{
    ScopedFonts fonts(MTextFont());
    MTextParser probe(CStringA("AB"), 2.5, kLoadPointBudget);
    probe.Parse();
    const double raise = 40.0 * probe.LayoutHeightScale();
    for (int attach = 1; attach <= 9; ++attach) {
        PlotShapeList out;
        ASSERT_EQ(ImportBytes(Write({.entities = [&](DxfWriter& w) { MText(w, "AB", 2.5, attach); }}).Ascii(), out), 1);
        auto shapes = ShapesOf(out);
        ASSERT_EQ(shapes.size(), 1u) << attach;
        const CArea& b = shapes[0]->GetArea();
        int column = (attach - 1) % 3, row = (attach - 1) / 3;
        double x = column == 0 ? b.xmin : column == 1 ? (b.xmin + b.xmax) / 2.0 : b.xmax;
        double y = row == 0 ? b.ymax + raise : row == 1 ? (b.ymin + b.ymax + raise) / 2.0 : b.ymin;
        EXPECT_NEAR(x, 0.0, 1.5) << attach;
        EXPECT_NEAR(y, 0.0, 1.5) << attach;
    }
}

}  // namespace
