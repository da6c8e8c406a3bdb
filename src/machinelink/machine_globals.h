// The library-wide settings of the machine link that the main program sets from its own
// configuration: the fixed calibration scales, the jet band factor and the warm-up rows.
#pragma once

#include <cstdint>

// X scale applied when a machine's settings or configuration file are adopted: the X
// calibration becomes ideal = Fixed_XSCALE x 500, real = 500.
extern float Fixed_XSCALE;
// The same for Y.
extern float Fixed_YSCALE;
// Factor of the jet band offset: the band height of a machine's value report is Y_RelSCALE
// times the value, at least 100.
extern int Y_RelSCALE;

// Sets the number of warm-up rows of the jet raster (set before each jet job; safe from any
// thread).
void SetWarmUpLines(int lines);
// The number of warm-up rows of the jet raster.
int GetWarmUpLines();
