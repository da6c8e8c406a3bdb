// The plot settings page's values and change rules.
#include "ui/plot_page_values.h"

#include "machinelink/machine_globals.h"
#include "machinelink/net_machine.h"
#include "platform/number_parse.h"
#include "platform/settings_store.h"
#include "ui/value_change.h"

#include <algorithm>

namespace {

constexpr const char16_t* kCalibrationKeys[kCalibrationValues] = {u"File_xIdeal", u"File_xReal", u"File_yIdeal", u"File_yReal"};
constexpr const char16_t* kCalibrationDefaultText = u"500";
constexpr float kDefaultCalibrationMm = 500.0f;
constexpr float kScaleDenominator = 500.0f;
constexpr int32_t kDegreesPerStep = 90;

// True when the calibration is the machine's own (code 20) rather than the settings store's.
bool UsesMachineCalibration(const NET_Machine& machine)
{
    return machine.firmwareVersion >= kMachineCalibrationFirmware;
}

// Names the settings section of the machine's calibration: its ID text.
CString CalibrationSection(const NET_Machine& machine)
{
    CString id;
    machine.GetID(id);
    return id;
}

// Reads calibration value i from the settings store ("500" when missing).
float StoredCalibration(const CString& section, int i)
{
    return CLocaleAtofFloat(GetProfileString(section, kCalibrationKeys[i], kCalibrationDefaultText).ToUtf8());
}

// Maps a stored rotation to its list index; angles other than 90, 180, 270 show as 0.
int32_t RotationIndex(int32_t degrees)
{
    switch (degrees) {
    case 90: return 1;
    case 180: return 2;
    case 270: return 3;
    default: return 0;
    }
}

// Resets the scales to the fixed ones when either ratio ideal / real differs from them;
// true then.
bool ResetScales(PlotSettings& plot)
{
    const bool differs = DiffersBeyond(static_cast<double>(plot.xCalIdeal) / plot.xCalReal, Fixed_XSCALE, kParamFloatTolerance) ||
                         DiffersBeyond(static_cast<double>(plot.yCalIdeal) / plot.yCalReal, Fixed_YSCALE, kParamFloatTolerance);
    if (!differs) return false;
    plot.xCalIdeal = Fixed_XSCALE * kScaleDenominator;
    plot.xCalReal = kScaleDenominator;
    plot.xScale = Fixed_XSCALE;
    plot.yCalIdeal = Fixed_YSCALE * kScaleDenominator;
    plot.yCalReal = kScaleDenominator;
    plot.yScale = Fixed_YSCALE;
    return true;
}

}  // namespace

PlotPageValues DefaultPlotPage()
{
    PlotPageValues values;
    std::fill_n(values.calibrationMm, kCalibrationValues, kDefaultCalibrationMm);
    return values;
}

PlotPageValues LoadPlotPage(const NET_Machine& machine)
{
    const PlotSettings& plot = machine.plot;
    PlotPageValues values;
    values.originMm = plot.bandBaseMm;
    values.sections = plot.plotValue11;
    values.widthMm = plot.plotValue2;
    values.lengthMm = plot.plotValue10;
    values.rotationIndex = RotationIndex(plot.rotationDeg);
    values.mirror = plot.mirror;
    if (UsesMachineCalibration(machine)) {
        std::copy_n(machine.calibration, kCalibrationValues, values.calibrationMm);
    } else {
        const CString section = CalibrationSection(machine);
        for (int i = 0; i < kCalibrationValues; ++i) values.calibrationMm[i] = StoredCalibration(section, i);
    }
    return values;
}

PlotPageChanges StorePlotPage(NET_Machine& machine, const PlotPageValues& values)
{
    PlotSettings& plot = machine.plot;
    PlotPageChanges changes;
    const int32_t rotationDeg = values.rotationIndex * kDegreesPerStep;
    if (values.widthMm != plot.plotValue2 || values.sections != plot.plotValue11 || values.lengthMm != plot.plotValue10 ||
        values.mirror != plot.mirror || values.originMm != plot.bandBaseMm || rotationDeg != plot.rotationDeg) {
        plot.plotValue2 = values.widthMm;
        plot.plotValue11 = values.sections;
        plot.plotValue10 = values.lengthMm;
        plot.mirror = values.mirror;
        plot.bandBaseMm = values.originMm;
        plot.rotationDeg = rotationDeg;
        changes.plotSettings = true;
    }
    if (ResetScales(plot)) changes.plotSettings = true;

    if (UsesMachineCalibration(machine)) {
        bool differs = false;
        for (int i = 0; i < kCalibrationValues; ++i) {
            differs |= DiffersBeyond(values.calibrationMm[i], machine.calibration[i], kParamFloatTolerance);
        }
        if (differs) {
            std::copy_n(values.calibrationMm, kCalibrationValues, machine.calibration);
            changes.codes.push_back(kCalibrationBlockCode);
        }
    } else {
        const CString section = CalibrationSection(machine);
        for (int i = 0; i < kCalibrationValues; ++i) {
            if (!DiffersBeyond(values.calibrationMm[i], StoredCalibration(section, i), kParamFloatTolerance)) continue;
            CString text;
            text.Format(u"%.4f", static_cast<double>(values.calibrationMm[i]));
            WriteProfileString(section, kCalibrationKeys[i], text);
        }
    }

    // The join-line and back-to-zero flags and the two count fields, which no control edits,
    // go back to their defaults.
    plot.plotValue1 = 1;
    plot.plotValue9 = 1;
    plot.plotValue4 = 10;
    plot.plotValue5 = 2;
    return changes;
}
