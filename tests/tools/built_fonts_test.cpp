// The font files the build made from the Hershey font, read through the font reader and
// the font tables as the program reads them.
#include "support/built_fonts.h"

#include "fonts/global_font_files.h"
#include "fonts/tamsel_font.h"
#include "hershey/hershey_to_shx.h"

#include <string>

namespace {

using corvane_test::BuiltFonts;

uint16_t FullWidthCode(int c)
{
    return static_cast<uint16_t>(c == ' ' ? PlotFontLib::FullWidthSpace : PlotFontLib::FullWidthFirst + (c - '!'));
}

CTamselFont Loaded(const char* name, FONTYPE kind)
{
    CTamselFont font;
    EXPECT_EQ(font.LoadFont(CString::FromUtf8(corvane_test::ProgramDir() + name).GetString()), 1) << name;
    EXPECT_EQ(font.FontType(0), kind) << name;
    EXPECT_GT(font.GetHeightUp(), 0) << name;
    EXPECT_GT(font.GetHeightDn(), 0) << name;
    return font;
}

PlotChar Layout(const PlotFontLib& lib, const char* text)
{
    PlotChar out;
    lib.FindPlotString(CStringA(text), out);
    out.CalArea();
    return out;
}

PlotChar Layout(const PlotFontLibArray& lib, const char* text)
{
    PlotChar out;
    lib.FindPlotString(CStringA(text), out);
    out.CalArea();
    return out;
}

}  // namespace

TEST_F(BuiltFonts, HoldEveryPrintableCharacterWithHeights)
{
    CTamselFont shapes = Loaded("txt.shx", FONTYPE_SHAPES);
    CTamselFont labels = Loaded("fshz.fnt", FONTYPE_BIGFONT);
    // The label font is drawn in finer units.
    EXPECT_EQ(shapes.GetHeightUp() * hershey::LabelUnitsPerHershey, labels.GetHeightUp());
    EXPECT_EQ(shapes.GetExactNum(), 95);
    // With the Chinese glyphs the label font holds every GB2312 code (tests/chinese_outline).
    EXPECT_EQ(labels.GetExactNum(), CORVANE_CHINESE_FONTS_MADE ? 7445 : 95);
    for (int c = ' '; c <= '~'; ++c) {
        int length = 0;
        EXPECT_NE(shapes.Find(static_cast<uint16_t>(c), length), nullptr) << char(c);
        EXPECT_NE(labels.Find(FullWidthCode(c), length), nullptr) << char(c);
        EXPECT_NE(Shapes().FindPlotChar(static_cast<uint16_t>(c)), nullptr) << char(c);
        EXPECT_NE(Labels().FindPlotChar(FullWidthCode(c)), nullptr) << char(c);
    }
    for (char c : {'A', 'g'}) {
        EXPECT_GT(Shapes().FindPlotChar(static_cast<uint16_t>(c))->GetTolPtNum(), 2) << c;
        EXPECT_GT(Labels().FindPlotChar(FullWidthCode(c))->GetTolPtNum(), 2) << c;
    }
    // "g" reaches below the baseline of "A", by the descender.
    EXPECT_EQ(Shapes().FindPlotChar('A')->GetArea().ymin, 0);
    EXPECT_EQ(Shapes().FindPlotChar('g')->GetArea().ymin, -shapes.GetHeightDn());
    EXPECT_EQ(Shapes().FindPlotChar('H')->GetArea().ymax, shapes.GetHeightUp());
    EXPECT_TRUE(MissingGlobalFontFiles().empty());
}

TEST_F(BuiltFonts, SpacesAdvanceInBothLayouts)
{
    // The label font sets every character, a space too, one pitch further right.
    const int32_t pitch = Labels().GetArea().xmax;
    ASSERT_GT(pitch, 0);
    EXPECT_EQ(Layout(Labels(), "A A").GetArea().xmax - Layout(Labels(), "AA").GetArea().xmax, pitch);
    EXPECT_EQ(Layout(Labels(), "A A").GetArea().ymin, Layout(Labels(), "A").GetArea().ymin);

    // The multi-font layout advances a space by the drawn width of "a".
    const PlotFontLibArray& multi = *PlotFontLibArray::GetGlobalFontLib();
    PlotChar a(*Shapes().FindPlotChar('a'));
    a.Scale(PlotFontLibArray::ShapesGlyphScale, PlotFontLibArray::ShapesGlyphScale);
    ASSERT_GT(a.GetArea().Width64(), 0);
    EXPECT_EQ(Layout(multi, "A A").GetArea().xmax - Layout(multi, "AA").GetArea().xmax, a.GetArea().Width64());
}
