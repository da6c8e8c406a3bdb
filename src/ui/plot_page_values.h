// The plot settings page's values: the plot-settings record and the length/width
// calibration, and the store that tells whether command 8 and code 20 are needed.
//
// The calibration lives in the machine record (code 20) from firmware 11 on; before, in the
// settings store under the section of the machine's ID, as "%.4f" text with default "500".
#pragma once

#include "ui/field_values.h"
#include "ui/machine_param_codes.h"

#include <cstdint>

class NET_Machine;

// Origin and width travel as 16 bits in the plot settings command.
inline constexpr IntegerRange kPlotOriginRange{0, 65535};
inline constexpr IntegerRange kPlotWidthRange{0, 65535};
// Calibration lengths: a length of 0 or less would make the ideal / real scale divide by
// zero or turn over, and the settings store keeps four decimals.
inline constexpr NumberRange kCalibrationRange{0.0001, 1000000.0};
// Firmware from which the calibration is the machine's (code 20).
inline constexpr int kMachineCalibrationFirmware = 11;
inline constexpr int kCalibrationValues = 4;

struct PlotPageValues {
    int32_t originMm = 0;
    int32_t sections = 0;
    int32_t widthMm = 0;
    int32_t lengthMm = 0;
    int32_t rotationIndex = 0;  // 0, 1, 2, 3: 0, 90, 180, 270 degrees
    int32_t mirror = 0;
    float calibrationMm[kCalibrationValues] = {};  // ideal length, real length, ideal width, real width
};

struct PlotPageChanges {
    bool plotSettings = false;  // SendPlotSettings (command 8) when the machine is online
    MachineParamCodes codes;    // 20 when the machine's calibration changed
};

// The shown values; a stored rotation other than 90, 180 or 270 shows as 0.
PlotPageValues LoadPlotPage(const NET_Machine& machine);
// The four calibration values shown without a machine.
PlotPageValues DefaultPlotPage();

// Stores the checked values: the plot settings where they differ, the scales reset to the
// library's fixed scales where their ratio differs, the calibration (the machine's, or the
// settings keys that differ by more than 1e-6), and the four fields no control edits reset
// to their defaults.
PlotPageChanges StorePlotPage(NET_Machine& machine, const PlotPageValues& values);
