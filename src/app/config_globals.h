// The program's settings read from "Config.ini" at start-up (LoadConfigIni), with their
// defaults. The calibration scales and the band factor it also sets are the machine link's
// (machinelink/machine_globals.h).
#pragma once

#include "platform/cstring.h"

#include <cstdint>

// Which font lays out drawing text: 1 the bigfont array (text in code page 950), any other
// value the single font library (text in the ANSI page).
inline int32_t glFontLibType = 0;
// Start the next job when a machine asks and its current job is done.
inline int32_t FB_REPT_StartNextFile = 0;
// Warm-up line count of the first page; -1: none.
inline int32_t WarmUpLine = -1;
// Warm-up lines on every page, not only the first.
inline int32_t AllPagesHaveWarmupLine = 0;
// Tell the operator when a page ends and more pages remain.
inline int32_t FB_bTipWhenHasNextPage = 0;
// A direction line before cutting.
inline int32_t AddDirectionLine = 0;
// Feed the paper after the last page too.
inline int32_t FB_FeedForLastPage = 0;
// Path of the pattern editor program.
inline CString EditSoftPath;
