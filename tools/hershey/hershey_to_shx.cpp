// MakeProgramFonts: converting Hershey glyphs into shape byte code.
#include "hershey/hershey_to_shx.h"

#include "fonts/plot_font_lib.h"

#include <algorithm>
#include <cstdlib>

namespace hershey {
namespace {

constexpr char kPenDown = 1;
constexpr char kPenUp = 2;
constexpr char kMove = 8;

struct Metrics {
    int32_t baseline = 0;   // Hershey y of the baseline
    int32_t capHeight = 0;  // font units above the baseline
    int32_t descender = 0;  // font units below the baseline
};

// Where a glyph's Hershey coordinates land: x - left + shiftX, baseline - y, in Hershey
// units from an origin that lies riseUnits font units below the glyph's own origin, each
// Hershey unit unitsPerHershey font units.
struct Placement {
    int32_t shiftX = 0;
    int32_t riseUnits = 0;
    int32_t unitsPerHershey = 1;
};

constexpr char kMultiplyScale = 4;

int32_t Advance(const HersheyGlyph& g) { return g.right - g.left; }

// Appends code-8 moves by (dx, dy), each pair fitting a signed byte.
void AppendMove(std::string& code, int32_t dx, int32_t dy) { shx_font::AppendByteStepMove(code, dx, dy, kMove); }

// The byte code of one glyph: pen up, down by the rise and into Hershey units; every stroke
// pen up to its start, pen down along it; then pen up to the advance on the baseline.
std::string GlyphCode(const HersheyGlyph& g, const Metrics& m, const Placement& at, int32_t advance)
{
    std::string code(1, kPenUp);
    if (at.riseUnits != 0) AppendMove(code, 0, -at.riseUnits);
    if (at.unitsPerHershey != 1) {
        code += kMultiplyScale;
        code += static_cast<char>(at.unitsPerHershey);
    }
    int32_t x = 0;
    int32_t y = 0;
    auto moveTo = [&](int32_t toX, int32_t toY) {
        AppendMove(code, toX - x, toY - y);
        x = toX;
        y = toY;
    };
    for (const auto& stroke : g.strokes) {
        code += kPenUp;
        for (size_t i = 0; i < stroke.size(); ++i) {
            moveTo(stroke[i].x - g.left + at.shiftX, m.baseline - stroke[i].y);
            if (i == 0) code += kPenDown;
        }
    }
    code += kPenUp;
    moveTo(advance, 0);
    return code;
}

// The lowest and highest Hershey y of a glyph's strokes; false when it has none.
bool VerticalExtent(const HersheyGlyph& g, int32_t& top, int32_t& bottom)
{
    if (g.strokes.empty()) return false;
    top = g.strokes.front().front().y;
    bottom = top;
    for (const auto& stroke : g.strokes) {
        for (const auto& p : stroke) {
            top = std::min(top, p.y);
            bottom = std::max(bottom, p.y);
        }
    }
    return true;
}

// Measures the baseline and cap height on "H" and the descender on "p".
bool Measure(const std::vector<HersheyGlyph>& ascii, Metrics& m, std::string& error)
{
    int32_t top = 0;
    int32_t bottom = 0;
    int32_t pTop = 0;
    int32_t pBottom = 0;
    if (!VerticalExtent(ascii['H' - FirstPrintable], top, bottom) ||
        !VerticalExtent(ascii['p' - FirstPrintable], pTop, pBottom)) {
        error = "\"H\" or \"p\" draws nothing, so the font's heights cannot be measured";
        return false;
    }
    m.baseline = bottom;
    m.capHeight = bottom - top;
    m.descender = pBottom - bottom;
    constexpr int32_t kMostHeight = 255 / LabelUnitsPerHershey;  // the information's bytes in label units
    if (m.capHeight < 1 || m.capHeight > kMostHeight || m.descender < 0 || m.descender > kMostHeight) {
        error = "the cap height or descender does not fit the font information";
        return false;
    }
    return true;
}

shx_font::ShxFontDef FontInformation(shx_font::ShxFontKind kind, const std::string& name, const Metrics& m,
                                     int32_t unitsPerHershey)
{
    shx_font::ShxFontDef font;
    font.kind = kind;
    font.name = name;
    font.heightUp = static_cast<uint8_t>(m.capHeight * unitsPerHershey);
    font.heightDown = static_cast<uint8_t>(m.descender * unitsPerHershey);
    font.mode = 0;  // horizontal text
    font.ranges = {{0xA1, 0xFE}};
    return font;
}

}  // namespace

bool MakeProgramFonts(const std::string& jhfText, const std::string& name, ProgramFonts& fonts, std::string& error)
{
    std::vector<HersheyGlyph> glyphs;
    if (!ParseJhf(jhfText, glyphs, error)) return false;
    if (glyphs.size() < static_cast<size_t>(PrintableCount)) {
        error = "the font has " + std::to_string(glyphs.size()) + " glyphs; printable ASCII needs " +
                std::to_string(PrintableCount);
        return false;
    }
    glyphs.resize(PrintableCount);
    Metrics m;
    if (!Measure(glyphs, m, error)) return false;

    fonts.shapes = FontInformation(shx_font::ShxFontKind::Shapes, name, m, 1);
    fonts.fullWidth = FontInformation(shx_font::ShxFontKind::Bigfont, name, m, LabelUnitsPerHershey);
    HersheyExtent& extent = fonts.extent;
    extent = {0, m.capHeight, m.descender, 0, 0};
    for (const auto& g : glyphs) {
        extent.pitch = std::max(extent.pitch, Advance(g));
        int32_t top = 0;
        int32_t bottom = 0;
        if (!VerticalExtent(g, top, bottom)) continue;
        extent.top = std::max(extent.top, m.baseline - top);
        extent.bottom = std::max(extent.bottom, bottom - m.baseline);
    }
    const auto rise = static_cast<int32_t>(PlotFontLib::SingleByteRise);
    for (int c = FirstPrintable; c <= LastPrintable; ++c) {
        const HersheyGlyph& g = glyphs[static_cast<size_t>(c - FirstPrintable)];
        std::string label(1, static_cast<char>(c));
        fonts.shapes.glyphs.push_back({static_cast<uint16_t>(c), GlyphCode(g, m, {}, Advance(g)), label});
        auto code = static_cast<uint16_t>(c == ' ' ? PlotFontLib::FullWidthSpace
                                                   : PlotFontLib::FullWidthFirst + (c - '!'));
        Placement centred{(extent.pitch - Advance(g)) / 2, rise, LabelUnitsPerHershey};
        fonts.fullWidth.glyphs.push_back({code, GlyphCode(g, m, centred, extent.pitch), ""});
    }
    return true;
}

}  // namespace hershey
