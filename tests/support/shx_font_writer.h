// Writes small vector-font files for tests, through the project's font encoder, so that
// tests build the fonts they read instead of shipping binary files.
//
// Use:
//   corvane_test::ShxFontDef font;                 // a shapes font named "corvane test"
//   font.glyphs.push_back({'A', corvane_test::ShxCode({2, 0x14, 1, 0x40})});
//   corvane_test::WriteShxFont(corvane_test::ProgramDir() + "txt.shx", font);
// Tests that need damaged files take ShxFontBytes and cut or overwrite the bytes.
#pragma once

#include "shx_encoder/shx_font_encoder.h"

#include <string>

namespace corvane_test {

using shx_font::ShxCode;
using shx_font::ShxFontBytes;
using shx_font::ShxFontDef;
using shx_font::ShxFontKind;
using shx_font::ShxGlyphDef;

// Writes the font file; false when it cannot be written.
bool WriteShxFont(const std::string& path, const ShxFontDef& font);

}  // namespace corvane_test
