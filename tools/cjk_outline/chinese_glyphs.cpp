// AddChineseGlyphs: reading, sizing, flattening and encoding the GB2312 glyphs.
#include "cjk_outline/chinese_glyphs.h"

#include "cjk_outline/contour_glyph_code.h"
#include "cjk_outline/contour_union.h"
#include "cjk_outline/gb2312_characters.h"
#include "cjk_outline/outline_flattener.h"
#include "fonts/plot_font_lib.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <set>

namespace cjk_outline {
namespace {

// The em fraction the contours keep to: chords and grid together.
constexpr double kEmTolerance = 1.0 / 200.0;
constexpr FT_Int32 kLoadFlags = FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP;

struct FreeTypeFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FreeTypeFace()
    {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

// A box of doubles; empty until a point is added.
struct Extent {
    double xmin = HUGE_VAL, ymin = HUGE_VAL, xmax = -HUGE_VAL, ymax = -HUGE_VAL;
    bool Empty() const { return xmin > xmax; }
    void Add(double x, double y)
    {
        xmin = std::min(xmin, x);
        xmax = std::max(xmax, x);
        ymin = std::min(ymin, y);
        ymax = std::max(ymax, y);
    }
};

// The outline of the glyph a character maps to, or null when the font has none.
const FT_Outline* LoadOutline(FT_Face face, char32_t c)
{
    FT_UInt index = FT_Get_Char_Index(face, c);
    if (index == 0 || FT_Load_Glyph(face, index, kLoadFlags) != 0) return nullptr;
    if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return nullptr;
    return &face->glyph->outline;
}

Extent ControlBox(const FT_Outline& outline)
{
    Extent e;
    if (outline.n_points == 0) return e;
    FT_BBox box;
    FT_Outline_Get_CBox(&outline, &box);
    e.Add(static_cast<double>(box.xMin), static_cast<double>(box.yMin));
    e.Add(static_cast<double>(box.xMax), static_cast<double>(box.yMax));
    return e;
}

// Where the em lies, in Hershey units: its left side at 0, the baseline at 0.
struct EmFrame {
    double hersheyPerUnit = 0.0;  // Hershey units to an outline unit
    double em = 0.0;              // the em's width
    double left = 0.0, right = 0.0, bottom = 0.0, top = 0.0;  // where glyphs must stay
};

// Sizes the em so that every Hanzi fits the label cell and the ASCII forms' height.
bool FrameFor(FT_Face face, const std::vector<Gb2312Character>& chars, const hershey::HersheyExtent& ascii,
              EmFrame& frame, std::string& error)
{
    Extent hanzi;
    for (const Gb2312Character& c : chars) {
        if (c.code >> 8 < Gb2312FirstHanziLead) continue;
        if (const FT_Outline* o = LoadOutline(face, c.unicode)) {
            Extent e = ControlBox(*o);
            if (!e.Empty()) {
                hanzi.Add(e.xmin, e.ymin);
                hanzi.Add(e.xmax, e.ymax);
            }
        }
    }
    if (hanzi.Empty() || hanzi.ymax <= 0.0 || hanzi.ymin >= 0.0 || face->units_per_EM == 0) {
        error = "the font draws no Hanzi of GB2312 across its baseline";
        return false;
    }
    const double rise = PlotFontLib::SingleByteRise / hershey::LabelUnitsPerHershey;
    const double em = face->units_per_EM;
    const double top = ascii.top - rise;        // the ASCII forms' top above the label baseline
    const double bottom = ascii.bottom + rise;  // and their bottom below it
    frame.hersheyPerUnit = std::min({ascii.pitch / std::max(em, hanzi.xmax - std::min(0.0, hanzi.xmin)),
                                     top / hanzi.ymax, bottom / -hanzi.ymin});
    frame.em = em * frame.hersheyPerUnit;
    const double margin = (ascii.pitch - frame.em) / 2.0;
    frame.left = -margin;
    frame.right = frame.em + margin;
    frame.bottom = -bottom;
    frame.top = top;
    return true;
}

// One font file's grid: font units to a Hershey unit, grid steps to a font unit, and where
// the em's left side lies, in font units.
struct FileGrid {
    double unitsPerHershey = 1.0;
    uint8_t divisor = 1;
    double emLeft = 0.0;
    double Steps(double hershey) const { return hershey * unitsPerHershey * divisor; }
};

// The glyph's contours in Hershey units of the em frame, shrunk about the cell's centre on
// the baseline when it reaches beyond the frame.
std::vector<Contour> Placed(std::vector<Contour> contours, const EmFrame& frame)
{
    Extent e;
    for (Contour& c : contours)
        for (OutlinePoint& p : c) {
            p.x *= frame.hersheyPerUnit;
            p.y *= frame.hersheyPerUnit;
            e.Add(p.x, p.y);
        }
    if (e.Empty()) return contours;
    const double cx = frame.em / 2.0;
    double shrink = 1.0;
    auto limit = [&](double reach, double bound, double pivot) {
        if ((reach - pivot) * (bound - pivot) > 0 && std::abs(reach - pivot) > std::abs(bound - pivot))
            shrink = std::min(shrink, (bound - pivot) / (reach - pivot));
    };
    limit(e.xmin, frame.left, cx);
    limit(e.xmax, frame.right, cx);
    limit(e.ymin, frame.bottom, 0.0);
    limit(e.ymax, frame.top, 0.0);
    if (shrink < 1.0)
        for (Contour& c : contours)
            for (OutlinePoint& p : c) {
                p.x = cx + (p.x - cx) * shrink;
                p.y *= shrink;
            }
    return contours;
}

// The contours on a file's grid, every point rounded to the nearest step inside the frame.
std::vector<GridContour> OnGrid(const std::vector<Contour>& contours, const EmFrame& frame, const FileGrid& grid)
{
    const double left = std::ceil(grid.Steps(frame.left) + grid.emLeft * grid.divisor);
    const double right = std::floor(grid.Steps(frame.right) + grid.emLeft * grid.divisor);
    const double bottom = std::ceil(grid.Steps(frame.bottom));
    const double top = std::floor(grid.Steps(frame.top));
    std::vector<GridContour> out;
    for (const Contour& c : contours) {
        GridContour g;
        for (const OutlinePoint& p : c) {
            double x = std::clamp(std::round(grid.Steps(p.x) + grid.emLeft * grid.divisor), left, right);
            double y = std::clamp(std::round(grid.Steps(p.y)), bottom, top);
            g.push_back({static_cast<int32_t>(x), static_cast<int32_t>(y)});
        }
        out.push_back(std::move(g));
    }
    return out;
}

// The outline units a grid's rounding may move a point by (a step in x and in y).
double GridError(const FileGrid& grid, const EmFrame& frame)
{
    return std::sqrt(2.0) / (grid.unitsPerHershey * grid.divisor * frame.hersheyPerUnit);
}

}  // namespace

bool AddChineseGlyphs(const std::string& fontPath, hershey::ProgramFonts& fonts, shx_font::ShxFontDef& bigfont,
                      ChineseGlyphsMade& made, std::string& error)
{
    made = {};
    const std::vector<Gb2312Character> chars = Gb2312Characters();
    if (chars.empty()) {
        error = "iconv converts no GB2312";
        return false;
    }
    FreeTypeFace ft;
    if (FT_Init_FreeType(&ft.library) != 0 || FT_New_Face(ft.library, fontPath.c_str(), 0, &ft.face) != 0) {
        error = "FreeType cannot open the font";
        return false;
    }
    EmFrame frame;
    if (!FrameFor(ft.face, chars, fonts.extent, frame, error)) return false;

    // The label font's em is centred in its cell; the bigfont's starts at the origin.
    const FileGrid label{static_cast<double>(hershey::LabelUnitsPerHershey), 2,
                         (fonts.extent.pitch - frame.em) / 2.0 * hershey::LabelUnitsPerHershey};
    const FileGrid big{static_cast<double>(BigfontUnitsPerHershey), 4, 0.0};
    const double emUnits = ft.face->units_per_EM;
    const double tolerance = emUnits * kEmTolerance - std::max(GridError(label, frame), GridError(big, frame));
    if (tolerance <= 0.0) {
        error = "the grids are too coarse for the em";
        return false;
    }
    const GridPoint labelAdvance{fonts.extent.pitch * hershey::LabelUnitsPerHershey * label.divisor, 0};
    const GridPoint bigAdvance{static_cast<int32_t>(std::lround(big.Steps(frame.em))), 0};

    bigfont = {};
    bigfont.kind = shx_font::ShxFontKind::Bigfont;
    bigfont.name = ft.face->family_name ? ft.face->family_name : "Chinese outlines";
    bigfont.heightUp = static_cast<uint8_t>(std::clamp(std::lround(frame.top * BigfontUnitsPerHershey), 1L, 255L));
    bigfont.heightDown = static_cast<uint8_t>(std::clamp(std::lround(-frame.bottom * BigfontUnitsPerHershey), 0L, 255L));
    bigfont.mode = 0;
    bigfont.ranges = {{0x81, 0xFE}};

    std::set<uint16_t> held;
    for (const auto& g : fonts.fullWidth.glyphs) held.insert(g.number);
    std::set<uint16_t> bigHeld;
    for (const Gb2312Character& c : chars) {
        const FT_Outline* outline = LoadOutline(ft.face, c.unicode);
        if (!outline) {
            made.missing.push_back(c.code);
            continue;
        }
        const std::vector<Contour> placed = Placed(FlattenOutline(*outline, tolerance), frame);
        int32_t points = 0;
        if (held.insert(c.code).second) {
            fonts.fullWidth.glyphs.push_back({c.code, ContourGlyphCode(UnionOfContours(OnGrid(placed, frame, label)), label.divisor,
                                                                       labelAdvance, points), ""});
            ++made.labelGlyphs;
            made.labelPoints += points;
            made.mostPoints = std::max(made.mostPoints, points);
        }
        std::optional<uint16_t> big950 = CodePage950Code(c.unicode);
        if (big950 && bigHeld.insert(*big950).second) {
            bigfont.glyphs.push_back({*big950, ContourGlyphCode(UnionOfContours(OnGrid(placed, frame, big)), big.divisor, bigAdvance, points), ""});
            ++made.bigfontGlyphs;
            made.bigfontPoints += points;
            made.mostPoints = std::max(made.mostPoints, points);
        }
    }
    // In ascending order, so that the reader's sorted insert only ever appends.
    auto byNumber = [](const shx_font::ShxGlyphDef& a, const shx_font::ShxGlyphDef& b) { return a.number < b.number; };
    std::stable_sort(fonts.fullWidth.glyphs.begin(), fonts.fullWidth.glyphs.end(), byNumber);
    std::stable_sort(bigfont.glyphs.begin(), bigfont.glyphs.end(), byNumber);
    return true;
}

}  // namespace cjk_outline
