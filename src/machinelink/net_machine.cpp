// NET_Machine: construction, defaults, identity texts and the settings block of the announce.
#include "machinelink/net_machine.h"

#include "machinelink/machine_globals.h"
#include "machinelink/machine_messages.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstring>

namespace {

// Parts of the announce's settings block: the fields every firmware carries (bytes 0-76), and
// the fields from firmware 3 on (bytes 77-179).
constexpr int kSettingsCommonBytes = 77;
constexpr int kSettingsFullBytes = 180;
constexpr int kHeadRecordOffset = 77;
constexpr int kHeadRecordBytes = 12;
constexpr int kPlotValue3Offset = 174;

}  // namespace

NET_Machine::NET_Machine() : NET_Machine(0, nullptr, nullptr) {}

NET_Machine::NET_Machine(uint32_t address, const uint8_t id[12]) : NET_Machine(address, nullptr, id) {}

NET_Machine::NET_Machine(uint32_t address, const uint8_t macBytes[6], const uint8_t id[12]) : ip(address)
{
    if (macBytes) std::memcpy(mac, macBytes, sizeof mac);
    if (id) std::memcpy(stationId, id, sizeof stationId);
    motionSource.interpolator.machine = this;
    InitVal();
}

NET_Machine::~NET_Machine() = default;

void NET_Machine::InitVal()
{
    jobState = kJobIdle;
    lastHeardMs = MonotonicMs();
    dataQueue.DeleteAll();
    panelQueue.DeleteAll();
    commandQueue.DeleteAll();
    InitPlotSettings();
    InitMachParam();
    InitJetParam();
    resumed = 0;
    std::fill(std::begin(spRoles), std::end(spRoles), 0);
}

void NET_Machine::InitPlotSettings() { plot = PlotSettings{}; }

void NET_Machine::InitMachParam() { machineParams = MachineParams{}; }

void NET_Machine::InitJetParam()
{
    for (auto& level : speedLevels) level = SpeedLevelRecord{};
    speedLevels[0].speed = 1000;
    speedLevels[0].secondSpeed = 700;
    speedLevels[0].levelValue1 = 40000;
    speedLevels[0].levelValue2 = 100000;
    speedLevels[0].levelValue3 = 200000;
    speedLevels[1].speed = 1500;
    speedLevels[1].secondSpeed = 950;
    speedLevels[1].levelValue1 = 48000;
    speedLevels[1].levelValue2 = 100000;
    speedLevels[1].levelValue3 = 400000;
    speedLevels[2].speed = 2000;
    speedLevels[2].secondSpeed = 1200;
    speedLevels[2].levelValue1 = 60000;
    speedLevels[2].levelValue2 = 100000;
    speedLevels[2].levelValue3 = 2000000;
    jet = JetHeadParams{};
}

void NET_Machine::ResetCalibration()
{
    plot.xCalIdeal = Fixed_XSCALE * 500.0f;
    plot.xCalReal = 500.0f;
    plot.xScale = plot.xCalIdeal / 500.0f;
    plot.yCalIdeal = Fixed_YSCALE * 500.0f;
    plot.yCalReal = 500.0f;
    plot.yScale = plot.yCalIdeal / 500.0f;
}

