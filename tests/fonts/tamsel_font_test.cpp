// Reading generated vector-font files of the three kinds, intact and damaged.
#include "font_fixture.h"

#include "fonts/plot_font_lib.h"
#include "fonts/shx_explainer.h"

#include <unistd.h>

#include <fcntl.h>

#include <cstring>
#include <map>

using corvane_test::ShxCode;
using corvane_test::ShxFontBytes;
using corvane_test::ShxFontDef;
using corvane_test::ShxFontKind;
using corvane_test::ShxGlyphDef;
using font_test::Load;
using font_test::LoadBytes;

namespace {

// A font of the given kind with three glyphs, heights 9 and 3 and mode 2.
ShxFontDef SmallFont(ShxFontKind kind)
{
    ShxFontDef def;
    def.kind = kind;
    def.name = "tiny";
    def.heightUp = 9;
    def.heightDown = 3;
    def.mode = 2;
    bool wide = kind == ShxFontKind::Bigfont;
    def.glyphs = {
        {static_cast<uint16_t>(wide ? 0xA3C1 : 'A'), ShxCode({2, 0x14, 1, 0x40}), "A"},
        {static_cast<uint16_t>(wide ? 0xB0A1 : 'B'), ShxCode({8, 3, -2, 10, 2, 0x04}), ""},
        {static_cast<uint16_t>(wide ? 0xA3B1 : '1'), ShxCode({7, wide ? 0 : 'A', 0x24}), "one"},
    };
    return def;
}

std::string DefinitionBytes(const ShxGlyphDef& g) { return g.name + '\0' + g.code + '\0'; }

// Every shape the iteration yields, by number, with its definition.
std::map<uint16_t, std::string> Shapes(CTamselFont& font)
{
    std::map<uint16_t, std::string> out;
    int length = 0;
    uint16_t number = 0;
    for (const char* d = font.GetFirstShape(length, number); d; d = font.GetNextShape(length, number))
        out.emplace(number, std::string(d, static_cast<size_t>(length)));
    return out;
}

// Runs everything that reads a font's bytes: iteration, lookups, interpretation, tables.
void ExerciseEverything(CTamselFont& font)
{
    std::map<uint16_t, std::string> shapes = Shapes(font);
    EXPECT_EQ(font.GetExactNum(), static_cast<int32_t>(shapes.size()));
    ShxExplainer explainer(font);
    for (const auto& [number, def] : shapes) {
        int length = 0;
        const char* found = font.Find(number, length);
        ASSERT_NE(found, nullptr);
        PlotChar glyph;
        explainer.Attach(found, length, number);
        explainer.Explain(glyph);
    }
    if (const char* name = font.GetFontName()) {
        EXPECT_LT(std::strlen(name), 500u);
    }
    PlotFontLib lib;
    lib.Create(font);
    EXPECT_LE(lib.GetCount(), font.GetExactNum());
}

}  // namespace

TEST(TamselFont, ReadsHeaderIndexAndDefinitionsOfEveryKind)
{
    struct Case {
        ShxFontKind kind;
        const char16_t* typeName;
        FONTYPE type;
    };
    for (const Case& c : {Case{ShxFontKind::Shapes, u"shape", FONTYPE_SHAPES},
                          Case{ShxFontKind::Bigfont, u"bigfont", FONTYPE_BIGFONT},
                          Case{ShxFontKind::Unifont, u"unifont", FONTYPE_UNIFONT}}) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        ShxFontDef def = SmallFont(c.kind);
        CTamselFont font;
        ASSERT_EQ(Load(font, def), 1);
        EXPECT_EQ(font.FontType(0), c.type);
        EXPECT_EQ(font.FontType(1), c.type);
        EXPECT_EQ(std::u16string(font.FontTypeName()), c.typeName);
        ASSERT_NE(font.GetFontName(), nullptr);
        EXPECT_STREQ(font.GetFontName(), "tiny");
        EXPECT_EQ(font.GetHeightUp(), 9);
        EXPECT_EQ(font.GetHeightDn(), 3);
        EXPECT_EQ(font.GetDispalyType(), 2);
        EXPECT_EQ(font.GetExactNum(), 3);
        for (const ShxGlyphDef& g : def.glyphs) {
            int length = -1;
            const char* found = font.Find(g.number, length);
            ASSERT_NE(found, nullptr) << g.number;
            EXPECT_EQ(std::string(found, static_cast<size_t>(length)), DefinitionBytes(g));
        }
        int length = -1;
        EXPECT_EQ(font.Find(0x7777, length), nullptr);
        EXPECT_EQ(length, 0);

        // File order, without the font information.
        std::vector<uint16_t> order;
        int len = 0;
        uint16_t number = 0;
        for (const char* d = font.GetFirstShape(len, number); d; d = font.GetNextShape(len, number)) order.push_back(number);
        EXPECT_EQ(order, (std::vector<uint16_t>{def.glyphs[0].number, def.glyphs[1].number, def.glyphs[2].number}));
        // The iteration starts over.
        ASSERT_NE(font.GetFirstShape(len, number), nullptr);
        EXPECT_EQ(number, def.glyphs[0].number);
    }
}

