// P_Interpolate1: motion settings, job start and the two motion text generators.
#include "motion/interpolate1.h"

#include "motion/command_text.h"
#include "plotmodel/plot_page.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "plotmodel/plot_units.h"
#include "plotmodel/point_group.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <string_view>

namespace {

std::atomic<int32_t> gRepeatJetAtSectionStart{1};

// Codes of the groups that get fixed text. The depth-aware traversal reports MauIndex 130
// and the ink-jet passes by their cut mode; the traversal without depth changes has codes of
// its own for MauIndex 130 and 8.
constexpr int kTravel = 0;
// Auxiliary control values of the binary step stream: tool up (travel) and tool down.
constexpr uint8_t kAuxTravel = 3;
constexpr uint8_t kAuxTool = 2;
constexpr int kDrawPath = 1;
constexpr int kHalfCutPath = 3;
constexpr int kDepthChange = 6;
constexpr int kJetPass = 99;           // one leg along y
constexpr int kJetCross = 100;         // a leg along x, then one along y
constexpr int kJetCrossLast = 101;     // the same, closing the pass
constexpr int kJetPassLast = 102;      // one leg along y, closing the pass
constexpr int kResumedJetPass = 103;   // a resumed pass of MauIndex 99 or 100
constexpr int kResumedJetLast = 104;   // a resumed pass of MauIndex 101 or 102
constexpr int kFixedSpeedShape = 130;  // MauIndex 130 on the depth-aware traversal
constexpr int kMagnetKnife = GetNextPathAtResult::kKnife;
constexpr int kMagnetHalfCut = GetNextPathAtResult::kHalfCut;
constexpr int kMagnetFixedSpeed = GetNextPathAtResult::kFourthDepth;  // MauIndex 130
constexpr int kMagnetJoin = GetNextPathAtResult::kJoinMove;
constexpr int kMagnetToolSequence = GetNextPathAtResult::kNoCompensation;  // MauIndex 8

// Firmware from which a resumed ink-jet pass running in +y replays its approach first.
constexpr int kResumeReplayFirmwareAt = 5;
constexpr int kResumeReplayFirmwareMagnet = 4;
// Firmware from which the MauIndex 8 sequence also drives channel 2.
constexpr int kToolChannelFirmware = 23;
constexpr int kToolChannel = 2;

constexpr int64_t kJetLegAcceleration = 200000;  // pulses per second squared
constexpr int64_t kJetLegJerk = 2000000;         // pulses per second cubed
constexpr int64_t kJetSpeedFactor = 40;          // speed level units to pulses per second
constexpr int64_t kToolSpeedFactor = 80;         // extra block speed word to pulses per second

bool IsJetPass(int c) { return c >= kJetPass && c <= kResumedJetLast; }

int64_t Abs64(int64_t v) { return v < 0 ? -v : v; }

// A level index 0..2 as it selects a level; any other value counts as 0.
int InLevelRange(int v) { return v >= 0 && v <= 2 ? v : 0; }

// Motion text written straight into the stream, a bounded piece at a time, with the number
// of bytes written so far.
class StreamText {
public:
    explicit StreamText(P_DataBuf& out) : out_(out) {}
    ~StreamText() { Flush(); }

    void Text(std::string_view s)
    {
        Room();
        text_.Text(s);
    }
    void Command(char letter, std::initializer_list<int64_t> values)
    {
        Room();
        text_.Command(letter, values);
    }
    // Bytes written through this object.
    int64_t Length() const { return written_ + text_.Size(); }
    void Flush()
    {
        text_.AppendTo(out_);
        written_ += text_.Size();
        text_ = CommandText();
    }

private:
    // Keeps room for one more command of up to 9 numbers.
    void Room()
    {
        if (text_.Size() > CommandText::kRoom - 256) Flush();
    }

