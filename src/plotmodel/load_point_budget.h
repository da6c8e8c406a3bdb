// The most points one load of a plot file (HPGL or DXF) may make before it is refused.
#pragma once

#include <cstdint>

constexpr int64_t kLoadPointBudget = int64_t(1) << 25;
