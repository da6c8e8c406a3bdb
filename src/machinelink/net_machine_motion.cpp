// NET_Machine: its motion source: the machine parameters of "PQCN" and the settings block that
// go to the interpolator, the start and resume of a job, and the motion text pump.
#include "machinelink/net_machine.h"
#include "platform/byte_order.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "plotmodel/point_group.h"

#include <algorithm>
#include <cstring>

namespace {

// "PQCN": three speed sets of 11 floats from byte 4, then (firmware 4 on) the depth block and
// the machine kind, then (firmware 11 on, 174 bytes) the four calibration values.
constexpr int kParamsBytesEarly = 136;
constexpr int kParamsBytes = 157;
constexpr int kParamsCalibrationBytes = 174;
constexpr int kSpeedSetFloats = 11;
constexpr int kDepthBlockOffset = 136;
constexpr int kMachineKindOffset = 156;
constexpr int kCalibrationOffset = 158;
constexpr int kDepthBlockFirmware = 4;
constexpr int kCalibrationFirmware = 11;

// Settings block offsets of the motion source's values (firmware 3 on).
constexpr int kLevelIndicesOffset = 113;
constexpr int kMagnetOffset = 116;
constexpr int kOffsetsOffset = 144;
constexpr int kSpeedIndicesOffset = 175;
// Bytes of the magnet and offsets blocks that the settings block and the commands carry.
constexpr int kCarriedBlockBytes = 28;

// Firmware from which a resume re-approaches the break point.
constexpr int kReapproachFirmware = 5;

// The 11 values of a speed set, in the order the machine sends them.
double* SpeedSetValue(SpeedConfig& c, int i)
{
    double* const values[kSpeedSetFloats] = {&c.xAccLine, &c.yAccLine, &c.xVecMax,      &c.yVecMax,
                                             &c.xVecInit, &c.yVecInit, &c.J,            &c.xAccCrv,
                                             &c.yAccCrv,  &c.xAccCrvJiWan, &c.yAccCrvJiWan};
    return values[i];
}

}  // namespace

const PlotShapeCutList* NET_Machine::PrintList() const { return motionSource.interpolator.firstList; }

PlotShapeCutList* NET_Machine::CutList() const { return motionSource.interpolator.secondList; }

int NET_Machine::CuttingLevelIndex() const { return ValidLevelIndex(motionSource.interpolator.cuttingLevelIndex); }

int NET_Machine::JetLevelIndex() const { return ValidLevelIndex(motionSource.interpolator.jetLevelIndex); }

uint32_t& NET_Machine::JobStartReference() { return motionSource.jobStartReference; }

uint32_t NET_Machine::TotalPulses() { return motionSource.GetTotalPulseNum(); }

float NET_Machine::OffsetsFloat(int word) const { return motionSource.interpolator.offsetsBlock.toolOffsets[word]; }

void NET_Machine::SetOffsetsFloats(float first, float second)
{
    motionSource.interpolator.offsetsBlock.toolOffsets[1] = first;
    motionSource.interpolator.offsetsBlock.toolOffsets[2] = second;
}

void NET_Machine::SetDepthValues(int16_t a, int16_t b)
{
    motionSource.interpolator.depthParams.depthValueA = static_cast<uint16_t>(a);
    motionSource.interpolator.depthParams.depthValueB = static_cast<uint16_t>(b);
}

void NET_Machine::SetMagnetWord(int index, int16_t value) { motionSource.interpolator.magnetBlock[index] = value; }

void NET_Machine::LoadMotionSettings(const uint8_t* block)
{
    P_Interpolate1& ip = motionSource.interpolator;
    const uint8_t levels = block[kLevelIndicesOffset];
    ip.jetLevelIndex = ValidLevelIndex(levels & 3);
    ip.cuttingLevelIndex = ValidLevelIndex((levels >> 2) & 3);
    for (int w = 0; w < kCarriedBlockBytes / 2; ++w) {
        ip.magnetBlock[w] = static_cast<int16_t>(LoadLE16(block + kMagnetOffset + 2 * w));
    }
    for (int w = 0; w < kCarriedBlockBytes / 4; ++w) {
        ip.offsetsBlock.toolOffsets[w] = LoadLEFloat(block + kOffsetsOffset + 4 * w);
    }
    const uint8_t speeds = block[kSpeedIndicesOffset];
    ip.firstSpeedIndex = speeds & 3;
    ip.secondSpeedIndex = (speeds >> 2) & 3;
}

void NET_Machine::ProcMachineParams(const uint8_t* datagram, int length)
{
    paramsReceived = 1;
    const ReceivedFields in(datagram);
    const int needed = firmwareVersion >= kDepthBlockFirmware ? kParamsBytes : kParamsBytesEarly;
    if (length < needed) return;
    P_Interpolate1& ip = motionSource.interpolator;
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < kSpeedSetFloats; ++i) {
            *SpeedSetValue(ip.speedConfigs[k], i) = static_cast<double>(in.Float(4 + 4 * (k * kSpeedSetFloats + i))) * 40.0;
        }
    }
    if (firmwareVersion >= kDepthBlockFirmware) {
        ReadDepthBlock(datagram + kDepthBlockOffset);
        machineKind = datagram[kMachineKindOffset];
    }
    if (length >= kParamsCalibrationBytes && firmwareVersion >= kCalibrationFirmware) {
        for (int i = 0; i < 4; ++i) calibration[i] = in.Float(kCalibrationOffset + 4 * i);
    }
}

