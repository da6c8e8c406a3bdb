// The Z-axis page's values (the cutting-type machine's fourth cutting page): the Z-axis
// block, the tool offsets and the extensions, and the store that tells which codes the
// change needs (12, 17, 15).
#pragma once

#include "motion/interpolate1.h"
#include "ui/field_values.h"
#include "ui/machine_param_codes.h"
#include "ui/tool_offset_values.h"

#include <cstdint>

class NET_Machine;

// Range of the Z-axis jerk and maximum acceleration: the record holds them as int32.
inline constexpr IntegerRange kDepthRateRange{0, INT32_MAX};

struct OtherPageValues {
    // The Z-axis values; every field but lastWord is edited (lastWord is kept from the record).
    DepthParamBlock depth;
    float toolOffsets[kShownToolOffsets] = {};  // block order
    ExtensionValues extensions;
};

OtherPageValues LoadOtherPage(const NET_Machine& machine);
// Stores the checked values; the codes to post: 12 when a tool offset, or the record's
// half-cut length or gap against 15.0 and 0.6, differs by more than 1e-6; 17 when a Z-axis
// value differs (either writes back all of them); 15 when an extension differs.
MachineParamCodes StoreOtherPage(NET_Machine& machine, const OtherPageValues& values);
