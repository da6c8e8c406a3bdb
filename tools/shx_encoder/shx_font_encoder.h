// Encodes vector-font files (shapes, bigfont, unifont) from glyph definitions, in the byte
// layout fonts/tamsel_font.h reads; shared by the font maker and the tests' font writer.
//
// Use:
//   shx_font::ShxFontDef font;                   // a shapes font named "corvane test"
//   font.glyphs.push_back({'A', shx_font::ShxCode({2, 0x14, 1, 0x40})});
//   std::string bytes = shx_font::ShxFontBytes(font);
// A bigfont (kind Bigfont) takes double-byte numbers, lead byte * 256 + trail byte, e.g.
// 0xA3C1. Every file starts with a header of the form "Corvane <kind> 1.0" and the bytes
// 13 10 26, then the index of its kind, the font information (number 0; for a unifont the
// block after the header) and the definitions, all little-endian. Callers that need damaged
// files cut or overwrite the bytes.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace shx_font {

enum class ShxFontKind { Shapes, Bigfont, Unifont };

struct ShxGlyphDef {
    uint16_t number = 0;  // the shape number: an ASCII code, or a double-byte code
    std::string code;     // the byte code; the encoder adds the closing 0
    std::string name;     // written before the byte code with its terminator
};

struct ShxFontDef {
    ShxFontKind kind = ShxFontKind::Shapes;
    std::string name = "corvane test";  // name of the font information
    uint8_t heightUp = 8;
    uint8_t heightDown = 2;
    uint8_t mode = 0;
    bool withInfo = true;  // false: no font information is written
    // Escape ranges of a bigfont (first and last lead code).
    std::vector<std::pair<uint16_t, uint16_t>> ranges = {{0x81, 0xFE}};
    std::vector<ShxGlyphDef> glyphs;  // in file order
};

// Byte code from numbers: 0..255 as they are, -128..-1 as signed bytes (for the moves of
// codes 8, 9, 12 and 13).
std::string ShxCode(std::initializer_list<int> bytes);
// The bytes of the font file.
std::string ShxFontBytes(const ShxFontDef& font);

// Appends a move by (dx, dy) as signed-byte pairs in equal steps that each fit a byte, so
// that a long line drawn in steps stays on its line; each pair follows prefix unless prefix is
// 0 (code 8 moves by one pair; a code-9 list takes bare pairs, and none is (0, 0), which would
// end it). Returns the number of pairs.
int32_t AppendByteStepMove(std::string& code, int32_t dx, int32_t dy, char prefix);

}  // namespace shx_font
