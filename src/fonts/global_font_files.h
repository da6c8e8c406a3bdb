// MissingGlobalFontFiles: which of the program's global font files gave no glyphs, for the
// operator message at start-up and when a job with labels is loaded.
#pragma once

#include "platform/cstring.h"

#include <vector>

// The names of the global font files whose tables are empty: "fshz.fnt" (labels, the global
// PlotFontLib) and "txt.shx" (the shapes table of the global PlotFontLibArray), in that
// order. A file counts as missing when it is absent, unreadable or holds no shapes, and
// until its loader has run. The bigfont "chineset.shx" is not asked about.
std::vector<CString> MissingGlobalFontFiles();
