// NET_Machine: the machine configuration file "*.con".
//
// Format: a fixed-size little-endian record without header or checksum, 814 bytes below
// firmware 12 and 830 from it on (the four calibration values are only in the longer form).
// Chunks in order: plot settings (68 bytes), machine parameters (32), jet head parameters
// (32), three speed levels (96), the jet and cutting level indices (1 + 1), three speed sets
// of 11 doubles (264), the magnet block (42), the offsets block (40), the two speed indices
// (1 + 1), the SP roles (8), the four start-up flags (4), the depth-parameter block (20), the
// knife compensation values (4), the calibration values (16, longer form), the extra block
// (200). The file is read whole and every chunk is taken from memory, so a file is either
// of the right size and loaded, or left alone.
#include "machinelink/net_machine.h"
#include "platform/byte_order.h"

#include <bit>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr size_t kConfigBytesShort = 814;
constexpr size_t kConfigBytesLong = 830;
constexpr int kLongConfigFirmware = 12;
constexpr int kMagnetFlagWord = 15;  // the magnet word inverted by a load on a cutting machine

// Reads the chunks of the record in order from a byte buffer that holds it whole.
class ChunkReader {
public:
    explicit ChunkReader(const uint8_t* data) : p_(data) {}
    uint8_t U8() { return *p_++; }
    uint16_t U16() { return Take(2, LoadLE16(p_)); }
    int16_t I16() { return static_cast<int16_t>(U16()); }
    int32_t I32() { return static_cast<int32_t>(Take(4, LoadLE32(p_))); }
    float F32() { return Take(4, LoadLEFloat(p_)); }
    double F64()
    {
        const uint64_t low = LoadLE32(p_);
        const uint64_t high = LoadLE32(p_ + 4);
        p_ += 8;
        return std::bit_cast<double>(low | (high << 32));
    }
    void Bytes(uint8_t* out, size_t n)
    {
        std::copy(p_, p_ + n, out);
        p_ += n;
    }
    const uint8_t* Here() const { return p_; }
    void Skip(size_t n) { p_ += n; }

private:
    template <class T>
    T Take(size_t n, T v)
    {
        p_ += n;
        return v;
    }
    const uint8_t* p_;
};

void PutF64(ByteWriter& out, double v)
{
    const uint64_t bits = std::bit_cast<uint64_t>(v);
    out.PutU32(static_cast<uint32_t>(bits));
    out.PutU32(static_cast<uint32_t>(bits >> 32));
}

SpeedConfig ReadSpeedConfig(ChunkReader& in)
{
    SpeedConfig c;
    c.xAccLine = in.F64();
    c.yAccLine = in.F64();
    c.xVecMax = in.F64();
    c.yVecMax = in.F64();
    c.xVecInit = in.F64();
    c.yVecInit = in.F64();
    c.J = in.F64();
    c.xAccCrv = in.F64();
    c.yAccCrv = in.F64();
    c.xAccCrvJiWan = in.F64();
    c.yAccCrvJiWan = in.F64();
    return c;
}

void PutSpeedConfig(ByteWriter& out, const SpeedConfig& c)
{
    for (double v : {c.xAccLine, c.yAccLine, c.xVecMax, c.yVecMax, c.xVecInit, c.yVecInit, c.J, c.xAccCrv, c.yAccCrv,
                     c.xAccCrvJiWan, c.yAccCrvJiWan}) {
        PutF64(out, v);
    }
}

// The path of a CString as the file system takes it.
std::string FilePath(const CString& path) { return path.ToUtf8(); }

}  // namespace

size_t NET_Machine::ConfigFileBytes() const
{
    return firmwareVersion >= kLongConfigFirmware ? kConfigBytesLong : kConfigBytesShort;
}

void NET_Machine::SaveConfigToFile(const CString& path)
{
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(FilePath(path).c_str(), "wb"), &std::fclose);
    if (!file) return;
    plot.plotValue1 = 1;
    plot.plotValue9 = 1;
    plot.plotValue4 = 10;
    plot.plotValue5 = 2;

    const P_Interpolate1& ip = motionSource.interpolator;
    ByteWriter out;
    for (float v : {plot.xScale, plot.yScale, plot.xCalIdeal, plot.xCalReal, plot.yCalIdeal, plot.yCalReal}) out.PutFloat(v);
    for (int32_t v : {plot.plotValue1, plot.plotValue2, plot.plotValue3, plot.plotValue4, plot.plotValue5, plot.bandBaseMm,
                      plot.rotationDeg, plot.mirror, plot.plotValue9, plot.plotValue10, plot.plotValue11}) {
        out.PutI32(v);
    }
    const MachineParams& mp = machineParams;
    for (int32_t v : {mp.xRange, mp.yRange, mp.startSpeed, mp.jerk, mp.limitLength, mp.resetSpeed, mp.moveSpeed,
                      mp.moveAcceleration}) {
        out.PutI32(v);
    }
    out.PutBytes(jet.nozzleStart, 4);
    out.PutBytes(jet.nozzleEnd, 4);
    out.PutU16(jet.headValue);
    for (int16_t v : jet.headOffsets) out.PutI16(v);
    out.PutFloat(jet.jetStepWidth);
    out.PutI32(jet.motorValue);
    out.PutFloat(jet.secondJetFloat);
    out.PutU8(jet.headCount);
    out.PutU8(jet.penWidth);
    out.PutU8(jet.warmUpDuty);
    out.PutU8(jet.margin);
    for (const SpeedLevelRecord& level : speedLevels) {
        out.PutU16(level.speed);
        out.PutU16(level.secondSpeed);
        out.PutI32(level.levelValue1);
        out.PutI32(level.levelValue2);
        out.PutI32(level.levelValue3);
        out.PutU16(level.zeroWord);
        out.PutI16(level.bidiOffset);
        for (int16_t v : level.headValues) out.PutI16(v);
    }
    out.PutU8(static_cast<uint8_t>(ip.jetLevelIndex));
    out.PutU8(static_cast<uint8_t>(ip.cuttingLevelIndex));
    for (const SpeedConfig& c : ip.speedConfigs) PutSpeedConfig(out, c);
    for (int16_t v : ip.magnetBlock) out.PutI16(v);
    for (float v : ip.offsetsBlock.toolOffsets) out.PutFloat(v);
    for (uint16_t v : ip.offsetsBlock.designSizes) out.PutU16(v);
    for (float v : ip.offsetsBlock.measuredSizes) out.PutFloat(v);
    out.PutU8(static_cast<uint8_t>(ip.secondSpeedIndex));
    out.PutU8(static_cast<uint8_t>(ip.firstSpeedIndex));
    out.PutBytes(spRoles, sizeof spRoles);
    for (uint8_t v : {startPrefix, optionBit, rightEdgeMarks, autoContinue}) out.PutU8(v);
    uint8_t depth[20];
    WriteDepthBlock(depth);
    out.PutBytes(depth, sizeof depth);
    out.PutU16(knifeComp1);
    out.PutU16(knifeComp2);
    if (firmwareVersion >= kLongConfigFirmware) {
        for (float v : calibration) out.PutFloat(v);
    }
    out.PutBytes(extraBlock, kExtraBlockBytes);
    std::fwrite(out.Data(), 1, out.Size(), file.get());
}

