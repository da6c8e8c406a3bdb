// MakeProgramFonts: the program's two font files made from the printable-ASCII glyphs of a
// Hershey font.
//
// The first 95 records of the font are the characters " " to "~" in order (the layout of
// Hershey's ASCII fonts). Hershey coordinates are flipped to grow upward and used as font
// units unscaled, so every vertex stays exact; each glyph is pen moves (code 8) from its
// origin, split where a move exceeds a signed byte, and ends at its advance with the pen up.
//   - "txt.shx", a shapes font numbered in ASCII: each glyph's left side and baseline lie at
//     its origin.
//   - "fshz.fnt", the label font, a bigfont numbered in the full-width double-byte codes that
//     single bytes are looked up under, in LabelUnitsPerHershey font units to a Hershey unit
//     (each glyph scales its Hershey moves up, so they stay exact). Its layout sets glyphs at
//     a fixed pitch (the widest advance) and raises single bytes by
//     PlotFontLib::SingleByteRise, so each glyph is centred in a cell of that pitch and drawn
//     with its baseline that far below the origin: a label's baseline then lies at the pen.
//     Double-byte glyphs are not raised, so a Chinese glyph drawn with its baseline at the
//     origin stands on the same line; the finer units keep the rise small beside a glyph, so
//     that a full-width form asked for by its own double-byte code sits only a little lower.
// The font information holds the cap height ("H") above and the descender ("p") below the
// baseline, in the units of each file.
#pragma once

#include "hershey/hershey_font.h"
#include "shx_encoder/shx_font_encoder.h"

#include <string>
#include <vector>

namespace hershey {

// The characters the font files hold, " " to "~".
constexpr int FirstPrintable = ' ';
constexpr int LastPrintable = '~';
constexpr int PrintableCount = LastPrintable - FirstPrintable + 1;
// Font units of "fshz.fnt" to a Hershey unit.
constexpr int32_t LabelUnitsPerHershey = 8;

// Where the glyphs of the fonts lie, in Hershey units from a glyph's baseline.
struct HersheyExtent {
    int32_t pitch = 0;      // the widest advance: the cell of the label font
    int32_t capHeight = 0;  // "H"
    int32_t descender = 0;  // "p", below the baseline
    int32_t top = 0;        // the highest point of any glyph above the baseline
    int32_t bottom = 0;     // the lowest point of any glyph below the baseline (0 or more)
};

struct ProgramFonts {
    shx_font::ShxFontDef shapes;     // "txt.shx"
    shx_font::ShxFontDef fullWidth;  // "fshz.fnt"
    HersheyExtent extent;
};

// Makes both fonts from the text of a ".jhf" file; name goes into their font information.
// False with a reason in error when the text is no Hershey font of at least 95 glyphs or its
// heights do not fit the font information's bytes.
bool MakeProgramFonts(const std::string& jhfText, const std::string& name, ProgramFonts& fonts, std::string& error);

}  // namespace hershey
