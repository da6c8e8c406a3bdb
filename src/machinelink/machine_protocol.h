// The fixed values of the machine protocol: ports, pack types, job states, and the rule by
// which a number goes onto the wire.
#pragma once

#include "platform/byte_order.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

// Ports of the machine (host order).
inline constexpr uint16_t kMachineDataPort = 41204;     // motion text, pack type 0
inline constexpr uint16_t kMachineCommandPort = 41205;  // commands, pack types 2 and up
inline constexpr uint16_t kMachinePanelPort = 41206;    // panel codes, pack type 1
inline constexpr uint16_t kMachineAnswerPort = 41207;   // answers to the machine's requests
inline constexpr uint16_t kMachineJetPort = 41209;      // packed jet raster, pack type 0

// Pack types.
inline constexpr uint8_t kPackTypeData = 0;         // motion text or jet raster
inline constexpr uint8_t kPackTypePanel = 1;
inline constexpr uint8_t kPackTypeCommandText = 2;  // "f0;", "b100,1;", ...
inline constexpr uint8_t kPackTypeJetConfig = 4;
inline constexpr uint8_t kPackTypeJetMotoConfig = 5;
inline constexpr uint8_t kPackTypeJetRange = 6;
inline constexpr uint8_t kPackTypeTotalPulses = 15;
inline constexpr uint8_t kPackTypePollParams = 20;
inline constexpr uint8_t kPackTypePollStatus = 21;
inline constexpr uint8_t kPackTypeJog = 128;

// Job states of a machine.
inline constexpr int32_t kJobIdle = 0;
inline constexpr int32_t kJobPaused = 1;  // paused or stopping; waits for a resume
inline constexpr int32_t kJobPrinting = 3;

// Result of the motion text generators when the job's motion has just ended.
inline constexpr int kMotionEnded = -3;

// A level index of 0..2; any other value counts as 0.
inline int ValidLevelIndex(int level) { return level >= 0 && level <= 2 ? level : 0; }

// A value truncated toward zero and held within 32 bits; NaN gives 0.
inline int32_t TruncateToWire(double v)
{
    if (std::isnan(v)) return 0;
    if (v <= -2147483648.0) return INT32_MIN;
    if (v >= 2147483647.0) return INT32_MAX;
    return static_cast<int32_t>(v);
}

// The fields of a received datagram or block whose length the caller has already checked
// against every field it reads; each read is little-endian, straight from the bytes.
class ReceivedFields {
public:
    explicit ReceivedFields(const uint8_t* data) : d_(data) {}
    uint8_t U8(size_t at) const { return d_[at]; }
    int8_t I8(size_t at) const { return static_cast<int8_t>(d_[at]); }
    uint16_t U16(size_t at) const { return LoadLE16(d_ + at); }
    int16_t I16(size_t at) const { return static_cast<int16_t>(LoadLE16(d_ + at)); }
    uint32_t U32(size_t at) const { return LoadLE32(d_ + at); }
    int32_t I32(size_t at) const { return static_cast<int32_t>(LoadLE32(d_ + at)); }
    float Float(size_t at) const { return LoadLEFloat(d_ + at); }

private:
    const uint8_t* d_;
};
