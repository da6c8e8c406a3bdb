// Jobs for the link tests and the motion text the machine's interpolator writes for them.
#pragma once

#include "../motion/interpolator_fixture.h"

#include <string>
#include <vector>

class NET_Machine;

namespace corvane_test {

// A knife cut of a square, a half-cut diagonal and a circle of 240 points: text for a dozen
// packs or more.
std::vector<interp_fixtures::JobShape> SmallJob();
// A knife cut of a zig-zag of `segments` segments with sharp turns: a job of many packs.
std::vector<interp_fixtures::JobShape> ZigZagJob(int segments);

// The text the machine's interpolator writes for job when it runs it straight through, with
// the machine's own motion settings and the tool depths of its start request.
std::string InterpolatorText(NET_Machine& machine, const std::vector<interp_fixtures::JobShape>& job);

}  // namespace corvane_test