TEST(TamselFont, ShapesHeaderKeepsFirstAndLastNumbersAndShapeZeroIsOnlyInformation)
{
    CTamselFont font;
    ASSERT_EQ(Load(font, SmallFont(ShxFontKind::Shapes)), 1);
    EXPECT_EQ(font.GetRangeCount(), 1);
    uint16_t first = 1;
    uint16_t last = 0;
    ASSERT_EQ(font.GetRange(0, first, last), 1);
    EXPECT_EQ(first, 0);  // the font information is shape 0
    EXPECT_EQ(last, 'B');
    EXPECT_EQ(font.GetRange(1, first, last), 0);
    // Shape 0 can be looked up, but is not offered as a glyph.
    int length = 0;
    EXPECT_NE(font.Find(0, length), nullptr);
    EXPECT_EQ(Shapes(font).count(0), 0u);
    EXPECT_EQ(std::u16string(font.GetFileName()), CString::FromUtf8(corvane_test::ScratchDir() + "font.shx").str());
}

TEST(TamselFont, BigfontKeepsTenRangesAndSkipsEmptyAndOutsideEntries)
{
    ShxFontDef def = SmallFont(ShxFontKind::Bigfont);
    def.ranges.clear();
    for (uint16_t i = 0; i < 12; ++i) def.ranges.emplace_back(0x81 + i, 0x90 + i);
    def.glyphs.push_back({0xC0C0, "", ""});
    std::string bytes = ShxFontBytes(def);
    // Make the entry of the empty glyph length 0, and point the third glyph's entry past
    // the end of the file.
    size_t index = bytes.find("\r\n\x1a") + 9 + 4 * 12;
    size_t emptyEntry = index + 8 * 4;
    bytes[emptyEntry + 2] = 0;
    bytes[emptyEntry + 3] = 0;
    size_t thirdEntry = index + 8 * 3;
    bytes.replace(thirdEntry + 4, 4, std::string("\xF0\xFF\xFF\xFF", 4));

    CTamselFont font;
    ASSERT_EQ(LoadBytes(font, bytes), 1);
    EXPECT_EQ(font.GetRangeCount(), 10);
    uint16_t first = 0;
    uint16_t last = 0;
    ASSERT_EQ(font.GetRange(9, first, last), 1);
    EXPECT_EQ(first, 0x81 + 9);
    EXPECT_EQ(last, 0x90 + 9);
    EXPECT_EQ(font.GetExactNum(), 2);
    std::map<uint16_t, std::string> shapes = Shapes(font);
    EXPECT_EQ(shapes.count(0xA3C1), 1u);
    EXPECT_EQ(shapes.count(0xB0A1), 1u);
    int length = 0;
    EXPECT_EQ(font.Find(0xA3B1, length), nullptr);
    EXPECT_STREQ(font.GetFontName(), "tiny");
}

