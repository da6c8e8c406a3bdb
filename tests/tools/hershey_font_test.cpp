// Reading Hershey ".jhf" records, and making the program's fonts from them.
#include "hershey/hershey_font.h"
#include "hershey/hershey_to_shx.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using hershey::HersheyGlyph;
using hershey::ParseJhf;

namespace {

std::vector<std::vector<std::pair<int, int>>> StrokesOf(const HersheyGlyph& g)
{
    std::vector<std::vector<std::pair<int, int>>> out;
    for (const auto& s : g.strokes) {
        out.emplace_back();
        for (const auto& p : s) out.back().emplace_back(p.x, p.y);
    }
    return out;
}

}  // namespace

TEST(ParseJhf, ReadsSidesStrokesAndRecordsRunningOverLines)
{
    // "!" of the simplex roman: a bar and a dot; then a record broken over two lines with
    // CRLF ends, a lone point (no stroke) and a blank line.
    const std::string text = "  714  9MWRFRT RRYQZR[SZRY\n"
                             "\n"
                             "12345  5JZ\r\nRRSS RTT\r\n";
    std::vector<HersheyGlyph> glyphs;
    std::string error;
    ASSERT_TRUE(ParseJhf(text, glyphs, error)) << error;
    ASSERT_EQ(glyphs.size(), 2u);
    EXPECT_EQ(glyphs[0].number, 714);
    EXPECT_EQ(glyphs[0].left, -5);
    EXPECT_EQ(glyphs[0].right, 5);
    EXPECT_EQ(StrokesOf(glyphs[0]),
              (std::vector<std::vector<std::pair<int, int>>>{{{0, -12}, {0, 2}}, {{0, 7}, {-1, 8}, {0, 9}, {1, 8}, {0, 7}}}));
    EXPECT_EQ(glyphs[1].number, 12345);
    EXPECT_EQ(glyphs[1].left, -8);
    EXPECT_EQ(glyphs[1].right, 8);
    EXPECT_EQ(StrokesOf(glyphs[1]), (std::vector<std::vector<std::pair<int, int>>>{{{0, 0}, {1, 1}}}));
}

TEST(ParseJhf, RefusesMalformedRecordsAndTooSmallFonts)
{
    const struct {
        const char* what;
        const char* text;
    } cases[] = {
        {"no count", "  714 xxMWRFRT\n"},
        {"a count of none", "  714  0MW\n"},
        {"vertices cut off by the end", "  714  9MWRFRT RRYQ\n"},
    };
    for (const auto& c : cases) {
        std::vector<HersheyGlyph> glyphs;
        std::string error;
        EXPECT_FALSE(ParseJhf(c.text, glyphs, error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
    hershey::ProgramFonts fonts;
    std::string error;
    EXPECT_FALSE(hershey::MakeProgramFonts("  714  9MWRFRT RRYQZR[SZRY\n", "x", fonts, error));
    EXPECT_EQ(error, "the font has 1 glyphs; printable ASCII needs 95");
}
