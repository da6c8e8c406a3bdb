// AddChineseGlyphs: the GB2312 characters of an outline font added to the program's fonts.
//
// Every character of GB2312 is read from the outline font (FreeType, unscaled, unhinted),
// flattened into closed contours within 1/200 of its em, put on each font's grid and joined
// into the outline of what they fill (overlapping strokes become one contour):
//   - "fshz.fnt", the label font, under its GB2312 code: the em centred in the label cell
//     (the Hershey pitch) with the font's baseline on the label baseline (the pen), in the
//     label font's units; codes the Hershey forms already hold (the full-width ASCII forms and
//     the space) keep them.
//   - "chineset.shx", the bigfont of the multi-font layout, under its code page 950 code (the
//     page that layout is looked up in): the em's left side and the baseline at the origin,
//     as the shapes font's glyphs lie, in the shapes font's drawn units. GB2312 characters
//     that code page 950 lacks cannot be looked up there and are left out.
// One size serves both: the em is as large as lets every Hanzi stand inside the label cell
// and inside the height the ASCII forms span, so that the label font's box, and with it the
// size of every label, stays what the ASCII forms make it. A symbol reaching beyond those
// limits is shrunk about the cell's centre on the baseline until it fits.
#pragma once

#include "hershey/hershey_to_shx.h"
#include "shx_encoder/shx_font_encoder.h"

#include <string>
#include <vector>

namespace cjk_outline {

// Font units of "chineset.shx" to a Hershey unit: the shapes font's drawn size.
constexpr int32_t BigfontUnitsPerHershey = 6;

struct ChineseGlyphsMade {
    int32_t labelGlyphs = 0;    // Chinese-font glyphs added to "fshz.fnt"
    int32_t bigfontGlyphs = 0;  // glyphs of "chineset.shx"
    int32_t mostPoints = 0;     // points of the largest glyph, as the reader counts them
    int64_t labelPoints = 0;    // points of all glyphs of each table
    int64_t bigfontPoints = 0;
    std::vector<uint16_t> missing;  // GB2312 codes the outline font has no glyph for
};

// Adds the glyphs to fonts.fullWidth and fills bigfont; false with a reason in error when
// the font cannot be read or iconv knows no GB2312.
bool AddChineseGlyphs(const std::string& fontPath, hershey::ProgramFonts& fonts, shx_font::ShxFontDef& bigfont,
                      ChineseGlyphsMade& made, std::string& error);

}  // namespace cjk_outline
