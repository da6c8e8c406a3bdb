// The Chinese glyphs the build made: every GB2312 character in the label font, the code page
// 950 forms in the bigfont, drawn as the outline font draws them, and HPGL labels of Chinese
// text laid out in their cells by both explainers.
#include "support/built_fonts.h"

#include "fonts/tamsel_font.h"
#include "fonts/global_font_files.h"
#include "hpgl/hpgl_explainer.h"
#include "hpgl/hpgl_stream_explainer.h"
#include "platform/codepage.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_BBOX_H

#include <iconv.h>

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace {

using corvane_test::BuiltChineseFonts;

struct Gb2312Code {
    uint16_t code;
    char16_t unicode;
};

// Every code GB2312 defines, read through iconv.
std::vector<Gb2312Code> Gb2312Codes()
{
    std::vector<Gb2312Code> out;
    iconv_t cd = iconv_open("UTF-16LE", "GB2312");
    if (cd == reinterpret_cast<iconv_t>(-1)) return out;
    for (int lead = 0xA1; lead <= 0xF7; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            unsigned char u[4] = {};
            char* src = in;
            char* dst = reinterpret_cast<char*>(u);
            size_t inLeft = 2, outLeft = sizeof u;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &src, &inLeft, &dst, &outLeft) == static_cast<size_t>(-1) || outLeft != 2) continue;
            out.push_back({static_cast<uint16_t>(lead << 8 | trail), static_cast<char16_t>(u[0] | u[1] << 8)});
        }
    }
    iconv_close(cd);
    return out;
}

// The double-byte code page 950 code of a character through the program's conversion, or 0.
uint16_t CodePage950(char16_t c)
{
    char out[4] = {};
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(950, 0, &c, 1, out, sizeof out, nullptr, &usedDefault);
    if (n != 2 || usedDefault) return 0;
    return static_cast<uint16_t>(static_cast<unsigned char>(out[0]) << 8 | static_cast<unsigned char>(out[1]));
}

// The closed polylines of a glyph (the advance's lone point left aside); false when a
// polyline of two points or more is open.
bool ClosedOutlines(const PlotChar& glyph, std::vector<ShxBox>& boxes)
{
    boxes.clear();
    for (int i = 0; i < glyph.GetPlNum(); ++i) {
        int32_t n = 0;
        const float* p = glyph.GetPl(i, n);
        if (n < 2) continue;
        if (n < 4 || p[0] != p[2 * (n - 1)] || p[1] != p[2 * (n - 1) + 1]) return false;
        ShxBox box;
        box.Initialize();
        for (int32_t k = 0; k < n; ++k) box.Merge(ShxBox(static_cast<int32_t>(std::floor(p[2 * k])), static_cast<int32_t>(std::floor(p[2 * k + 1])),
                                                          static_cast<int32_t>(std::ceil(p[2 * k])), static_cast<int32_t>(std::ceil(p[2 * k + 1]))));
        boxes.push_back(box);
    }
    return true;
}

// The box of the ASCII forms of the label font: the full-width forms the Hershey font made.
ShxBox AsciiFormsBox(const PlotFontLib& labels)
{
    ShxBox box;
    box.Initialize();
    for (int c = '!'; c <= '~'; ++c)
        if (const PlotChar* g = labels.FindPlotChar(static_cast<uint16_t>(PlotFontLib::FullWidthFirst + (c - '!'))))
            box.Merge(g->GetArea());
    return box;
}

// The outline font's box of a character, unscaled, and which cells of a grid over that box
// its outline fills (non-zero rule, as the font is drawn), row after row from the bottom.
struct OutlineShape {
    FT_BBox box{};
    std::vector<bool> filled;
    int cellsWide = 0;
    double unitsPerCell = 0.0;  // outline units
};

// Cells across an em in the fill comparisons.
constexpr int kCellsPerEm = 128;

