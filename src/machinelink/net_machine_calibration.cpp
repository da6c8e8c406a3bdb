// NET_Machine: calibration factors and the usable cut area.
//
// Units: ranges are machine units (x 40 gives plotter units); the cut area is in plotter
// units; calibration values are lengths of one measurement (ideal and real), so their ratio
// is dimensionless. A ratio or scale that would divide by 0 or give no finite number counts as
// 1.0, so a machine with unset calibration never yields an infinite or undefined area.
#include "machinelink/machine_globals.h"
#include "machinelink/net_machine.h"
#include "platform/number_parse.h"
#include "platform/settings_store.h"

#include <cmath>

namespace {

// num / den, or 1.0 when that is no finite number (den 0 included).
double SafeRatio(double num, double den)
{
    if (den == 0.0) return 1.0;
    const double r = num / den;
    return std::isfinite(r) && r != 0.0 ? r : 1.0;
}

// A scale used as a divisor: 1.0 when it is 0 or not finite.
double SafeScale(double s) { return std::isfinite(s) && s != 0.0 ? s : 1.0; }

double ProfileNumber(const CString& section, const char16_t* key)
{
    const CString text = GetProfileString(section.GetString(), key, u"500");
    return CLocaleAtof(std::u16string_view(text.str()));
}

// Firmware from which the calibration comes from the machine's own values.
constexpr int kMachineCalibrationFirmware = 11;
// Firmware below which the ranges are given before scaling.
constexpr int kScaledRangeFirmware = 9;

}  // namespace

void NET_Machine::CalibrationFactors(double& gx, double& gy) const
{
    if (firmwareVersion >= kMachineCalibrationFirmware) {
        gx = SafeRatio(calibration[0], calibration[1]);
        gy = SafeRatio(calibration[2], calibration[3]);
        return;
    }
    CString section;
    GetID(section);
    gx = SafeRatio(ProfileNumber(section, u"File_xIdeal"), ProfileNumber(section, u"File_xReal"));
    gy = SafeRatio(ProfileNumber(section, u"File_yIdeal"), ProfileNumber(section, u"File_yReal"));
}

void NET_Machine::GetExternScale(float& x, float& y) const
{
    double gx = 1.0;
    double gy = 1.0;
    CalibrationFactors(gx, gy);
    x = NarrowToFloat(gx);
    y = NarrowToFloat(gy);
}

float NET_Machine::GetXRangeMax() const
{
    double width = static_cast<double>(machineParams.xRange) * 40.0;
    if (firmwareVersion < kScaledRangeFirmware) width /= SafeScale(plot.xScale);
    double gx = 1.0;
    double gy = 1.0;
    CalibrationFactors(gx, gy);
    return NarrowToFloat(width / gx);
}

void NET_Machine::GetCutArea_PB(int32_t& width, int32_t& height)
{
    double w = static_cast<double>(machineParams.xRange) * 40.0;
    double h = static_cast<double>(machineParams.yRange) * 40.0;
    if (firmwareVersion < kScaledRangeFirmware) {
        w /= SafeScale(plot.xScale);
        h /= SafeScale(plot.yScale);
    }
    double margin = 0.0;
    if (task.requestValue3 != 0) {
        const int32_t band = task.requestValue3 < 100 ? 100 : task.requestValue3;
        margin = static_cast<double>(Y_RelSCALE) * band / SafeScale(plot.yScale * 2.0);
        if (firmwareVersion >= kScaledRangeFirmware) w = task.requestValue1 / SafeScale(plot.xScale * 2.0);
    } else {
        margin = static_cast<double>(plot.bandBaseMm) * 40.0;
    }
    h = h - std::fabs(static_cast<double>(OffsetsFloat(1)) * 40.0) - margin;
    double gx = 1.0;
    double gy = 1.0;
    CalibrationFactors(gx, gy);
    const int32_t lx = TruncateToWire(plot.plotValue2 * gx * 40.0);
    if (lx > 0 && w > lx) w = lx;
    const int32_t ly = TruncateToWire(plot.plotValue10 * gy * 40.0);
    if (ly > 0 && h > ly) h = ly;
    width = TruncateToWire(w / gx);
    height = TruncateToWire(h / gy);
}