    P_DataBuf& out_;
    CommandText text_;
    int64_t written_ = 0;
};

// Appends one "P" move per segment of pts; returns their steps, max(|dx|, |dy|) each.
int64_t AppendMoves(StreamText& t, const CArray<CPoint>& pts)
{
    int64_t total = 0;
    for (int32_t i = 1; i < pts.GetSize(); ++i) {
        const int64_t dx = int64_t{pts[i].x} - pts[i - 1].x;
        const int64_t dy = int64_t{pts[i].y} - pts[i - 1].y;
        t.Command('P', {dx, dy});
        total += std::max(Abs64(dx), Abs64(dy));
    }
    return total;
}

// One paper-feed leg of an ink-jet pass: the move and its speed command at the jet speed;
// its step count is |dy| whatever dx is.
void AppendLeg(StreamText& t, int64_t dx, int64_t dy, int64_t jetSpeed)
{
    t.Command('P', {dx, dy});
    t.Command('S', {1, 1000, 1, 1000, jetSpeed, kJetLegAcceleration, Abs64(dy), kJetLegJerk});
}

// The speed set as the planner may use it. The sets come from the machine, its configuration
// file and the parameter pages, so any value can arrive; one that is not a finite positive
// number is replaced by the default of its field, so that none reaches a division or a square
// root of the planner and the path is still planned at sane speeds.
SpeedConfig UsableSpeeds(const SpeedConfig& speeds)
{
    static constexpr double SpeedConfig::*kFields[] = {
        &SpeedConfig::xAccLine, &SpeedConfig::yAccLine, &SpeedConfig::xVecMax, &SpeedConfig::yVecMax,
        &SpeedConfig::xVecInit, &SpeedConfig::yVecInit, &SpeedConfig::J,       &SpeedConfig::xAccCrv,
        &SpeedConfig::yAccCrv,  &SpeedConfig::xAccCrvJiWan, &SpeedConfig::yAccCrvJiWan};
    static const SpeedConfig kDefaults;
    SpeedConfig out = speeds;
    for (double SpeedConfig::*f : kFields)
        if (!(std::isfinite(out.*f) && out.*f > 0)) out.*f = kDefaults.*f;
    return out;
}

// The eight channel values a group asks for: target, lead value, lead dwell and after-dwell
// of channel 1 and of channel 0.
struct ChannelPlan {
    int32_t t1, l1;
    uint32_t d1, a1;
    int32_t t0, l0;
    uint32_t d0, a0;
};

}  // namespace

void SetLS_RepeatJetAtSectionStart(int32_t v) { gRepeatJetAtSectionStart.store(v, std::memory_order_relaxed); }

int32_t GetLS_RepeatJetAtSectionStart() { return gRepeatJetAtSectionStart.load(std::memory_order_relaxed); }

P_Interpolate1::P_Interpolate1()
{
    lastGroupCode = 0;
    InitSpeedConfig();
}

void P_Interpolate1::InitSpeedConfig()
{
    for (SpeedConfig& c : speedConfigs) c = SpeedConfig();
    firstSpeedIndex = 0;
    secondSpeedIndex = 0;
    cuttingLevelIndex = 0;
    jetLevelIndex = 0;
    static constexpr uint16_t kDepthSettings[4] = {300, 350, 300, 10};
    std::copy(std::begin(kDepthSettings), std::end(kDepthSettings), depthSettings);
    static constexpr int16_t kMagnetBlock[kMagnetWords] = {8000, 6000, 0,  10000, 30,   30, 0,
                                                           40,   0,    0,  20,    10000, 20, 20,
                                                           6000, 0,    8000, 30,  30,   0,  40};
    std::copy(std::begin(kMagnetBlock), std::end(kMagnetBlock), magnetBlock);
    offsetsBlock = OffsetsBlock();
    depthParams = DepthParamBlock();
}

void P_Interpolate1::SetData(PARAM_SetData& p)
{
    ClearGroups();
    AdoptLists(p.firstList, p.secondList);
    if (firstList) firstList->CalArea(1);
    if (secondList) {
        secondList->CalArea(1);
        secondList->InitPrint(p.toolDepths[0], p.toolDepths[1], p.toolDepths[2], p.toolDepths[3]);
        secondList->SetHeadPosition(p.headX, p.headY, p.initialDepth);
        secondList->SetReportedPosition(p.headX, p.headY, p.initialDepth);
        secondList->SetCurrentDepth(p.initialDepth);
    }
    lastChannel0 = 0;
    lastChannel1 = 0;
}

// The replaced print list is deleted: the interpolator owns the lists it is given, and a
// list it stopped pointing to would otherwise be lost for good.
void P_Interpolate1::SetData(PlotShapeCutList* list, int32_t d1, int32_t d2, int32_t d3)
{
    if (list) {
        list->Scale(static_cast<float>(xRatio), static_cast<float>(yRatio));
        list->CalArea(1);
        list->InitPrint(d1, d2, d3, 0);
        list->MoveCutList(TruncateToInt32(speedData.cutShiftX * 40 * xRatio),
                          TruncateToInt32(speedData.cutShiftY * 100.0 * 40 * yRatio));
    }
    AdoptLists(list, secondList);
}

