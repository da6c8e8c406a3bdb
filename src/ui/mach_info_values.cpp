// The machine settings dialog's values and their change rules.
#include "ui/mach_info_values.h"

#include "machinelink/net_machine.h"
#include "ui/value_change.h"

namespace {

// Knife block words of the pressures the dialog shows.
constexpr int kFullCutWord = 0;
constexpr int kHalfCutWord = 1;
constexpr int kDropPressureWord = 3;
// Tool-offset floats of the knife-pen distances.
constexpr int kKnifePenXFloat = 1;
constexpr int kKnifePenYFloat = 2;

// Resets a speed level outside 0..2 to 0 in the record and gives the level shown.
int32_t SpeedLevelShown(int32_t& stored)
{
    if (stored < 0 || stored > 2) stored = 0;
    return stored;
}

// Clamps a flag byte above 1 to 1 in the record and gives the flag shown.
int32_t FlagShown(uint8_t& stored)
{
    if (stored > 1) stored = 1;
    return stored;
}

}  // namespace

bool IsCuttingType(const NET_Machine& machine) { return UsesDepthTraversal(machine); }

IntegerRange HalfCutRange(const NET_Machine& machine)
{
    return IsCuttingType(machine) ? RangeOf<uint16_t>() : RangeOf<int16_t>();
}

bool ShowsOtherParams(const NET_Machine& machine) { return machine.firmwareVersion >= kOtherParamsFirmware; }

bool OtherParamsAvailable(const NET_Machine& machine) { return machine.extraBlockReceived != 0; }

MachInfoValues LoadMachInfo(NET_Machine& machine)
{
    P_Interpolate1& ip = machine.motionSource.interpolator;
    MachInfoValues values;
    values.cutSpeedLevel = SpeedLevelShown(ip.firstSpeedIndex);
    values.idleSpeedLevel = SpeedLevelShown(ip.secondSpeedIndex);
    values.autoPaperCut = FlagShown(machine.rightEdgeMarks);
    values.autoOutput = FlagShown(machine.autoContinue);
    values.autoSuctionOff = FlagShown(machine.optionBit);
    values.autoSuctionOn = FlagShown(machine.startPrefix);
    LoadMachInfoToolValues(machine, values);
    return values;
}

void LoadMachInfoToolValues(const NET_Machine& machine, MachInfoValues& values)
{
    const P_Interpolate1& ip = machine.motionSource.interpolator;
    if (IsCuttingType(machine)) {
        values.dropPressure = 0;
        values.fullCut = ip.depthParams.depthValueA;
        values.halfCut = ip.depthParams.depthValueB;
    } else {
        values.dropPressure = ip.magnetBlock[kDropPressureWord];
        values.fullCut = ip.magnetBlock[kFullCutWord];
        values.halfCut = ip.magnetBlock[kHalfCutWord];
    }
    values.knifePenXMm = ip.offsetsBlock.toolOffsets[kKnifePenXFloat];
    values.knifePenYMm = ip.offsetsBlock.toolOffsets[kKnifePenYFloat];
}

MachineParamCodes StoreMachInfo(NET_Machine& machine, const MachInfoValues& values)
{
    P_Interpolate1& ip = machine.motionSource.interpolator;
    MachineParamCodes codes;

    const bool flagsChanged = values.cutSpeedLevel != ip.firstSpeedIndex || values.idleSpeedLevel != ip.secondSpeedIndex ||
                              values.autoPaperCut != machine.rightEdgeMarks || values.autoOutput != machine.autoContinue ||
                              values.autoSuctionOff != machine.optionBit || values.autoSuctionOn != machine.startPrefix;
    if (flagsChanged) {
        ip.firstSpeedIndex = values.cutSpeedLevel;
        ip.secondSpeedIndex = values.idleSpeedLevel;
        machine.rightEdgeMarks = static_cast<uint8_t>(values.autoPaperCut != 0);
        machine.autoContinue = static_cast<uint8_t>(values.autoOutput != 0);
        machine.optionBit = static_cast<uint8_t>(values.autoSuctionOff != 0);
        machine.startPrefix = static_cast<uint8_t>(values.autoSuctionOn != 0);
        codes.push_back(kWorkFlagsCode);
    }

    if (IsCuttingType(machine)) {
        DepthParamBlock& depth = ip.depthParams;
        if (values.fullCut != depth.depthValueA || values.halfCut != depth.depthValueB) {
            depth.depthValueA = static_cast<uint16_t>(values.fullCut);
            depth.depthValueB = static_cast<uint16_t>(values.halfCut);
            codes.push_back(kDepthBlockCode);
        }
    } else {
        int16_t* knife = ip.magnetBlock;
        if (values.dropPressure != knife[kDropPressureWord] || values.fullCut != knife[kFullCutWord] ||
            values.halfCut != knife[kHalfCutWord]) {
            knife[kDropPressureWord] = static_cast<int16_t>(values.dropPressure);
            knife[kFullCutWord] = static_cast<int16_t>(values.fullCut);
            knife[kHalfCutWord] = static_cast<int16_t>(values.halfCut);
            codes.push_back(kKnifeBlockCode);
        }
    }

    float* offsets = ip.offsetsBlock.toolOffsets;
    if (DiffersBeyond(values.knifePenXMm, offsets[kKnifePenXFloat], kParamFloatTolerance) ||
        DiffersBeyond(values.knifePenYMm, offsets[kKnifePenYFloat], kParamFloatTolerance)) {
        offsets[kKnifePenXFloat] = values.knifePenXMm;
        offsets[kKnifePenYFloat] = values.knifePenYMm;
        codes.push_back(kToolOffsetBlockCode);
    }
    return codes;
}
