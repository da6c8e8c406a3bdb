// The SP page's values: the tool role of the pens SP1..SP8, the store that tells whether
// code 13 is needed, and where the page draws its colour swatches.
#pragma once

#include "platform/rect.h"
#include "ui/machine_param_codes.h"

#include <cstdint>

class NET_Machine;

inline constexpr int kSpPens = 8;
// Roles a pen can take.
inline constexpr int32_t kSpInkJet = 0;
inline constexpr int32_t kSpHalfCut = 1;
inline constexpr int32_t kSpInnerKnife = 2;
inline constexpr int32_t kSpOuterKnife = 3;

struct SpPageValues {
    int32_t roles[kSpPens] = {};  // 0..3, SP1 first
};

// The shown roles; a stored role above 3 shows as ink-jet.
SpPageValues LoadSpPage(const NET_Machine& machine);
// Stores all eight roles when any differs from its SP byte; the codes to post: 13 then, when
// the machine is online.
MachineParamCodes StoreSpPage(NET_Machine& machine, const SpPageValues& values);

// The swatch of a pen's colour beside its SP list: 12 pixels wide from 15 pixels left of the
// list, 2 pixels lower than its top and 4 pixels shorter.
CRect PenSwatchRect(const CRect& list);
// The swatch of a role colour: 12 pixels wide, 4 pixels right of its label, as tall as it.
CRect RoleSwatchRect(const CRect& label);
