// Program-wide settings of the core that Config.ini and the document set at start-up.
#pragma once

#include <cstdint>

// Which font lays out drawing text: 1 the bigfont array (text in code page 950), any other
// value the single font library (text in the ANSI page).
inline int32_t glFontLibType = 0;
// Nonzero: contour recognition runs on every plot file that is opened.
inline int32_t glRecogniseContourWhenFileOpen = 0;