TEST(TamselFont, UnreadableFilesLeaveAnEmptyFont)
{
    CTamselFont font;
    EXPECT_EQ(font.LoadFont(nullptr), 0);
    EXPECT_EQ(font.LoadFont(CString::FromUtf8(corvane_test::ScratchDir() + "absent.shx").GetString()), 0);
    EXPECT_EQ(font.LoadFont(CString::FromUtf8(corvane_test::ScratchDir()).GetString()), 0);  // a folder
    EXPECT_EQ(LoadBytes(font, ""), 0);
    EXPECT_EQ(font.GetFileName(), nullptr);
    EXPECT_EQ(font.GetExactNum(), 0);
    EXPECT_EQ(font.FontType(0), FONTYPE_UNKNOWN);
    EXPECT_EQ(font.FontTypeName(), nullptr);
    EXPECT_EQ(font.GetFontName(), nullptr);
    EXPECT_EQ(font.GetHeightUp(), 0);
    int length = 0;
    uint16_t number = 0;
    EXPECT_EQ(font.GetFirstShape(length, number), nullptr);

    // A file that loaded drops everything when the next load fails.
    ASSERT_EQ(Load(font, SmallFont(ShxFontKind::Shapes)), 1);
    EXPECT_EQ(font.LoadFont(nullptr), 0);
    EXPECT_EQ(font.GetExactNum(), 0);
    EXPECT_EQ(font.GetFontName(), nullptr);
}

TEST(TamselFont, HeaderWithoutKindOrEndMarkGivesNoShapes)
{
    std::string good = ShxFontBytes(SmallFont(ShxFontKind::Shapes));
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::string noKind = good;
    noKind.replace(noKind.find("shapes"), 6, "shapez");
    std::string noMark = good;
    noMark[noMark.find("\r\n\x1a") + 2] = 'x';
    std::string markAtZero = "\r\n\x1a shapes" + good.substr(good.find("\r\n\x1a") + 3);
    std::string kindTooLate = std::string(200, ' ') + good;
    for (const Case& c : {Case{"no kind", noKind}, Case{"no end mark", noMark}, Case{"mark at 0", markAtZero},
                          Case{"kind after 200 bytes", kindTooLate}}) {
        SCOPED_TRACE(c.what);
        CTamselFont font;
        EXPECT_EQ(LoadBytes(font, c.bytes), 1);
        EXPECT_EQ(font.GetExactNum(), 0);
        int length = 0;
        EXPECT_EQ(font.Find('A', length), nullptr);
    }
}

TEST(TamselFont, FilesOf2GiBOrMoreAreRefused)
{
    std::string path = corvane_test::ScratchDir() + "huge.shx";
    ASSERT_TRUE(corvane_test::WriteFile(path, ShxFontBytes(SmallFont(ShxFontKind::Shapes))));
    // A sparse file: its size says 2 GiB, it takes no room.
    ASSERT_EQ(truncate(path.c_str(), CTamselFont::MaxFileBytes), 0);
    CTamselFont font;
    EXPECT_EQ(font.LoadFont(CString::FromUtf8(path).GetString()), 0);
    EXPECT_EQ(font.GetExactNum(), 0);
    EXPECT_EQ(font.GetFileName(), nullptr);
}

TEST(TamselFont, CopiesOwnTheirBytes)
{
    auto original = std::make_unique<CTamselFont>();
    ASSERT_EQ(Load(*original, SmallFont(ShxFontKind::Bigfont)), 1);
    CTamselFont copy(*original);
    CTamselFont assigned;
    ASSERT_EQ(Load(assigned, SmallFont(ShxFontKind::Unifont)), 1);
    assigned = *original;
    original.reset();
    for (CTamselFont* font : {&copy, &assigned}) {
        EXPECT_EQ(font->FontType(0), FONTYPE_BIGFONT);
        EXPECT_STREQ(font->GetFontName(), "tiny");
        int length = 0;
        const char* def = font->Find(0xA3C1, length);
        ASSERT_NE(def, nullptr);
        EXPECT_EQ(std::string(def, static_cast<size_t>(length)), DefinitionBytes(SmallFont(ShxFontKind::Bigfont).glyphs[0]));
    }
    int copyLength = 0;
    int assignedLength = 0;
    EXPECT_NE(copy.Find(0xA3C1, copyLength), assigned.Find(0xA3C1, assignedLength));
}

TEST(TamselFont, TruncatedFilesLoadWhatFitsWithoutReadingPastTheFile)
{
    for (ShxFontKind kind : {ShxFontKind::Shapes, ShxFontKind::Bigfont, ShxFontKind::Unifont}) {
        std::string bytes = ShxFontBytes(SmallFont(kind));
        int32_t previous = 0;
        for (size_t n = 0; n <= bytes.size(); ++n) {
            SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(kind) << ", " << n << " bytes");
            CTamselFont font;
            LoadBytes(font, bytes.substr(0, n));
            ExerciseEverything(font);
            if (kind != ShxFontKind::Bigfont) {
                // Shapes and unifont definitions follow one another: a longer prefix never
                // yields fewer of them.
                EXPECT_GE(font.GetExactNum(), previous);
                previous = font.GetExactNum();
            }
            if (n == bytes.size()) {
                EXPECT_EQ(font.GetExactNum(), 3);
            }
        }
    }
}

