// The speed page's values and change rule.
#include "ui/speed_page_values.h"

#include "motion/speed_layout.h"
#include "ui/value_change.h"

namespace {

// The fields of a speed set in their page order.
constexpr double SpeedConfig::* kSpeedFields[kSpeedFieldCount] = {
    &SpeedConfig::xAccLine, &SpeedConfig::yAccLine, &SpeedConfig::xVecMax,      &SpeedConfig::yVecMax,
    &SpeedConfig::xVecInit, &SpeedConfig::yVecInit, &SpeedConfig::J,            &SpeedConfig::xAccCrv,
    &SpeedConfig::yAccCrv,  &SpeedConfig::xAccCrvJiWan, &SpeedConfig::yAccCrvJiWan,
};

}  // namespace

SpeedPageValues LoadSpeedPage(const SpeedConfig& speeds)
{
    SpeedPageValues values;
    for (int i = 0; i < kSpeedFieldCount; ++i) values.shownMm[i] = speeds.*kSpeedFields[i] / kSpeedUnitsPerMm;
    return values;
}

bool StoreSpeedPage(SpeedConfig& speeds, const SpeedPageValues& values)
{
    bool changed = false;
    for (int i = 0; i < kSpeedFieldCount; ++i) {
        const double stored = values.shownMm[i] * kSpeedUnitsPerMm;
        double& field = speeds.*kSpeedFields[i];
        if (DiffersBeyond(stored, field, kParamFloatTolerance)) changed = true;
        field = stored;
    }
    return changed;
}
