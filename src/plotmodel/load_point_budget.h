// The most points one load of a plot file (HPGL or DXF) may make before it is refused.
#pragma once

#include <cstdint>

#ifdef CORVANE_FUZZ_LOAD_POINT_BUDGET
// Fuzzing builds (CORVANE_FUZZ) bound loads lower, so that one at the budget stays quick
// under the sanitizers.
constexpr int64_t kLoadPointBudget = CORVANE_FUZZ_LOAD_POINT_BUDGET;
#else
constexpr int64_t kLoadPointBudget = int64_t(1) << 25;
#endif
