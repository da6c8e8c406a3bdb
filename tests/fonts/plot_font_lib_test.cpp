// Glyph tables from generated fonts, text layout, and the two global libraries.
#include "font_fixture.h"

#include "fonts/global_font_files.h"
#include "fonts/plot_font_lib.h"
#include "fonts/shx_explainer.h"

#include <chrono>
#include <filesystem>

using corvane_test::ShxCode;
using corvane_test::ShxFontDef;
using corvane_test::ShxFontKind;
using corvane_test::WriteShxFont;
using font_test::ExpectPolylines;

namespace {

// The single font: full-width "A" (box (0,0)-(2,2)) and "1" (box (0,0)-(0,1)), and one
// character of double-byte text. Its table box reaches x = 2.
ShxFontDef DoubleByteFont()
{
    ShxFontDef def;
    def.kind = ShxFontKind::Bigfont;
    def.glyphs = {
        {0xA3C1, ShxCode({0x20, 0x24}), ""},
        {0xA3B1, ShxCode({0x14}), ""},
        {0xB0A1, ShxCode({0x12}), ""},
    };
    return def;
}

// The ASCII font of the multi-font layout: "a" two units wide, "b" three, "|" upright.
ShxFontDef AsciiFont()
{
    ShxFontDef def;
    def.glyphs = {
        {'b', ShxCode({0x30, 0x14}), "b"},
        {'a', ShxCode({0x20}), "a"},
        {'|', ShxCode({0x24}), "bar"},
        {'.', ShxCode({2, 0x10}), "dot"},  // draws nothing
    };
    return def;
}

// The bigfont of the multi-font layout: one glyph, four units wide.
ShxFontDef BigFont()
{
    ShxFontDef def;
    def.kind = ShxFontKind::Bigfont;
    def.glyphs = {{0xA4A1, ShxCode({0x40, 0x44}), ""}};
    return def;
}

PlotFontLib LibraryOf(const ShxFontDef& def)
{
    CTamselFont font;
    EXPECT_EQ(font_test::Load(font, def), 1);
    PlotFontLib lib;
    EXPECT_EQ(lib.Create(font), 1);
    return lib;
}

PlotChar Layout(const PlotFontLib& lib, const char* text)
{
    PlotChar out;
    EXPECT_EQ(lib.FindPlotString(CStringA(text), out), 1);
    return out;
}

PlotChar Layout(const PlotFontLibArray& lib, const char* text)
{
    PlotChar out;
    EXPECT_EQ(lib.FindPlotString(CStringA(text), out), 1);
    return out;
}

void WriteMultiFonts()
{
    ASSERT_TRUE(WriteShxFont(corvane_test::ProgramDir() + "txt.shx", AsciiFont()));
    ASSERT_TRUE(WriteShxFont(corvane_test::ProgramDir() + "chineset.shx", BigFont()));
}

}  // namespace

TEST(PlotFontLib, CreateSortsGlyphsByCodeAndKeepsTheFirstOfADuplicate)
{
    ShxFontDef def = AsciiFont();
    def.glyphs.push_back({'a', ShxCode({0x70}), "second a"});
    PlotFontLib lib = LibraryOf(def);
    EXPECT_EQ(lib.GetCount(), 4);
    const PlotChar* a = lib.FindPlotChar('a');
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->GetChar(), 'a');
    ExpectPolylines(*a, {{{0, 0}, {2, 0}}, {{2, 0}}});
    EXPECT_EQ(a->GetArea(), ShxBox(0, 0, 2, 0));
    for (char code : {'.', 'a', 'b', '|'}) EXPECT_NE(lib.FindPlotChar(code), nullptr) << code;
    for (uint16_t code : {0, int{'-'}, int{'c'}, 0xFFFF}) EXPECT_EQ(lib.FindPlotChar(code), nullptr) << code;
    EXPECT_EQ(lib.GetArea(), ShxBox(0, 0, 3, 2));
    EXPECT_EQ(lib.CalArea(), ShxBox(0, 0, 3, 2));

    // Copies own their glyphs.
    auto original = std::make_unique<PlotFontLib>(lib);
    PlotFontLib copy(*original);
    PlotFontLib assigned;
    assigned = *original;
    original.reset();
    for (const PlotFontLib* l : {&copy, &assigned}) {
        ASSERT_NE(l->FindPlotChar('b'), nullptr);
        EXPECT_EQ(l->FindPlotChar('b')->GetTolPtNum(), 4);
        EXPECT_NE(l->FindPlotChar('b'), lib.FindPlotChar('b'));
    }
}

