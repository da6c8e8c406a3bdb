// The tool offsets and extensions of the cutting pages.
#include "ui/tool_offset_values.h"

#include "machinelink/net_machine.h"
#include "ui/value_change.h"

namespace {

constexpr int kHalfCutLengthFloat = 5;
constexpr int kHalfCutGapFloat = 6;
constexpr uint16_t kDesignSize = 500;
constexpr float kMeasuredSize = 500.0f;

}  // namespace

void LoadShownToolOffsets(const OffsetsBlock& block, float shown[kShownToolOffsets])
{
    for (int i = 0; i < kShownToolOffsets; ++i) shown[i] = block.toolOffsets[i];
}

bool ShownToolOffsetsDiffer(const OffsetsBlock& block, const float shown[kShownToolOffsets])
{
    for (int i = 0; i < kShownToolOffsets; ++i) {
        if (DiffersBeyond(shown[i], block.toolOffsets[i], kParamFloatTolerance)) return true;
    }
    return false;
}

bool HalfCutValuesDiffer(const OffsetsBlock& block)
{
    return DiffersBeyond(kHalfCutLengthMm, block.toolOffsets[kHalfCutLengthFloat], kParamFloatTolerance) ||
           DiffersBeyond(kHalfCutGapMm, block.toolOffsets[kHalfCutGapFloat], kParamFloatTolerance);
}

void StoreToolOffsets(OffsetsBlock& block, const float shown[kShownToolOffsets])
{
    for (int i = 0; i < kShownToolOffsets; ++i) block.toolOffsets[i] = shown[i];
    block.toolOffsets[kHalfCutLengthFloat] = kHalfCutLengthMm;
    block.toolOffsets[kHalfCutGapFloat] = kHalfCutGapMm;
    for (uint16_t& size : block.designSizes) size = kDesignSize;
    for (float& size : block.measuredSizes) size = kMeasuredSize;
}

ExtensionValues LoadExtensions(const NET_Machine& machine)
{
    return ExtensionValues{machine.knifeComp1, machine.knifeComp2};
}

bool StoreExtensions(NET_Machine& machine, const ExtensionValues& values)
{
    if (values.liftThousandths == machine.knifeComp1 && values.lineThousandths == machine.knifeComp2) return false;
    machine.knifeComp1 = values.liftThousandths;
    machine.knifeComp2 = values.lineThousandths;
    return true;
}