void P_Interpolate1::SetData(PlotPageList* list, int32_t, int32_t, int32_t, int)
{
    if (list) {
        list->Scale(1.0, 1.0);
        list->CalArea(1);
    }
    lastGroupCode = 0;
}

void P_Interpolate1::SetData(PlotShapeCutList* list, int32_t d1, int32_t d2, int32_t d3, int32_t d4, int32_t x,
                             int32_t y, int32_t z)
{
    ClearGroups();
    if (list) {
        list->CalArea(1);
        list->InitPrint(d1, d2, d3, d4);
        list->SetHeadPosition(x, y, z);
        list->SetReportedPosition(x, y, z);
        list->SetCurrentDepth(z);
    }
    AdoptLists(list, secondList);
}

void P_Interpolate1::PreparePlanner(int32_t& levelIndex, int kind)
{
    if (levelIndex < 0 || levelIndex > 2) levelIndex = 0;
    planner.SetSpeedConfig(UsableSpeeds(speedConfigs[levelIndex]));
    planner.Append(groupCopy, kind);
    planner.StartFind();
}

int P_Interpolate1::PlanGroup(P_DataBuf& stream, int32_t& levelIndex, int kind)
{
    PreparePlanner(levelIndex, kind);
    // Each run is at most INT32_MAX steps, but a long path has many: the sum is held within
    // 32 bits so that it can never turn negative and be taken for the end of the job.
    int64_t total = 0;
    for (int steps; (steps = planner.GetNextData_at(stream, 0)) > 0;) total += steps;
    return SaturateToInt32(total);
}

void P_Interpolate1::AppendFixedSpeedPath(P_DataBuf& stream)
{
    StreamText t(stream);
    const int64_t total = AppendMoves(t, groupCopy);
    t.Command('S', {1, 600, 1, 600, 800, 1000, total, 10000});
}

int P_Interpolate1::AppendJetPass(P_DataBuf& stream, int c, bool magnetForm)
{
    const int32_t n = groupCopy.GetSize();
    const bool cross = c == kJetCross || c == kJetCrossLast;
    if (n != (cross ? 3 : 2)) return -1;

    const int64_t jetSpeed = kJetSpeedFactor * machine->GetSpeedLevel(InLevelRange(machine->GetTaskJetLevel())).speed;
    StreamText t(stream);
    if (cross) {
        const MotionSpeedLevel v = machine->GetSpeedLevel(InLevelRange(cuttingLevelIndex));
        const int64_t dx = int64_t{groupCopy[1].x} - groupCopy[0].x;
        const int64_t dy = int64_t{groupCopy[2].y} - groupCopy[1].y;
        const int64_t dx2 = magnetForm ? int64_t{groupCopy[2].x} - groupCopy[1].x : 0;
        t.Text(dy > 0 ? "W0,2;" : "W0,4;");
        t.Command('P', {dx, 0});
        t.Command('S', {1, 1000, 1, 1000, v.value1, v.value2, Abs64(dx), v.value3});
        t.Text("W0,1;");
        AppendLeg(t, dx2, dy, jetSpeed);
        if (c == kJetCrossLast) t.Text("W0,16;");
        t.Flush();
        return SaturateToInt32(t.Length());
    }

    const int64_t dx = magnetForm ? int64_t{groupCopy[1].x} - groupCopy[0].x : 0;
    const int64_t dy = int64_t{groupCopy[1].y} - groupCopy[0].y;
    if (c == kResumedJetPass || c == kResumedJetLast) {
        const int replayFrom = magnetForm ? kResumeReplayFirmwareMagnet : kResumeReplayFirmwareAt;
        t.Text("W0,8;");
        if (dy > 0) {
            t.Text("W0,2;W0,1;");
            if (machine->GetFirmwareVersion() >= replayFrom) {
                AppendLeg(t, dx, dy, jetSpeed);
                t.Text("W0,32;");
                AppendLeg(t, -dx, -dy, jetSpeed);
                t.Text("W0,8;");
            }
        }
        AppendLeg(t, dx, dy, jetSpeed);
        if (c == kResumedJetLast) t.Text("W0,16;");
    } else if (dy > 0) {
        t.Text("W0,8;W0,2;W0,1;");
        AppendLeg(t, dx, dy, jetSpeed);
        if (c == kJetPassLast) t.Text("W0,16;");
    } else if (!magnetForm || GetLS_RepeatJetAtSectionStart() == 1) {
        t.Text("W0,8;");
        AppendLeg(t, dx, dy, jetSpeed);
        if (c == kJetPassLast) t.Text("W0,16;");
    } else {
        AppendLeg(t, dx, dy, jetSpeed);
        if (c == kJetPass) t.Text("W0,8;");
    }
    t.Flush();
    return SaturateToInt32(t.Length());
}

