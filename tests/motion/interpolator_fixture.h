// Helpers for the interpolator tests: a machine with the record's default values, jobs built
// from short polylines, stream text, and the pump loop of the machine link.
#pragma once

#include "motion/interpolate1.h"
#include "motion/machine_motion_params.h"
#include "motion/p_data_buf.h"
#include "plotmodel/plot_shape_cut_list.h"

#include "../plotmodel/shape_fixtures.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace interp_fixtures {

using plot_fixtures::Polyline;

// A machine with the defaults of a freshly announced record: level 0 speed 1000 and values
// 40000, 100000, 200000; move acceleration 50000, jerk 1500000; no extra block.
class FakeMachine : public MachineMotionParams {
public:
    static FakeMachine Cutting(int firmware = 4) { return FakeMachine(firmware, kCuttingMachineBit); }
    static FakeMachine Magnet(int firmware = 4) { return FakeMachine(firmware, 0); }

    int GetFirmwareVersion() const override { return firmware; }
    uint8_t GetMachineKind() const override { return kind; }
    float GetXScale() const override { return xScale; }
    float GetYScale() const override { return yScale; }
    MotionSpeedLevel GetSpeedLevel(int level) const override { return levels.at(static_cast<size_t>(level)); }
    int32_t GetMoveAcceleration() const override { return moveAcceleration; }
    int32_t GetJerk() const override { return jerk; }
    std::span<const uint8_t, kExtraBlockBytes> GetExtraBlock() const override { return extraBlock; }
    int GetTaskJetLevel() const override { return taskJetLevel; }
    void SetEndWithD100(int32_t on) override { endWithD100 = on; }

    // Stores a little-endian word into the extra block.
    void SetExtraWord(int at, uint16_t v)
    {
        extraBlock[static_cast<size_t>(at)] = static_cast<uint8_t>(v);
        extraBlock[static_cast<size_t>(at) + 1] = static_cast<uint8_t>(v >> 8);
    }

    int firmware;
    uint8_t kind;
    float xScale = 1.0f;
    float yScale = 1.0f;
    std::array<MotionSpeedLevel, 3> levels{{{1000, 40000, 100000, 200000},
                                            {1500, 48000, 100000, 400000},
                                            {2000, 60000, 100000, 2000000}}};
    int32_t moveAcceleration = 50000;
    int32_t jerk = 1500000;
    std::array<uint8_t, kExtraBlockBytes> extraBlock{};
    int taskJetLevel = 0;
    int32_t endWithD100 = 0;

private:
    FakeMachine(int fw, uint8_t k) : firmware(fw), kind(k) {}
};

// One shape of the job: its sub-polylines and cut mode.
struct JobShape {
    std::vector<Polyline> polylines;
    unsigned char mau = PlotShape::kDefaultMauIndex;
};

inline PlotShapeCutList* NewJob(const std::vector<JobShape>& shapes)
{
    auto* list = new PlotShapeCutList;
    for (const JobShape& js : shapes) {
        auto* s = new PlotShape;
        for (const Polyline& pl : js.polylines) {
            bool first = true;
            for (const plot_fixtures::Pt& p : pl) {
                s->AddPoint(p.x, p.y, first ? 1 : 0);
                first = false;
            }
        }
        s->CalArea();
        s->SetMauIndex(js.mau);
        list->AddTail(s);
    }
    return list;
}

// Starts a job on the interpolator: a print list, the cut list of the shapes, the head at
// (0, 0) with the tool raised.
inline void StartJob(P_Interpolate1& interp, const std::vector<JobShape>& shapes, std::array<int32_t, 4> depths = {})
{
    PARAM_SetData p;
    p.firstList = new PlotShapeCutList;
    p.secondList = NewJob(shapes);
    for (int i = 0; i < 4; ++i) p.toolDepths[i] = depths[static_cast<size_t>(i)];
    interp.SetData(p);
}

inline std::string Text(const P_DataBuf& b)
{
    return std::string(reinterpret_cast<const char*>(b.GetData()), static_cast<size_t>(b.GetDataNum()));
}

// One generator call: its result and the text it appended to an empty stream.
struct Call {
    int result;
    std::string text;
    bool operator==(const Call&) const = default;
};

inline void PrintTo(const Call& c, std::ostream* os) { *os << c.result << " \"" << c.text << "\""; }

using Generator = std::function<int(P_DataBuf&)>;

inline Call CallOnce(const Generator& gen)
{
    P_DataBuf b;
    int r = gen(b);
    return {r, Text(b)};
}

// The planner's text of one straight segment (dx, dy) from standstill under the default
// speed set, x leading: start speed 1200, top speed 60000, acceleration 160000.
inline std::string DefaultLine(int dx, int dy)
{
    const int steps = std::max(std::abs(dx), std::abs(dy));
    return "P" + std::to_string(dx) + "," + std::to_string(dy) + ";S1,1201,1,1201,60000,160001," +
           std::to_string(steps) + ",1600000;";
}

// Runs the machine link's pump until the generator reports the end of the job: whenever
// the stream has nothing left it is emptied and refilled, and its bytes leave in groups of
// at most 300. Returns the groups.
inline std::vector<std::string> Pump(const Generator& gen, int maxRounds = 1000000)
{
    std::vector<std::string> groups;
    P_DataBuf stream;
    for (int round = 0; round < maxRounds; ++round) {
        if (stream.GetLeavingDataNum() == 0) {
            stream.Initialize();
            const int r = gen(stream);
            if (r == GetNextPathResult::kNoShapeLeft) return groups;
            EXPECT_GE(r, 0) << "a job in progress never reports " << r;
            if (r < 0) return groups;
            stream.TerminateText();
            continue;
        }
        int n = 300;
        const uint8_t* data = stream.GetNextGroupData(n);
        groups.emplace_back(reinterpret_cast<const char*>(data), static_cast<size_t>(n));
    }
    ADD_FAILURE() << "the job did not end";
    return groups;
}

}  // namespace interp_fixtures