// Whether (x, y) lies inside the closed polylines of glyph (even-odd rule: the glyphs'
// contours are the outline of their fill, holes the other way round).
bool Inside(const PlotChar& glyph, double x, double y)
{
    bool inside = false;
    for (int i = 0; i < glyph.GetPlNum(); ++i) {
        int32_t n = 0;
        const float* p = glyph.GetPl(i, n);
        for (int32_t k = 1; k < n; ++k) {
            const double x0 = p[2 * k - 2], y0 = p[2 * k - 1], x1 = p[2 * k], y1 = p[2 * k + 1];
            if ((y0 > y) != (y1 > y) && x < x0 + (y - y0) * (x1 - x0) / (y1 - y0)) inside = !inside;
        }
    }
    return inside;
}

class OutlineFont {
public:
    OutlineFont()
    {
        ok_ = FT_Init_FreeType(&lib_) == 0 && FT_New_Face(lib_, CORVANE_CHINESE_FONT, 0, &face_) == 0;
    }
    ~OutlineFont()
    {
        if (face_) FT_Done_Face(face_);
        if (lib_) FT_Done_FreeType(lib_);
    }
    bool Ok() const { return ok_; }
    OutlineShape Of(char16_t c)
    {
        OutlineShape s;
        FT_UInt index = FT_Get_Char_Index(face_, c);
        if (index == 0 || FT_Load_Glyph(face_, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
            return s;
        FT_Outline* outline = &face_->glyph->outline;
        FT_Outline_Get_BBox(outline, &s.box);
        // Rendered with the box's corner at the origin, kCellsPerEm pixels to the em.
        const int64_t em = face_->units_per_EM;
        FT_Outline_Translate(outline, -s.box.xMin, -s.box.yMin);
        FT_Matrix scale{static_cast<FT_Fixed>((kCellsPerEm * 64 << 16) / em), 0, 0,
                        static_cast<FT_Fixed>((kCellsPerEm * 64 << 16) / em)};
        FT_Outline_Transform(outline, &scale);
        const int width = static_cast<int>((s.box.xMax - s.box.xMin) * kCellsPerEm / em) + 1;
        const int rows = static_cast<int>((s.box.yMax - s.box.yMin) * kCellsPerEm / em) + 1;
        std::vector<unsigned char> pixels(static_cast<size_t>(width * rows));
        FT_Bitmap bitmap{};
        bitmap.rows = static_cast<unsigned>(rows);
        bitmap.width = static_cast<unsigned>(width);
        bitmap.pitch = width;
        bitmap.buffer = pixels.data();
        bitmap.num_grays = 256;
        bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
        if (FT_Outline_Get_Bitmap(lib_, outline, &bitmap) != 0) return s;
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < width; ++x) s.filled.push_back(pixels[static_cast<size_t>((rows - 1 - y) * width + x)] >= 128);
        s.cellsWide = width;
        s.unitsPerCell = static_cast<double>(em) / kCellsPerEm;
        return s;
    }

private:
    FT_Library lib_ = nullptr;
    FT_Face face_ = nullptr;
    bool ok_ = false;
};

// Of the cells over the outline's box that the glyph or the outline fills, the share both
// fill; the glyph's ink box stands for the outline's box.
double FillAgreement(const PlotChar& glyph, const ShxBox& ink, const OutlineShape& shape)
{
    const double cellX = shape.unitsPerCell * double(ink.Width64()) / double(shape.box.xMax - shape.box.xMin);
    const double cellY = shape.unitsPerCell * double(ink.Height64()) / double(shape.box.yMax - shape.box.yMin);
    int both = 0, either = 0;
    for (size_t k = 0; k < shape.filled.size(); ++k) {
        const double x = ink.xmin + (double(k % static_cast<size_t>(shape.cellsWide)) + 0.5) * cellX;
        const double y = ink.ymin + (double(k / static_cast<size_t>(shape.cellsWide)) + 0.5) * cellY;
        const bool ours = Inside(glyph, x, y);
        both += ours && shape.filled[k];
        either += ours || shape.filled[k];
    }
    return either > 0 ? double(both) / either : 0.0;
}

// The box of a glyph's closed outlines.
ShxBox InkOf(const PlotChar& glyph)
{
    std::vector<ShxBox> contours;
    ShxBox ink;
    if (ClosedOutlines(glyph, contours))
        for (const ShxBox& b : contours) ink.Merge(b);
    return ink;
}

bool IsAsciiForm(uint16_t code) { return code == PlotFontLib::FullWidthSpace || code >> 8 == 0xA3; }

TEST_F(BuiltChineseFonts, HoldEveryGb2312CharacterAndTheCodePage950FormsOfThem)
{
    const std::vector<Gb2312Code> gb = Gb2312Codes();
    ASSERT_EQ(gb.size(), 7445u) << "GB2312: 682 symbols and 6763 Hanzi";
    size_t hanzi = 0, fullWidth = 0;
    std::set<uint16_t> big950;
    for (const Gb2312Code& c : gb) {
        hanzi += c.code >= 0xB0A1;
        fullWidth += c.code >> 8 == 0xA3;
        EXPECT_NE(Labels().FindPlotChar(c.code), nullptr) << std::hex << c.code;
        if (uint16_t b = CodePage950(c.unicode)) {
            big950.insert(b);
            EXPECT_NE(Big().FindPlotChar(b), nullptr) << std::hex << c.code << " as " << b;
        }
    }
    EXPECT_EQ(hanzi, 6763u);
    EXPECT_EQ(fullWidth, 94u);
    EXPECT_EQ(Labels().GetCount(), 7445);
    EXPECT_EQ(Big().GetCount(), static_cast<int32_t>(big950.size()));
    EXPECT_GT(big950.size(), 4000u);
    EXPECT_TRUE(MissingGlobalFontFiles().empty());
    EXPECT_TRUE(FontFilesWithoutChinese().empty());

    CTamselFont big;
    ASSERT_EQ(big.LoadFont(CString::FromUtf8(corvane_test::ProgramDir() + "chineset.shx").GetString()), 1);
    EXPECT_EQ(big.FontType(0), FONTYPE_BIGFONT);
    EXPECT_EQ(big.GetExactNum(), static_cast<long>(big950.size()));
}

TEST_F(BuiltChineseFonts, ASampleOfFiftyCodesIsDrawnAsTheOutlineFontDrawsItInsideItsCell)
{
    OutlineFont outline;
    ASSERT_TRUE(outline.Ok()) << CORVANE_CHINESE_FONT;
    std::vector<Gb2312Code> gb = Gb2312Codes();
    std::erase_if(gb, [](const Gb2312Code& c) { return IsAsciiForm(c.code); });
    ASSERT_GT(gb.size(), 7000u);
    const ShxBox cell = AsciiFormsBox(Labels());
    const int32_t pitch = Labels().GetArea().xmax;
    ASSERT_TRUE(cell.IsValid());
    // The label font's box is the ASCII forms' own: Chinese glyphs change no label's size.
    EXPECT_EQ(Labels().GetArea().ymin, cell.ymin);
    EXPECT_EQ(Labels().GetArea().ymax, cell.ymax);

    // 中, the reference all sizes are compared with.
    const OutlineShape ref = outline.Of(u'中');
    const PlotChar* refGlyph = Labels().FindPlotChar(0xD6D0);
    ASSERT_NE(refGlyph, nullptr);
    const ShxBox refInk = InkOf(*refGlyph);
    ASSERT_TRUE(refInk.IsValid());
    const double scale = refInk.Width64() / double(ref.box.xMax - ref.box.xMin);
    int sampled = 0;
    for (size_t i = 0; i < gb.size(); i += gb.size() / 50) {
        if (sampled == 50) break;
        const Gb2312Code& c = gb[i];
        ++sampled;
        const OutlineShape shape = outline.Of(c.unicode);
        for (const PlotFontLib* lib : {&Labels(), &Big()}) {
            uint16_t code = lib == &Labels() ? c.code : CodePage950(c.unicode);
            if (code == 0) continue;  // code page 950 lacks it
            const PlotChar* glyph = lib->FindPlotChar(code);
            ASSERT_NE(glyph, nullptr) << std::hex << c.code;
            std::vector<ShxBox> contours;
            ASSERT_TRUE(ClosedOutlines(*glyph, contours)) << std::hex << c.code << " has an open polyline";
            ASSERT_FALSE(shape.filled.empty()) << std::hex << c.code;
            const ShxBox ink = InkOf(*glyph);
            ASSERT_TRUE(ink.IsValid()) << std::hex << c.code;
            // The glyph fills what the outline font fills, cell by cell over the box.
            EXPECT_GT(FillAgreement(*glyph, ink, shape), 0.85) << std::hex << c.code;
            if (lib != &Labels()) continue;
            EXPECT_GE(ink.xmin, 0) << std::hex << c.code;
            EXPECT_LE(ink.xmax, pitch) << std::hex << c.code;
            EXPECT_GE(ink.ymin, cell.ymin) << std::hex << c.code;
            EXPECT_LE(ink.ymax, cell.ymax) << std::hex << c.code;
            // Drawn to the outline font's proportions, on its baseline (y 0).
            EXPECT_NEAR(ink.Width64(), double(shape.box.xMax - shape.box.xMin) * scale, 3) << std::hex << c.code;
            EXPECT_NEAR(ink.Height64(), double(shape.box.yMax - shape.box.yMin) * scale, 3) << std::hex << c.code;
            EXPECT_NEAR(ink.ymin, double(shape.box.yMin) * scale, 3) << std::hex << c.code;
        }
    }
    EXPECT_EQ(sampled, 50);
    // The comparison tells characters apart: 中 does not fill what 文 fills.
    EXPECT_LT(FillAgreement(*refGlyph, refInk, outline.Of(u'文')), 0.5);
}

// A label of GB2312 bytes in the default character size (SI 0.8 x 1.0 cm) at (1000, 2000).
const char kChineseLabel[] = "IN;PU1000,2000;LB\xD6\xD0\xCE\xC4\xB2\xE2\xCA\xD4\x03";  // 中文测试
const uint16_t kChineseCodes[] = {0xD6D0, 0xCEC4, 0xB2E2, 0xCAD4};

// Checks that the shapes hold the glyphs of the four characters as closed outlines, each
// inside its character's cell of the label layout (within a unit).
void ExpectOutlinesInCells(const PlotShapeList& shapes, const PlotFontLib& font, const char* explainer)
{
    ASSERT_EQ(shapes.Count(), 1) << explainer;
    const PlotShape& label = *shapes.HeadShape();
    const ShxBox& box = font.GetArea();
    const double sx = 0.8 * 400 / box.Width64(), sy = 1.0 * 400 / box.Height64();
    const double pitch = box.xmax * sx;
    int pl = 0;
    for (int k = 0; k < 4; ++k) {
        const PlotChar* glyph = font.FindPlotChar(kChineseCodes[k]);
        ASSERT_NE(glyph, nullptr);
        const double left = 1000 + k * pitch, right = left + pitch;
        const double bottom = 2000 + box.ymin * sy, top = 2000 + box.ymax * sy;
        int closed = 0;
        for (int i = 0; i < glyph->GetPlNum(); ++i, ++pl) {
            ASSERT_LT(pl, label.GetPlNum()) << explainer;
            int32_t n = 0;
            const float* p = label.GetPl(pl, n);
            ASSERT_EQ(n, glyph->GetPlPtNum(i)) << explainer << " character " << k;
            if (n < 2) continue;
            EXPECT_EQ(p[0], p[2 * (n - 1)]) << explainer << " character " << k << " outline " << i;
            EXPECT_EQ(p[1], p[2 * (n - 1) + 1]) << explainer << " character " << k << " outline " << i;
            ++closed;
            for (int32_t j = 0; j < n; ++j) {
                EXPECT_GE(p[2 * j], left - 1) << explainer << " character " << k;
                EXPECT_LE(p[2 * j], right + 1) << explainer << " character " << k;
                EXPECT_GE(p[2 * j + 1], bottom - 1) << explainer << " character " << k;
                EXPECT_LE(p[2 * j + 1], top + 1) << explainer << " character " << k;
            }
        }
        EXPECT_GE(closed, 2) << explainer << " character " << k;
    }
    EXPECT_EQ(pl, label.GetPlNum()) << explainer;
}

TEST_F(BuiltChineseFonts, AChineseLabelBecomesClosedOutlinesInItsCellsInBothExplainers)
{
    const std::string path = corvane_test::ScratchDir() + "chinese.plt";
    ASSERT_TRUE(corvane_test::WriteFile(path, kChineseLabel));

    HpglStreamExplainer stream;
    ASSERT_EQ(stream.LoadHpglFile(CString::FromUtf8(path).GetString()), HpglAnalyzer::kLoadOk);
    PlotShapeList streamShapes;
    stream.Transform(streamShapes);
    ExpectOutlinesInCells(streamShapes, Labels(), "stream explainer");

    HpglAnalyzer analyzer;
    ASSERT_EQ(analyzer.LoadHpglFile(CString::FromUtf8(path).GetString()), HpglAnalyzer::kLoadOk);
    HpglExplainer second(analyzer);
    PlotShapeList secondShapes;
    second.Transform(secondShapes);
    ExpectOutlinesInCells(secondShapes, Labels(), "second explainer");
}

TEST_F(BuiltChineseFonts, MixedTextStandsOnOneBaselineAndTheMultiFontLayoutDrawsChinese)
{
    // In a label the raised ASCII forms and the Chinese glyphs share the baseline: "H" stands
    // on it, and 中 reaches below it as the outline font's ideographs do.
    PlotChar mixed;
    Labels().FindPlotString(CStringA("H\xD6\xD0"), mixed);
    PlotChar h;
    Labels().FindPlotString(CStringA("H"), h);
    h.CalArea();
    EXPECT_EQ(h.GetArea().ymin, 0);
    const ShxBox& zhong = Labels().FindPlotChar(0xD6D0)->GetArea();
    EXPECT_LT(zhong.ymin, 0);
    EXPECT_GT(zhong.ymax, h.GetArea().ymax);

    // The multi-font layout finds 中 in the bigfont under its code page 950 code, not "|".
    const uint16_t big = CodePage950(u'中');
    ASSERT_NE(big, 0);
    const PlotChar* glyph = Big().FindPlotChar(big);
    ASSERT_NE(glyph, nullptr);
    std::string text = {static_cast<char>(big >> 8), static_cast<char>(big & 0xFF), 'A'};
    PlotChar laidOut;
    PlotFontLibArray::GetGlobalFontLib()->FindPlotString(CStringA(text), laidOut);
    EXPECT_EQ(laidOut.GetPlNum(), glyph->GetPlNum() + Shapes().FindPlotChar('A')->GetPlNum());
    // Chinese glyphs are sized as the shapes font's letters are drawn: taller than "A", and
    // on its baseline.
    PlotChar a(*Shapes().FindPlotChar('A'));
    a.Scale(PlotFontLibArray::ShapesGlyphScale, PlotFontLibArray::ShapesGlyphScale);
    EXPECT_GT(glyph->GetArea().Height64(), a.GetArea().Height64());
    EXPECT_LT(glyph->GetArea().Height64(), 2 * a.GetArea().Height64());
    EXPECT_EQ(a.GetArea().ymin, 0);
    EXPECT_LT(glyph->GetArea().ymin, 0);
}

}  // namespace
