// The machine values the preparation tests prepare pages with: a knife with its offset and
// over-cuts, half-cut dashes, a slight X stretch and a jet of spread 300 on a step of 600.
#pragma once

#include "app/job_geometry.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace corvane_test {

// Pen 1 knife, 2 print, 3 half knife, 4 inner knife.
inline constexpr uint8_t kPreparationPenTable[8] = {3, 0, 1, 2, 3, 3, 3, 3};

inline PrepareMachineValues KnifeMachineValues(int32_t xRangeMm, int32_t yRangeMm, int32_t cutWidth, int32_t cutHeight)
{
    PrepareMachineValues m;
    m.firmwareVersion = 12;
    m.xRangeMm = xRangeMm;
    m.yRangeMm = yRangeMm;
    m.cutWidth = cutWidth;
    m.cutHeight = cutHeight;
    m.jetSpread = 300;
    m.jetStepWidth = 600.0f;
    m.knifeOffsetMm = 0.3f;
    m.knifeComp1 = 500;
    m.knifeComp2 = 300;
    m.halfCutDashMm = 2.0f;
    m.halfCutGapMm = 1.0f;
    m.xStretch = 0.001f;
    std::copy(std::begin(kPreparationPenTable), std::end(kPreparationPenTable), m.penTable);
    return m;
}

}  // namespace corvane_test
