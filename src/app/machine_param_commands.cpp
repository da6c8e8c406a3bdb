// The machine parameter commands built from a machine's record, and the sequence a machine is
// sent after a configuration file was loaded into it.
#include "app/machine_param_commands.h"

#include "app/access_database.h"
#include "app/udp_server.h"
#include "machinelink/net_machine.h"
#include "platform/byte_order.h"
#include "platform/number_parse.h"

namespace {

// Knife values of code 11: the first words of the magnet block (the pen values follow them).
constexpr int kKnifeWords = 14;
constexpr int kDepthBlockBytes = 20;
// Speed-set values are sent in units of 40 path units.
constexpr double kSpeedSetUnit = 40.0;

// Bits of the work-flags byte besides the two speed levels.
constexpr uint8_t kFlagPaperCut = 0x10;
constexpr uint8_t kFlagOutput = 0x20;
constexpr uint8_t kFlagSuctionOn = 0x40;
constexpr uint8_t kFlagSuctionOff = 0x80;
constexpr int kWorkFlagsZeroBytes = 4;

// Code 13: SPn's tool in bits 2(n-1) and 2(n-1)+1, from the low two bits of its SP byte.
uint16_t PenToolWord(const uint8_t (&spRoles)[8])
{
    uint16_t word = 0;
    for (int n = 0; n < 8; ++n) word = static_cast<uint16_t>(word | ((spRoles[n] & 3u) << (2 * n)));
    return word;
}

// Code 15 byte 0: cut level in bits 0-1, idle level in bits 2-3, then the start-up flags.
uint8_t WorkFlagsByte(const NET_Machine& machine)
{
    const P_Interpolate1& levels = machine.motionSource.interpolator;
    uint32_t byte = ((levels.secondSpeedIndex & 3u) << 2) | (levels.firstSpeedIndex & 3u);
    if (machine.rightEdgeMarks) byte |= kFlagPaperCut;
    if (machine.autoContinue) byte |= kFlagOutput;
    if (machine.startPrefix) byte |= kFlagSuctionOn;
    if (machine.optionBit) byte |= kFlagSuctionOff;
    return static_cast<uint8_t>(byte);
}

// Code 14: the low, middle and high speed sets, each value divided by 40 as a float.
void PutSpeedSets(ByteWriter& w, const NET_Machine& machine)
{
    for (const SpeedConfig& c : machine.motionSource.interpolator.speedConfigs) {
        for (double v : {c.xAccLine, c.yAccLine, c.xVecMax, c.yVecMax, c.xVecInit, c.yVecInit, c.J, c.xAccCrv,
                         c.yAccCrv, c.xAccCrvJiWan, c.yAccCrvJiWan}) {
            w.PutFloat(NarrowToFloat(v / kSpeedSetUnit));
        }
    }
}

}  // namespace

std::vector<uint8_t> MachineParamPayload(const NET_Machine& machine, uint8_t code)
{
    const P_Interpolate1& ip = machine.motionSource.interpolator;
    ByteWriter w;
    switch (code) {
    case MachineParamCode::kKnifeBlock:
        for (int i = 0; i < kKnifeWords; ++i) w.PutI16(ip.magnetBlock[i]);
        break;
    case MachineParamCode::kToolOffsets:
        for (float v : ip.offsetsBlock.toolOffsets) w.PutFloat(v);
        break;
    case MachineParamCode::kPenTools: w.PutU16(PenToolWord(machine.spRoles)); break;
    case MachineParamCode::kSpeedSets: PutSpeedSets(w, machine); break;
    case MachineParamCode::kWorkFlags:
        w.PutU8(WorkFlagsByte(machine));
        w.PutU16(machine.knifeComp1);
        w.PutU16(machine.knifeComp2);
        for (int i = 0; i < kWorkFlagsZeroBytes; ++i) w.PutU8(0);
        break;
    case MachineParamCode::kDepthBlock: {
        uint8_t depth[kDepthBlockBytes];
        machine.WriteDepthBlock(depth);
        w.PutBytes(depth, sizeof depth);
        break;
    }
    case MachineParamCode::kCalibration:
        for (float v : machine.calibration) w.PutFloat(v);
        break;
    case MachineParamCode::kOtherParams: w.PutBytes(machine.extraBlock, sizeof machine.extraBlock); break;
    default: break;
    }
    return w.Bytes();
}

int CUDPServer::SendMachineParamCommand(NET_Machine* machine, uint8_t code)
{
    if (!machine) return 0;
    CSingleLock guard(&lock_, TRUE);
    const std::vector<uint8_t> payload = MachineParamPayload(*machine, code);
    if (payload.empty()) return 0;
    return PostMachineCommand(machine->ip, code, payload.data(), static_cast<int>(payload.size()));
}

int LoadMachineConfiguration(CUDPServer& server, NET_Machine* machine, const CString& path)
{
    if (!machine) return 0;
    CSingleLock guard(&server.GetLock(), TRUE);
    if (!machine->LoadConfigFromFile(path)) return 0;
    CAccessDataBase database;
    if (database.OpenDatabase(GetConfigDatabasePath())) database.SaveMachineRecords(machine);

    server.SendJetHeadConfig(machine);
    server.SendPlotSettings(machine);
    server.SendMachineLimitsText(machine);
    server.SendSpeedLevelTable(machine);
    server.SendSpeedLevelSelection(machine);
    using namespace MachineParamCode;
    for (uint8_t code : {kSpeedSets, kKnifeBlock, kToolOffsets, kWorkFlags, kDepthBlock, kPenTools}) {
        server.SendMachineParamCommand(machine, code);
    }
    if (machine->firmwareVersion > kLoadCalibrationAboveFirmware) server.SendMachineParamCommand(machine, kCalibration);
    server.SendMachineParamCommand(machine, kOtherParams);
    return 1;
}
