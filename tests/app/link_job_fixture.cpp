// Jobs of the link tests and their motion text, computed by an interpolator of our own.
#include "link_job_fixture.h"

#include "machinelink/net_machine.h"

#include <algorithm>
#include <cmath>

namespace corvane_test {

using interp_fixtures::FakeMachine;
using interp_fixtures::JobShape;
using interp_fixtures::NewJob;

std::vector<JobShape> SmallJob()
{
    plot_fixtures::Polyline circle;
    for (int i = 0; i <= 240; ++i) {
        const double a = i * 2 * M_PI / 240;
        circle.push_back({static_cast<float>(6000 + 2000 * std::cos(a)), static_cast<float>(3000 + 2000 * std::sin(a))});
    }
    return {{{{{0, 0}, {4000, 0}, {4000, 4000}, {0, 4000}, {0, 0}}}, 2},
            {{{{500, 500}, {3500, 3500}}}, 5},
            {{circle}, 2}};
}

// Runs an interpolator of our own with the machine's settings over the whole job.
std::string InterpolatorText(NET_Machine& machine, const std::vector<JobShape>& job)
{
    FakeMachine params = FakeMachine::Cutting(machine.GetFirmwareVersion());
    params.kind = machine.GetMachineKind();
    params.xScale = machine.GetXScale();
    params.yScale = machine.GetYScale();
    for (int i = 0; i < 3; ++i) params.levels[static_cast<size_t>(i)] = machine.GetSpeedLevel(i);
    params.moveAcceleration = machine.GetMoveAcceleration();
    params.jerk = machine.GetJerk();
    std::copy(machine.GetExtraBlock().begin(), machine.GetExtraBlock().end(), params.extraBlock.begin());
    params.taskJetLevel = machine.GetTaskJetLevel();

    const P_Interpolate1& live = machine.motionSource.interpolator;
    P_Interpolate1 interp;
    interp.machine = &params;
    std::copy(std::begin(live.speedConfigs), std::end(live.speedConfigs), std::begin(interp.speedConfigs));
    interp.firstSpeedIndex = live.firstSpeedIndex;
    interp.secondSpeedIndex = live.secondSpeedIndex;
    interp.cuttingLevelIndex = live.cuttingLevelIndex;
    interp.jetLevelIndex = live.jetLevelIndex;
    std::copy(std::begin(live.depthSettings), std::end(live.depthSettings), std::begin(interp.depthSettings));
    std::copy(std::begin(live.magnetBlock), std::end(live.magnetBlock), std::begin(interp.magnetBlock));
    interp.offsetsBlock = live.offsetsBlock;
    interp.depthParams = live.depthParams;

    PARAM_SetData p;
    p.firstList = new PlotShapeCutList;
    p.secondList = NewJob(job);
    const int32_t a = live.depthParams.depthValueA, b = live.depthParams.depthValueB;
    const int32_t depths[4] = {0, a, b, a};  // a cutting machine from firmware 4 on
    std::copy(depths, depths + 4, p.toolDepths);
    interp.SetData(p);
    P_DataBuf stream;
    for (int calls = 0; calls < 1000000; ++calls)
        if (interp.BGetNextData_at(stream) == GetNextPathResult::kNoShapeLeft) break;
    return interp_fixtures::Text(stream);
}

std::vector<JobShape> ZigZagJob(int segments)
{
    plot_fixtures::Polyline zigzag;
    for (int i = 0; i <= segments; ++i)
        zigzag.push_back({static_cast<float>(40 * i), static_cast<float>(i % 2 == 0 ? 0 : 400)});
    return {{{zigzag}, 2}};
}

}  // namespace corvane_test
