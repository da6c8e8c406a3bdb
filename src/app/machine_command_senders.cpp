// The command frames the program builds from a machine's record: jet head geometry, jet
// speeds and range, plot settings, speed levels, level selection and machine limits.
#include "app/udp_server.h"

#include "machinelink/machine_protocol.h"
#include "machinelink/net_machine.h"
#include "platform/byte_order.h"

#include <string>

namespace {

// Command codes of the frames built here.
constexpr uint8_t kCommandText = 0;
constexpr uint8_t kJetHeadConfig = 5;
constexpr uint8_t kJetSpeedParams = 6;
constexpr uint8_t kJetRange = 7;
constexpr uint8_t kPlotSettings = 8;
constexpr uint8_t kSpeedLevelTable = 9;
constexpr uint8_t kSpeedLevelSelection = 10;

// The speed-level table and selection exist from this firmware on.
constexpr int kSpeedLevelsFirmware = 3;
// Pulses of the jet head offset value per unit: the offset is sent as -value / this.
constexpr double kJetOffsetUnit = 0.029466357308584684;

// The 12-byte record of one speed level as the speed-level table sends it: the level's bytes
// 18, 20, 22, ..., 30 are the low bytes of its bidirectional offset and six head values.
void PutSpeedLevel(ByteWriter& w, const SpeedLevelRecord& level)
{
    w.PutU16(static_cast<uint16_t>(level.levelValue3 / 100));
    w.PutU16(level.speed);
    w.PutU8(static_cast<uint8_t>(level.bidiOffset));
    w.PutU8(0);
    for (int16_t value : level.headValues) w.PutU8(static_cast<uint8_t>(value));
}

}  // namespace

int CUDPServer::PostMachineFrame(uint32_t key, uint8_t code, const ByteWriter& payload)
{
    return PostMachineCommand(key, code, payload.Data(), static_cast<int>(payload.Size()));
}

int CUDPServer::SendJetHeadConfig(NET_Machine* machine)
{
    CSingleLock guard(&lock_, TRUE);
    const JetHeadParams& jet = machine->jet;
    ByteWriter w;
    w.PutBytes(jet.nozzleStart, 4);
    w.PutBytes(jet.nozzleEnd, 4);
    w.PutU8(jet.headCount >= 2 ? 2 : jet.headCount);
    for (int16_t offset : jet.headOffsets) w.PutI16(offset);
    w.PutU8(jet.margin);
    return PostMachineFrame(machine->ip, kJetHeadConfig, w);
}

int CUDPServer::SendJetSpeedParams(NET_Machine* machine, int level)
{
    CSingleLock guard(&lock_, TRUE);
    const SpeedLevelRecord& chosen = machine->speedLevels[ValidLevelIndex(level)];
    const SpeedLevelRecord& cutting = machine->speedLevels[ValidLevelIndex(machine->motionSource.interpolator.cuttingLevelIndex)];
    ByteWriter w;
    w.PutU16(chosen.speed);
    w.PutU16(cutting.secondSpeed);
    w.PutI32(cutting.levelValue1);
    w.PutI32(cutting.levelValue2);
    w.PutI32(TruncateToWire(machine->jet.jetStepWidth));
    w.PutI32(cutting.levelValue3);
    w.PutI32(TruncateToWire(-static_cast<double>(machine->jet.motorValue) / kJetOffsetUnit));
    return PostMachineFrame(machine->ip, kJetSpeedParams, w);
}

int CUDPServer::SendJetRangeCommand(NET_Machine* machine, uint16_t e1, uint16_t e2, uint16_t low, uint16_t high)
{
    if (e1 >= e2) return 0;
    CSingleLock guard(&lock_, TRUE);
    ByteWriter w;
    w.PutU16(e1);
    w.PutU16(e2);
    w.PutU16(low);
    w.PutU16(high);
    return PostMachineFrame(machine->ip, kJetRange, w);
}

int CUDPServer::SendPlotSettings(NET_Machine* machine)
{
    CSingleLock guard(&lock_, TRUE);
    const PlotSettings& plot = machine->plot;
    ByteWriter w;
    w.PutI16(static_cast<int16_t>(TruncateToWire(machine->jet.jetStepWidth)));
    w.PutU8(machine->jet.penWidth);
    w.PutU8(machine->jet.warmUpDuty);
    w.PutU8(static_cast<uint8_t>(machine->jet.motorValue));
    w.PutU16(static_cast<uint16_t>(plot.bandBaseMm));
    w.PutU16(static_cast<uint16_t>(plot.plotValue2));
    w.PutFloat(plot.xCalIdeal);
    w.PutFloat(plot.xCalReal);
    w.PutFloat(plot.yCalIdeal);
    w.PutFloat(plot.yCalReal);
    w.PutI32(plot.plotValue10);
    w.PutI32(plot.plotValue11);
    w.PutU8(static_cast<uint8_t>(plot.rotationDeg / 90));
    w.PutU8(plot.mirror != 0 ? 1 : 0);
    w.PutU8(static_cast<uint8_t>(plot.plotValue3));
    return PostMachineFrame(machine->ip, kPlotSettings, w);
}

int CUDPServer::SendSpeedLevelTable(NET_Machine* machine)
{
    CSingleLock guard(&lock_, TRUE);
    if (machine->firmwareVersion < kSpeedLevelsFirmware) return 0;
    ByteWriter w;
    for (const SpeedLevelRecord& level : machine->speedLevels) PutSpeedLevel(w, level);
    return PostMachineFrame(machine->ip, kSpeedLevelTable, w);
}

int CUDPServer::SendSpeedLevelSelection(NET_Machine* machine)
{
    CSingleLock guard(&lock_, TRUE);
    if (machine->firmwareVersion < kSpeedLevelsFirmware) return 0;
    const P_Interpolate1& source = machine->motionSource.interpolator;
    return PostMachineCommandByte(machine->ip, kSpeedLevelSelection,
                                  static_cast<uint8_t>((source.cuttingLevelIndex & 3) * 4 + (source.jetLevelIndex & 3)));
}

int CUDPServer::SendMachineLimitsText(NET_Machine* machine)
{
    CSingleLock guard(&lock_, TRUE);
    const MachineParams& p = machine->machineParams;
    const int32_t values[8] = {p.xRange,      p.yRange,     p.startSpeed, p.jerk,
                               p.limitLength, p.resetSpeed, p.moveSpeed,  p.moveAcceleration};
    std::string text;
    for (int i = 0; i < 8; ++i) text += "b" + std::to_string(i + 1) + "," + std::to_string(values[i]) + ";";
    return PostMachineCommand(machine->ip, kCommandText, reinterpret_cast<const uint8_t*>(text.data()),
                              static_cast<int>(text.size()));
}