int P_Interpolate1::FetchWhenUsedUp()
{
    if (!machine) return GetNextPathResult::kFinished;
    return cursor >= groupCopy.GetSize() - 1 ? GetNextPtGroup() : traversalCode;
}

int P_Interpolate1::BGetNextData_at(P_DataBuf& stream)
{
    const int fetched = FetchWhenUsedUp();
    if (fetched < 0) return fetched;
    const int c = traversalCode;
    const int32_t n = groupCopy.GetSize();
    int result = 0;
    if (c == kDepthChange && n == 1) {
        const int64_t dz = groupCopy[0].x;
        StreamText t(stream);
        t.Command('B', {0, -dz});
        t.Command('S', {1, depthParams.depthStartSpeed, 1, depthParams.depthStartSpeed, depthParams.depthTopSpeed,
                        depthParams.depthAcceleration, Abs64(dz), depthParams.depthJerk});
        result = kDepthChange;
    } else if (n <= 1) {
        result = 0;
    } else if (c == kTravel) {
        result = PlanGroup(stream, cuttingLevelIndex, kTravel);
    } else if (c == kDrawPath || c == kHalfCutPath) {
        result = PlanGroup(stream, jetLevelIndex, c);
    } else if (c == kFixedSpeedShape) {
        AppendFixedSpeedPath(stream);
    } else if (IsJetPass(c)) {
        const int length = AppendJetPass(stream, c, false);
        if (length >= 0) secondSpeedIndex = InLevelRange(secondSpeedIndex);
        result = std::max(length, 0);
    } else {
        result = PlanGroup(stream, firstSpeedIndex, c);
    }
    groupCopy.RemoveAll();
    return result;
}

void P_Interpolate1::AppendChannelCommands(P_DataBuf& stream, int c)
{
    auto w = [this](int i) { return int32_t{magnetBlock[i]}; };
    auto dwell = [this](int i) { return uint32_t{static_cast<uint16_t>(magnetBlock[i])}; };
    const int last = lastGroupCode;

    // Tool up, paths of any other code and ink-jet passes leave both channels at rest.
    ChannelPlan plan{w(2), w(6), dwell(7), 0, w(15), w(19), dwell(20), 0};
    if (c == kDrawPath) {
        plan = {w(2), w(6), dwell(7), 0, w(14), w(16), dwell(17), dwell(18)};
    } else if (c == kMagnetKnife || c == kMagnetHalfCut) {
        const int32_t target = c == kMagnetKnife ? w(0) : w(1);
        if (last == kMagnetJoin) plan = {target, w(11), dwell(12), dwell(13), w(15), w(19), dwell(20), 0};
        else plan = {target, w(3), last == kMagnetFixedSpeed ? 0u : dwell(4), dwell(5), w(15), w(19), dwell(20), 0};
    } else if (c == kMagnetFixedSpeed) {
        const bool afterKnife = last == kMagnetKnife || last == kMagnetHalfCut;
        plan = {w(3), w(3), afterKnife ? 0u : dwell(12), dwell(13), w(15), w(19), dwell(20), 0};
    } else if (c == kMagnetJoin) {
        plan = {w(8), w(9), dwell(10), 0, w(15), w(19), dwell(20), 0};
    }

    const bool change1 = plan.t1 != lastChannel1;
    const bool change0 = plan.t0 != lastChannel0;
    StreamText t(stream);
    if (change1 && plan.d1 > 0) {
        if (change0 && plan.d0 > 0) {
            t.Command('N', {1, plan.l1});
            t.Command('N', {0, plan.l0});
            t.Command('D', {std::max(plan.d1, plan.d0)});
        } else {
            t.Command('N', {1, plan.l1});
            t.Command('D', {plan.d1});
        }
    } else if (change0 && plan.d0 > 0) {
        t.Command('N', {0, plan.l0});
        t.Command('D', {plan.d0});
    }
    uint32_t after = 0;
    if (change1) {
        t.Command('N', {1, plan.t1});
        if (change0) t.Command('N', {0, plan.t0});
        after = change0 ? std::max(plan.a1, plan.a0) : plan.a1;
    } else if (change0) {
        t.Command('N', {0, plan.t0});
        after = plan.a0;
    }
    if (after > 0) t.Command('D', {after});
    lastChannel1 = plan.t1;
    lastChannel0 = plan.t0;
    lastGroupCode = c;
}