void NET_Machine::LoadSettings(const uint8_t* block, int length)
{
    paramsReceived = 0;
    if (firmwareVersion < 2) return;
    if (!block) return;
    const ReceivedFields in(block);
    // A block cut short by the network adopts only the parts that arrived whole, so no field
    // is read past the end and no part is taken half new, half old.
    if (length >= kSettingsCommonBytes) {
        machineParams.moveSpeed = static_cast<int32_t>(in.U32(0));
        machineParams.moveAcceleration = static_cast<int32_t>(in.U32(4));
        machineParams.limitLength = in.U16(8);
        machineParams.resetSpeed = in.U16(10);
        machineParams.xRange = static_cast<int32_t>(in.U32(12));
        machineParams.yRange = static_cast<int32_t>(in.U32(16));
        machineParams.jerk = static_cast<int32_t>(in.U32(20));
        machineParams.startSpeed = in.U16(24);
        for (int k = 0; k < 4; ++k) {
            jet.nozzleStart[k] = in.U8(26 + k);
            jet.nozzleEnd[k] = in.U8(30 + k);
        }
        jet.headCount = in.U8(34);
        for (int k = 0; k < 3; ++k) jet.headOffsets[k] = in.I16(35 + 2 * k);
        jet.margin = in.U8(41);
        jet.jetStepWidth = static_cast<float>(in.I16(42));
        jet.penWidth = in.U8(44);
        jet.warmUpDuty = in.U8(45);
        jet.motorValue = in.U8(46);
        plot.bandBaseMm = in.U16(47);
        plot.plotValue2 = in.U16(49);
        plot.plotValue10 = static_cast<int32_t>(in.U32(67));
        plot.plotValue11 = static_cast<int32_t>(in.U32(71));
        jet.headValue = 100;
        ResetCalibration();
        const uint8_t turns = in.U8(75);
        plot.rotationDeg = (turns & 3) * 90;
        plot.mirror = in.U8(76) & 1;
        if ((turns & 0x04) && firmwareVersion > 17) {
            PostMainMessage(WM_NET_CONFIG_INVALID, reinterpret_cast<WPARAM>(this), 0);
        }
    }
    if (length > kPlotValue3Offset) plot.plotValue3 = in.U8(kPlotValue3Offset);
    if (firmwareVersion < 3 || length < kSettingsFullBytes) return;

    for (int k = 0; k < 3; ++k) {
        const size_t at = kHeadRecordOffset + static_cast<size_t>(k) * kHeadRecordBytes;
        SpeedLevelRecord& level = speedLevels[k];
        level.levelValue3 = in.U16(at) * 100;
        const uint16_t speed = in.U16(at + 2);
        if (speed >= 101 && speed <= 2500) level.speed = speed;
        level.bidiOffset = in.I8(at + 4);
        level.headValues[0] = in.I8(at + 6);
        level.headValues[1] = in.I8(at + 7);
        level.headValues[2] = in.U8(at + 8);
        level.headValues[3] = in.I8(at + 9);
        level.headValues[4] = in.U8(at + 10);
        level.headValues[5] = in.I8(at + 11);
        level.secondSpeed = 1000;
        level.levelValue1 = 60000;
        level.levelValue2 = 150000;
        level.zeroWord = 0;
    }
    LoadMotionSettings(block);
    const uint16_t roles = in.U16(172);
    for (int n = 0; n < 8; ++n) spRoles[n] = static_cast<uint8_t>((roles >> (2 * n)) & 3);
    const uint8_t flags = in.U8(175);
    rightEdgeMarks = (flags >> 4) & 1;
    autoContinue = (flags >> 5) & 1;
    startPrefix = (flags >> 6) & 1;
    optionBit = (flags >> 7) & 1;
    knifeComp1 = in.U16(176);
    knifeComp2 = in.U16(178);
}

in_addr NET_Machine::Address() const
{
    in_addr a{};
    a.s_addr = ip;
    return a;
}

void NET_Machine::GetIP(CString& out) const
{
    char text[INET_ADDRSTRLEN] = {};
    const in_addr a = Address();
    ::inet_ntop(AF_INET, &a, text, sizeof text);
    out = CString(text);
}

CString NET_Machine::ConvertStmid(const uint8_t* id)
{
    CString out;
    if (!id) return out;
    for (int i = 0; i < 12; ++i) out.AppendFormat(u"%.2X", id[i]);
    return out;
}

CString NET_Machine::ConvertMac(const uint8_t* bytes)
{
    CString out;
    if (!bytes) return out;
    out.Format(u"%.2X-%.2X-%.2X-%.2X-%.2X-%.2X", bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5]);
    return out;
}

void NET_Machine::GetID(CString& out) const { out = ConvertStmid(stationId); }

void NET_Machine::GetMAC(CString& out) const { out = ConvertMac(mac); }

CString NET_Machine::GetVersionText() const
{
    CString out;
    out.Format(u"%d", static_cast<int>(firmwareVersion));
    out += IsCuttingMachine() ? u".Cut" : u".Jet";
    return out;
}

MotionSpeedLevel NET_Machine::GetSpeedLevel(int level) const
{
    const SpeedLevelRecord& chosen = speedLevels[ValidLevelIndex(level)];
    return {chosen.speed, chosen.levelValue1, chosen.levelValue2, chosen.levelValue3};
}