TEST(PlotFontLib, CreateFromAFontWithoutShapesLeavesAnEmptyTable)
{
    PlotFontLib lib = LibraryOf(AsciiFont());
    CTamselFont none;
    EXPECT_EQ(lib.Create(none), 0);
    EXPECT_EQ(lib.GetCount(), 0);
    EXPECT_EQ(lib.FindPlotChar('a'), nullptr);
    EXPECT_EQ(Layout(lib, "ab").GetTolPtNum(), 0);

    ShxFontDef onlyInfo;
    CTamselFont font;
    ASSERT_EQ(font_test::Load(font, onlyInfo), 1);
    EXPECT_EQ(lib.Create(font), 0);
    EXPECT_FALSE(lib.GetArea().IsValid());
}

TEST(PlotFontLib, LaysOutTextAtMultiplesOfTheTableWidth)
{
    PlotFontLib lib = LibraryOf(DoubleByteFont());
    ASSERT_EQ(lib.GetArea().xmax, 2);
    struct Case {
        const char* what;
        const char* text;
        std::vector<font_test::Polyline> polylines;
    };
    const Case cases[] = {
        {"ASCII takes the full-width glyphs, raised by 15", "A1",
         {{{0, 15}, {2, 15}, {2, 17}}, {{2, 17}}, {{2, 15}, {2, 16}}, {{2, 16}}}},
        {"double-byte codes stay on the line", "1\xA3\xC1\xB0\xA1",
         {{{0, 15}, {0, 16}}, {{0, 16}}, {{2, 0}, {4, 0}, {4, 2}}, {{4, 2}}, {{4, 0}, {5, 1}}, {{5, 1}}}},
        {"missing codes take no place", "z\xB1\xA1" "1",
         {{{0, 15}, {0, 16}}, {{0, 16}}}},
        {"a lone lead byte at the end stops the text", "1\xA3",
         {{{0, 15}, {0, 16}}, {{0, 16}}}},
        {"space is the full-width space", " 1",
         {{{0, 15}, {0, 16}}, {{0, 16}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectPolylines(Layout(lib, c.text), c.polylines);
    }
}

TEST(PlotFontLibArray, LaysOutMixedTextFromBothTables)
{
    WriteMultiFonts();
    PlotFontLibArray lib;
    lib.LoadGlobalFontLib();
    ASSERT_EQ(lib.GetShapesLib().GetCount(), 4);
    ASSERT_EQ(lib.GetBigFontLib().GetCount(), 1);
    struct Case {
        const char* what;
        const char* text;
        std::vector<font_test::Polyline> polylines;
    };
    const Case cases[] = {
        // "b" drawn six times its size is 18 wide; one unit follows it; the space is the
        // drawn width of "a", 12.
        {"ASCII glyphs six times their size, space as wide as a", "b a",
         {{{0, 0}, {18, 0}, {18, 6}}, {{18, 6}}, {{31, 0}, {43, 0}}, {{43, 0}}}},
        {"bigfont glyphs at their own size", "\xA4\xA1" "a",
         {{{0, 0}, {4, 0}, {4, 4}}, {{4, 4}}, {{5, 0}, {17, 0}}, {{17, 0}}}},
        {"a code the bigfont lacks shows the bar", "\xB0\xA1" "a",
         {{{0, 0}, {0, 2}}, {{0, 2}}, {{1, 0}, {13, 0}}, {{13, 0}}}},
        {"missing ASCII takes no place", "za", {{{0, 0}, {12, 0}}, {{12, 0}}}},
        {"a glyph that draws nothing advances one unit", ".a", {{{1, 0}, {13, 0}}, {{13, 0}}}},
        {"a lone lead byte at the end stops the text", "a\xB0", {{{0, 0}, {12, 0}}, {{12, 0}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectPolylines(Layout(lib, c.text), c.polylines);
    }

    // Copies own their tables.
    auto original = std::make_unique<PlotFontLibArray>(lib);
    PlotFontLibArray copy(*original);
    original.reset();
    ExpectPolylines(Layout(copy, "za"), {{{0, 0}, {12, 0}}, {{12, 0}}});
}

TEST(PlotFontLibArray, SpaceWithoutAInTheShapesFontTakesHalfTheWidestGlyph)
{
    ShxFontDef ascii = AsciiFont();
    ascii.glyphs.erase(ascii.glyphs.begin() + 1);  // no "a"
    ASSERT_TRUE(WriteShxFont(corvane_test::ProgramDir() + "txt.shx", ascii));
    PlotFontLibArray lib;
    lib.LoadGlobalFontLib();
    EXPECT_EQ(lib.GetBigFontLib().GetCount(), 0);
    // The widest glyph, "b", is 3 units: 18 drawn, so the space is 9.
    ExpectPolylines(Layout(lib, " |"), {{{9, 0}, {9, 12}}, {{9, 12}}});
    // Without a bigfont every double-byte code shows the bar.
    ExpectPolylines(Layout(lib, "\xA4\xA1"), {{{0, 0}, {0, 2}}, {{0, 2}}});
}

TEST(GlobalFontLibs, AreEmptyWithoutFontFilesAndLoadFromTheProgramDirectory)
{
    PlotFontLib* single = PlotFontLib::GetGlobalFontLib();
    PlotFontLibArray* multi = PlotFontLibArray::GetGlobalFontLib();
    ASSERT_NE(single, nullptr);
    ASSERT_NE(multi, nullptr);
    EXPECT_EQ(single, PlotFontLib::GetGlobalFontLib());
    auto loadBoth = [&] {
        PlotFontLib::LoadGlobalFontLib();
        multi->LoadGlobalFontLib();
    };

    loadBoth();
    EXPECT_EQ(single->GetCount(), 0);
    EXPECT_EQ(multi->GetShapesLib().GetCount(), 0);
    EXPECT_EQ(multi->GetBigFontLib().GetCount(), 0);
    EXPECT_EQ(MissingGlobalFontFiles(), (std::vector<CString>{u"fshz.fnt", u"txt.shx"}));
    EXPECT_EQ(Layout(*single, "A1\xA3\xC1").GetPlNum(), 0);
    EXPECT_EQ(Layout(*multi, "ab \xA4\xA1").GetPlNum(), 0);

    ASSERT_TRUE(WriteShxFont(corvane_test::ProgramDir() + "fshz.fnt", DoubleByteFont()));
    WriteMultiFonts();
    loadBoth();
    EXPECT_EQ(single->GetCount(), 3);
    EXPECT_EQ(multi->GetShapesLib().GetCount(), 4);
    EXPECT_EQ(multi->GetBigFontLib().GetCount(), 1);
    EXPECT_EQ(Layout(*single, "A").GetPlNum(), 2);
    EXPECT_TRUE(MissingGlobalFontFiles().empty());
    // A shapes font without shapes loads no table, and counts as missing.
    ShxFontDef empty;
    ASSERT_TRUE(WriteShxFont(corvane_test::ProgramDir() + "txt.shx", empty));
    loadBoth();
    EXPECT_EQ(MissingGlobalFontFiles(), std::vector<CString>{u"txt.shx"});

    // Loading again without the files empties them (and leaves nothing for later tests).
    for (const char* name : {"fshz.fnt", "txt.shx", "chineset.shx"}) std::filesystem::remove(corvane_test::ProgramDir() + name);
    loadBoth();
    EXPECT_EQ(single->GetCount(), 0);
    EXPECT_EQ(multi->GetShapesLib().GetCount(), 0);
    EXPECT_EQ(multi->GetBigFontLib().GetCount(), 0);
}

TEST(PlotFontLib, ASmallFontOfSelfCallingArcsLoadsItsSaneGlyphsInBoundedPoints)
{
    // Each hostile glyph draws ten fractional arcs of 15 octants (44 points each), then
    // calls itself twice: without a point bound 2.6 KB expand into tens of millions of points.
    ShxFontDef def = AsciiFont();
    std::string arcs;
    for (int i = 0; i < 10; ++i) arcs += ShxCode({11, 0, 0, 0, 10, 0x0F});
    for (int n = 0x80; n < 0x80 + 36; ++n) def.glyphs.push_back({static_cast<uint16_t>(n), arcs + ShxCode({7, n, 7, n}), "x"});
    std::string bytes = corvane_test::ShxFontBytes(def);
    ASSERT_GT(bytes.size(), 2500u);
    ASSERT_LT(bytes.size(), 2700u);

    auto start = std::chrono::steady_clock::now();
    CTamselFont font;
    ASSERT_EQ(font_test::LoadBytes(font, bytes), 1);
    PlotFontLib lib;
    ASSERT_EQ(lib.Create(font), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

    EXPECT_EQ(lib.GetCount(), 40);
    ExpectPolylines(*lib.FindPlotChar('b'), {{{0, 0}, {3, 0}, {3, 1}}, {{3, 1}}});
    ExpectPolylines(*lib.FindPlotChar('|'), {{{0, 0}, {0, 2}}, {{0, 2}}});
    for (int n = 0x80; n < 0x80 + 36; ++n) EXPECT_EQ(lib.FindPlotChar(static_cast<uint16_t>(n))->GetTolPtNum(), 0) << n;
}