void NET_Machine::ReadDepthBlock(const uint8_t* p)
{
    DepthParamBlock& d = motionSource.interpolator.depthParams;
    d.depthJerk = static_cast<int32_t>(LoadLE32(p));
    d.depthAcceleration = static_cast<int32_t>(LoadLE32(p + 4));
    d.depthStartSpeed = LoadLE16(p + 8);
    d.depthTopSpeed = LoadLE16(p + 10);
    d.depthValueA = LoadLE16(p + 12);
    d.depthValueB = LoadLE16(p + 14);
    d.resetBuffer = LoadLE16(p + 16);
    d.lastWord = LoadLE16(p + 18);
}

void NET_Machine::WriteDepthBlock(uint8_t* p) const
{
    const DepthParamBlock& d = motionSource.interpolator.depthParams;
    StoreLE32(p, static_cast<uint32_t>(d.depthJerk));
    StoreLE32(p + 4, static_cast<uint32_t>(d.depthAcceleration));
    StoreLE16(p + 8, d.depthStartSpeed);
    StoreLE16(p + 10, d.depthTopSpeed);
    StoreLE16(p + 12, d.depthValueA);
    StoreLE16(p + 14, d.depthValueB);
    StoreLE16(p + 16, d.resetBuffer);
    StoreLE16(p + 18, d.lastWord);
}

void NET_Machine::ToolDepths(bool resumed, int32_t out[4]) const
{
    const P_Interpolate1& ip = motionSource.interpolator;
    if (UsesDepthTraversal(*this)) {
        out[0] = 0;
        out[1] = ip.depthParams.depthValueA;
        out[2] = ip.depthParams.depthValueB;
        out[3] = resumed ? ip.depthParams.depthValueB : ip.depthParams.depthValueA;
        return;
    }
    const int32_t d0 = ip.depthSettings[0];
    const int32_t d1 = ip.depthSettings[1];
    const int32_t d2 = ip.depthSettings[2];
    const int32_t reduced = d1 - ip.depthSettings[3];
    out[0] = d0;
    out[1] = d1;
    out[2] = d2;
    out[3] = resumed ? (reduced > 0 ? reduced : d2) : std::min(d2, reduced);
}

void NET_Machine::StartInterpolator(PlotShapeCutList* lists[2], int32_t headX, int32_t headY, int32_t depth)
{
    PARAM_SetData start;
    start.firstList = lists[0];
    start.secondList = lists[1];
    ToolDepths(false, start.toolDepths);
    start.headX = headX;
    start.headY = headY;
    start.initialDepth = depth;
    motionSource.interpolator.SetData(start);
}

void NET_Machine::ResumeInterpolator(uint32_t distance)
{
    P_Interpolate1& ip = motionSource.interpolator;
    if (firmwareVersion < kReapproachFirmware) {
        ip.ResumePrint(static_cast<int32_t>(distance));
        return;
    }
    const int32_t restart = SaturateToInt32(static_cast<int64_t>(distance) - task.pauseValue1);
    ip.ResumePrint(restart);
    // The re-approach to a jet pass that was cut short is measured on the cut list; a resume
    // without a job being walked has nothing to measure.
    PlotShapeCutList* walked = CutList();
    if (!walked) return;
    CArray<CPoint> points;
    CArray<CFloatPoint> angles;
    const float aspect[2] = {plot.xScale, plot.yScale};
    const int code = walked->GetBreakPointPath_at(points, angles, aspect);
    if ((code == GetNextPathResult::kResumedJetFirst || code == GetNextPathResult::kResumedJetLast) &&
        points.GetSize() >= 2 && points[0].y < points[1].y) {
        task.pauseValue2 = SaturateToInt32(2 * (static_cast<int64_t>(points[1].y) - points[0].y));
    }
    ip.ResumePrint(restart);
}

void NET_Machine::StoreResumeToolDepths()
{
    PlotShapeCutList* printList = motionSource.interpolator.firstList;
    if (!printList) return;
    int32_t depths[4];
    ToolDepths(true, depths);
    printList->SetToolDepths(depths[0], depths[1], depths[2], depths[3]);
}

int NET_Machine::GetNextStr(uint8_t* buffer, int capacity)
{
    if (!buffer || capacity <= 0) return 0;
    P_Interpolate1& ip = motionSource.interpolator;
    for (;;) {
        int n = capacity;
        const uint8_t* block = motionStream.GetNextGroupData(n);
        if (block && n > 0) {
            std::memcpy(buffer, block, static_cast<size_t>(n));
            return n;
        }
        motionStream.Initialize();
        const int result = UsesDepthTraversal(*this) ? ip.BGetNextData_at(motionStream) : ip.BGetNextData_magnet(motionStream);
        if (result < 0) return result;
        // The text ends with a zero byte kept in the stream's spare byte, never in the pack buffer.
        motionStream.TerminateText();
    }
}