int NET_Machine::LoadConfigFromFile(const CString& path)
{
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(FilePath(path).c_str(), "rb"), &std::fclose);
    if (!file) return 0;
    const size_t expected = ConfigFileBytes();
    // One byte more than the record shows a longer file.
    std::vector<uint8_t> bytes(expected + 1);
    const size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
    if (got != expected) return 0;

    P_Interpolate1& ip = motionSource.interpolator;
    const bool cuttingFlag = UsesDepthTraversal(*this);
    const uint16_t flagBefore = cuttingFlag ? static_cast<uint16_t>(ip.magnetBlock[kMagnetFlagWord]) : ip.depthParams.lastWord;

    ChunkReader in(bytes.data());
    in.Skip(6 * 4);  // the file's scales and calibration are not kept
    int32_t* const plotValues[11] = {&plot.plotValue1, &plot.plotValue2, &plot.plotValue3, &plot.plotValue4,
                                     &plot.plotValue5, &plot.bandBaseMm,  &plot.rotationDeg, &plot.mirror,
                                     &plot.plotValue9, &plot.plotValue10, &plot.plotValue11};
    for (int32_t* v : plotValues) *v = in.I32();
    int32_t* const machineValues[8] = {&machineParams.xRange,     &machineParams.yRange,      &machineParams.startSpeed,
                                       &machineParams.jerk,       &machineParams.limitLength, &machineParams.resetSpeed,
                                       &machineParams.moveSpeed,  &machineParams.moveAcceleration};
    for (int32_t* v : machineValues) *v = in.I32();
    in.Bytes(jet.nozzleStart, 4);
    in.Bytes(jet.nozzleEnd, 4);
    jet.headValue = in.U16();
    for (int16_t& v : jet.headOffsets) v = in.I16();
    jet.jetStepWidth = in.F32();
    jet.motorValue = in.I32();
    jet.secondJetFloat = in.F32();
    jet.headCount = in.U8();
    jet.penWidth = in.U8();
    jet.warmUpDuty = in.U8();
    jet.margin = in.U8();
    for (SpeedLevelRecord& level : speedLevels) {
        level.speed = in.U16();
        level.secondSpeed = in.U16();
        level.levelValue1 = in.I32();
        level.levelValue2 = in.I32();
        level.levelValue3 = in.I32();
        level.zeroWord = in.U16();
        level.bidiOffset = in.I16();
        for (int16_t& v : level.headValues) v = in.I16();
    }
    ip.jetLevelIndex = in.U8();
    ip.cuttingLevelIndex = in.U8();
    plot.plotValue1 = 1;
    plot.plotValue9 = 1;
    plot.plotValue4 = 10;
    plot.plotValue5 = 2;
    ResetCalibration();

    for (SpeedConfig& c : ip.speedConfigs) c = ReadSpeedConfig(in);
    for (int16_t& v : ip.magnetBlock) v = in.I16();
    for (float& v : ip.offsetsBlock.toolOffsets) v = in.F32();
    for (uint16_t& v : ip.offsetsBlock.designSizes) v = in.U16();
    for (float& v : ip.offsetsBlock.measuredSizes) v = in.F32();
    ip.secondSpeedIndex = in.U8();
    ip.firstSpeedIndex = in.U8();
    in.Bytes(spRoles, sizeof spRoles);
    startPrefix = in.U8();
    optionBit = in.U8();
    rightEdgeMarks = in.U8();
    autoContinue = in.U8();
    ReadDepthBlock(in.Here());
    in.Skip(20);
    // The flag word is inverted against its value before the load, so that the parameter
    // pages see a change and send the loaded values to the machine.
    const uint16_t inverted = flagBefore == 0 ? 1 : 0;
    if (cuttingFlag) {
        ip.magnetBlock[kMagnetFlagWord] = static_cast<int16_t>(inverted);
    } else {
        ip.depthParams.lastWord = inverted;
    }
    knifeComp1 = in.U16();
    knifeComp2 = in.U16();
    if (firmwareVersion >= kLongConfigFirmware) {
        for (float& v : calibration) v = in.F32();
    }
    in.Bytes(extraBlock, kExtraBlockBytes);
    return 1;
}
