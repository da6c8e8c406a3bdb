// The Z-axis page's values and change rules.
#include "ui/other_page_values.h"

#include "machinelink/net_machine.h"

namespace {

// True when the edited Z-axis values of a and b are the same.
bool SameDepthValues(const DepthParamBlock& a, const DepthParamBlock& b)
{
    return a.depthJerk == b.depthJerk && a.depthAcceleration == b.depthAcceleration && a.depthStartSpeed == b.depthStartSpeed &&
           a.depthTopSpeed == b.depthTopSpeed && a.depthValueA == b.depthValueA && a.depthValueB == b.depthValueB &&
           a.resetBuffer == b.resetBuffer;
}

}  // namespace

OtherPageValues LoadOtherPage(const NET_Machine& machine)
{
    const P_Interpolate1& ip = machine.motionSource.interpolator;
    OtherPageValues values;
    values.depth = ip.depthParams;
    LoadShownToolOffsets(ip.offsetsBlock, values.toolOffsets);
    values.extensions = LoadExtensions(machine);
    return values;
}

MachineParamCodes StoreOtherPage(NET_Machine& machine, const OtherPageValues& values)
{
    P_Interpolate1& ip = machine.motionSource.interpolator;
    DepthParamBlock& depth = ip.depthParams;
    const bool offsetsDiffer = ShownToolOffsetsDiffer(ip.offsetsBlock, values.toolOffsets) || HalfCutValuesDiffer(ip.offsetsBlock);
    const bool depthDiffers = !SameDepthValues(values.depth, depth);
    if (offsetsDiffer || depthDiffers) {
        StoreToolOffsets(ip.offsetsBlock, values.toolOffsets);
        const uint16_t lastWord = depth.lastWord;
        depth = values.depth;
        depth.lastWord = lastWord;
    }
    MachineParamCodes codes;
    if (offsetsDiffer) codes.push_back(kToolOffsetBlockCode);
    if (depthDiffers) codes.push_back(kDepthBlockCode);
    if (StoreExtensions(machine, values.extensions)) codes.push_back(kWorkFlagsCode);
    return codes;
}
