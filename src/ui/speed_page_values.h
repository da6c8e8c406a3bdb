// The speed page's values: one speed set shown in millimetres (the record's plotter units
// divided by 40), its field ranges, and the store that reports a change (code 14).
#pragma once

#include "ui/field_values.h"

struct SpeedConfig;

inline constexpr int kSpeedFieldCount = 11;
// Plotter units per shown unit.
inline constexpr double kSpeedUnitsPerMm = 40.0;

// Ranges of the shown values, in SpeedConfig order.
inline constexpr NumberRange kSpeedFieldRanges[kSpeedFieldCount] = {
    {100, 40000}, {100, 40000}, {30, 3000}, {30, 40000}, {10, 500},  {10, 500},
    {10, 500000}, {100, 40000}, {100, 40000}, {50, 20000}, {100, 40000},
};

struct SpeedPageValues {
    double shownMm[kSpeedFieldCount] = {};  // per second (squared, cubed), SpeedConfig order
};

// The shown values of a speed set.
SpeedPageValues LoadSpeedPage(const SpeedConfig& speeds);
// Stores every checked value as shown x 40; true when any differs from the set by more than
// 1e-6 (the sheet then posts code 14).
bool StoreSpeedPage(SpeedConfig& speeds, const SpeedPageValues& values);