TEST(TamselFont, AbsurdCountsOffsetsAndLengthsStayInsideTheFile)
{
    struct Case {
        const char* what;
        ShxFontKind kind;
        size_t at;  // from the end mark
        std::string bytes;
        int32_t shapesLeft;  // -1: at least the three glyphs written
    };
    const Case cases[] = {
        {"shapes entry count", ShxFontKind::Shapes, 7, std::string("\xFF\xFF", 2), 0},
        {"shapes definition length", ShxFontKind::Shapes, 9 + 4 * 2 + 2, std::string("\xFF\xFF", 2), 1},
        {"bigfont entry count", ShxFontKind::Bigfont, 5, std::string("\xFF\xFF", 2), -1},
        {"bigfont range count", ShxFontKind::Bigfont, 7, std::string("\xFF\xFF", 2), 0},
        {"bigfont offset", ShxFontKind::Bigfont, 9 + 4 + 8 * 1 + 4, std::string("\xFF\xFF\xFF\x7F", 4), 2},
        {"bigfont length", ShxFontKind::Bigfont, 9 + 4 + 8 * 2 + 2, std::string("\xFF\xFF", 2), 2},
        {"unifont shape count", ShxFontKind::Unifont, 3, std::string("\xFF\xFF\xFF\xFF", 4), 3},
        {"unifont information length", ShxFontKind::Unifont, 7, std::string("\xFF\xFF", 2), 0},
        {"unifont record length", ShxFontKind::Unifont, 9 + 11 + 2, std::string("\xFF\xFF", 2), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = ShxFontBytes(SmallFont(c.kind));
        bytes.replace(bytes.find("\r\n\x1a") + c.at, c.bytes.size(), c.bytes);
        CTamselFont font;
        ASSERT_EQ(LoadBytes(font, bytes), 1);
        ExerciseEverything(font);
        if (c.shapesLeft < 0) {
            EXPECT_GE(font.GetExactNum(), 3);
        } else {
            EXPECT_EQ(font.GetExactNum(), c.shapesLeft);
        }
    }
}

TEST(TamselFont, InformationShorterThanItsHeightBytesOrWithoutTerminatedName)
{
    for (ShxFontKind kind : {ShxFontKind::Shapes, ShxFontKind::Bigfont, ShxFontKind::Unifont}) {
        SCOPED_TRACE(static_cast<int>(kind));
        ShxFontDef def = SmallFont(kind);
        std::string bytes = ShxFontBytes(def);
        // Overwrite the information's terminators and heights with letters.
        size_t name = bytes.find("tiny");
        size_t infoLength = kind == ShxFontKind::Unifont ? 11 : 9;
        bytes.replace(name, infoLength, std::string(infoLength, 'x'));
        CTamselFont font;
        ASSERT_EQ(LoadBytes(font, bytes), 1);
        EXPECT_EQ(font.GetFontName(), nullptr);
        EXPECT_EQ(font.GetHeightUp(), 'x');
        EXPECT_EQ(font.GetExactNum(), 3);
    }
    // Shapes information of two bytes: a name, no heights.
    ShxFontDef def = SmallFont(ShxFontKind::Shapes);
    def.withInfo = false;
    def.glyphs.insert(def.glyphs.begin(), ShxGlyphDef{0, "", "n"});
    std::string bytes = ShxFontBytes(def);
    bytes.erase(bytes.find(std::string("n\0\0", 3)) + 2, 1);  // the information is "n\0"
    size_t entryLength = bytes.find("\r\n\x1a") + 9 + 2;
    bytes[entryLength] = 2;
    CTamselFont font;
    ASSERT_EQ(LoadBytes(font, bytes), 1);
    EXPECT_STREQ(font.GetFontName(), "n");
    EXPECT_EQ(font.GetHeightUp(), 0);
    EXPECT_EQ(font.GetExactNum(), 3);
}
