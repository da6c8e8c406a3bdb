// The machine settings dialog's values: loaded from a machine record, checked, and stored
// back with the machine parameter codes the change needs.
#pragma once

#include "ui/field_values.h"
#include "ui/machine_param_codes.h"

#include <cstdint>

class NET_Machine;

// Pressure fields of the dialog: drop pressure and full cut (pressure or depth).
inline constexpr IntegerRange kMachInfoPressureRange{0, 12000};
// Firmware from which the machine reports its other-parameters block.
inline constexpr int kOtherParamsFirmware = 21;

struct MachInfoValues {
    int32_t cutSpeedLevel = 0;   // 0 low, 1 middle, 2 high
    int32_t idleSpeedLevel = 0;
    int32_t autoPaperCut = 0;    // flags 0 / 1
    int32_t autoOutput = 0;
    int32_t autoSuctionOff = 0;
    int32_t autoSuctionOn = 0;
    int32_t dropPressure = 0;    // always 0 on a cutting-type machine
    int32_t fullCut = 0;         // pressure, or depth pulses on a cutting-type machine
    int32_t halfCut = 0;
    float knifePenXMm = 0.0f;    // knife-pen distance
    float knifePenYMm = 0.0f;
};

// True for a cutting-type machine: the dialog edits depths instead of pressures.
bool IsCuttingType(const NET_Machine& machine);
// The range of the half-cut field: the knife block's signed 16 bits, or the depth's
// unsigned 16 bits on a cutting-type machine.
IntegerRange HalfCutRange(const NET_Machine& machine);
// True when the "其它配置" button is shown (firmware 21 and later).
bool ShowsOtherParams(const NET_Machine& machine);
// True when the other-parameters block has arrived from the machine, so it can be edited.
bool OtherParamsAvailable(const NET_Machine& machine);

// Reads the dialog's values. A speed level outside 0..2 is reset to 0 and a flag above 1 to
// 1 in the record as well.
MachInfoValues LoadMachInfo(NET_Machine& machine);
// Reads the pressure or depth fields and the knife-pen distances again (after the cutting
// sheet's fourth page stored its own values).
void LoadMachInfoToolValues(const NET_Machine& machine, MachInfoValues& values);

// Stores the checked values where they differ from the record; the codes to post, in order:
// 15 (flags or levels), 17 or 11 (depths or pressures), 12 (knife-pen distances).
MachineParamCodes StoreMachInfo(NET_Machine& machine, const MachInfoValues& values);
