// MissingGlobalFontFiles and FontFilesWithoutChinese: which of the program's global font
// files gave no glyphs, or no Chinese ones, for the operator message at start-up and when a
// job with labels is loaded.
#pragma once

#include "platform/cstring.h"

#include <vector>

// The names of the global font files whose tables are empty: "fshz.fnt" (labels, the global
// PlotFontLib) and "txt.shx" (the shapes table of the global PlotFontLibArray), in that
// order. A file counts as missing when it is absent, unreadable or holds no shapes, and
// until its loader has run.
std::vector<CString> MissingGlobalFontFiles();
// The names of the global font files that draw no Chinese text although they are there to:
// "fshz.fnt" when it holds glyphs but no Hanzi (a build without the Chinese outline font
// makes it for ASCII only), and "chineset.shx" (the bigfont of the global PlotFontLibArray)
// when its table is empty, in that order.
std::vector<CString> FontFilesWithoutChinese();
