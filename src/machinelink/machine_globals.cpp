// The machine link's library-wide settings and their start values.
#include "machinelink/machine_globals.h"

#include <atomic>

float Fixed_XSCALE = 1.0045203f;
float Fixed_YSCALE = 1.0411245f;
int Y_RelSCALE = 10;

namespace {
// Written by the user interface before a jet job, read by the link thread while it renders.
std::atomic<int> warmUpLines{0};
}  // namespace

void SetWarmUpLines(int lines) { warmUpLines.store(lines, std::memory_order_relaxed); }

int GetWarmUpLines() { return warmUpLines.load(std::memory_order_relaxed); }
