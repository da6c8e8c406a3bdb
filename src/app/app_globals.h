// Program-wide settings of the core that the document sets at start-up.
#pragma once

#include <cstdint>

// Nonzero: contour recognition runs on every plot file that is opened.
inline int32_t glRecogniseContourWhenFileOpen = 0;
