// The most points one load of a plot file may make; past it the load fails.
#pragma once

#include <cstdint>

constexpr int64_t kLoadPointBudget = int64_t(1) << 25;
