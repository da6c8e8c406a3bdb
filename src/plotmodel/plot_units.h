// Conversions of float plotter coordinates to the integer units of bounds and HPGL text:
// truncation toward zero held within 32 bits (geometry/int_truncation.h).
#pragma once

#include "geometry/int_truncation.h"
