// The magnet page's values: the knife block with the hidden pen values, the tool offsets and
// the extensions, and the store that tells which codes the change needs (11, 12, 15).
#pragma once

#include "ui/machine_param_codes.h"
#include "ui/tool_offset_values.h"

#include <cstdint>

class NET_Machine;

inline constexpr int kKnifeValues = 14;
inline constexpr int kPenValues = 7;

struct MagnetPageValues {
    int16_t knife[kKnifeValues] = {};  // in the order of code 11
    int16_t pen[kPenValues] = {};      // hidden: written back as read
    float toolOffsets[kShownToolOffsets] = {};
    ExtensionValues extensions;
};

MagnetPageValues LoadMagnetPage(const NET_Machine& machine);
// Stores the checked values; the codes to post: 11 when a knife or pen value differs, 12 when
// a tool offset differs by more than 1e-6 (either writes back all of them), 15 when an
// extension differs.
MachineParamCodes StoreMagnetPage(NET_Machine& machine, const MagnetPageValues& values);