void P_Interpolate1::AppendToolSequence(P_DataBuf& stream)
{
    const auto block = machine->GetExtraBlock();
    auto word = [&block](int at) { return int64_t{block[at]} | (int64_t{block[at + 1]} << 8); };
    const int64_t e0 = word(0), e2 = word(2), e4 = word(4), e6 = word(6), e8 = word(8), e14 = word(14);
    const bool channelled = machine->GetFirmwareVersion() >= kToolChannelFirmware;
    const int64_t topSpeed = e8 * kToolSpeedFactor;
    const int64_t acceleration = machine->GetMoveAcceleration();
    const int64_t jerk = machine->GetJerk();

    StreamText t(stream);
    // The wait of E14 × 2000 time units, in dwells of at most 20000.
    auto wait = [&t, e14] {
        for (int64_t i = 0; i < e14 / 10; ++i) t.Command('D', {20000});
        if (e14 % 10 > 0) t.Command('D', {(e14 % 10) * 2000});
    };

    if (block[11] == 0) {
        t.Text("A100;");
        t.Command('D', {e2});
        wait();
        const int64_t dx = int64_t{groupCopy[1].x} - groupCopy[0].x;
        t.Command('B', {1, dx});
        t.Command('S', {1, 1000, 1, 1000, topSpeed, acceleration, Abs64(dx), jerk});
        t.Text("O100;");
        t.Command('D', {e0});
    } else {
        t.Text("O101;");
        if (channelled) t.Command('N', {kToolChannel, 0});
        t.Command('D', {e4});
        t.Text("A100;");
        t.Command('D', {e2});
        wait();
        if (channelled) {
            t.Command('N', {kToolChannel, 12000});
            t.Command('D', {10});
        }
        const int64_t total = AppendMoves(t, groupCopy);
        t.Command('S', {1, 600, 1, 600, topSpeed, acceleration, total, jerk});
        if (channelled) t.Command('N', {kToolChannel, 0});
        t.Text("O100;");
        t.Command('D', {e0});
        t.Text("A101;");
        t.Command('D', {e6});
    }
    machine->SetEndWithD100(1);
}

int P_Interpolate1::BGetNextData_magnet(P_DataBuf& stream)
{
    const int fetched = FetchWhenUsedUp();
    if (fetched < 0) return fetched;
    const int c = traversalCode;
    int result = 0;
    if (groupCopy.GetSize() >= 2) {
        AppendChannelCommands(stream, c);
        bool planned = false;
        if (c == kTravel) {
            PlanGroup(stream, secondSpeedIndex, kTravel);
            planned = true;
        } else if (c == kDrawPath) {
            PlanGroup(stream, jetLevelIndex, kDrawPath);
            planned = true;
        } else if (c == kMagnetFixedSpeed) {
            AppendFixedSpeedPath(stream);
        } else if (c == kMagnetToolSequence) {
            AppendToolSequence(stream);
        } else if (IsJetPass(c)) {
            result = std::max(AppendJetPass(stream, c, true), 0);
        } else {
            PlanGroup(stream, firstSpeedIndex, c);
            planned = true;
        }
        if (planned) {
            stream.TerminateText();
            result = stream.GetDataNum();
        }
    }
    groupCopy.RemoveAll();
    return result;
}

int P_Interpolate1::BGetNextData(P_DataBuf& stream)
{
    const int fetched = FetchWhenUsedUp();
    if (fetched < 0) return fetched;
    const int c = traversalCode;
    if (groupCopy.GetSize() <= 1) return 1;
    uint8_t duty = 0;
    uint8_t aux = kAuxTravel;
    if (c == kTravel) {
        PreparePlanner(cuttingLevelIndex, 0);
    } else if (c == kDrawPath) {
        PreparePlanner(jetLevelIndex, 1);
        duty = speedData.dutyByte1;
        aux = kAuxTool;
    } else {
        PreparePlanner(firstSpeedIndex, c);
        duty = speedData.dutyByte2;
        aux = kAuxTool;
    }
    stream.AppendCodePWMDuty(1, duty);
    stream.AppendCodeAuxCtl(aux);
    while (planner.GetNextData(stream, 0) != 0) {
    }
    if (c != kTravel) stream.AppendCodeAuxCtl(kAuxTravel);
    groupCopy.RemoveAll();
    return 1;
}
