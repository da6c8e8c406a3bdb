// MachineMotionParams: the values of one machine that its interpolator reads per point group,
// and the one flag the interpolator sets on it.
//
// The machine record implements this interface over its own fields; the interpolator keeps a
// pointer to it (its machine reference, not owned). Every call happens on the machine-link
// thread while the machine-table lock is held (the link thread holds it per datagram and per
// poll pass), so an implementation returns its plain fields and takes no lock of its own.
#pragma once

#include <cstdint>
#include <span>

// One of the machine's three jet print speed levels, as far as the ink-jet pass commands use
// it. Source: the machine's speed level records (announce head records, key commands, the
// configuration file, the ink-jet head page).
struct MotionSpeedLevel {
    uint16_t speed = 0;   // carriage speed in machine units; the pass text sends 40 × speed
                          // as the top speed of a paper-feed leg (pulses per second)
    int32_t value1 = 0;   // level value 1: top speed of the cross leg, pulses per second
    int32_t value2 = 0;   // level value 2: its acceleration, pulses per second squared
    int32_t value3 = 0;   // level value 3: its jerk, pulses per second cubed
};

class MachineMotionParams {
public:
    static constexpr uint8_t kCuttingMachineBit = 0x02;  // machine kind bit of a cutting machine
    static constexpr int kExtraBlockBytes = 200;         // size of the "PQCE" block

    MachineMotionParams() = default;
    MachineMotionParams(const MachineMotionParams&) = delete;
    MachineMotionParams& operator=(const MachineMotionParams&) = delete;
    virtual ~MachineMotionParams() = default;

    // The machine's protocol (firmware) version, 0..255, from its announce.
    virtual int GetFirmwareVersion() const = 0;
    // The machine kind byte from "PQCN" (firmware 4 and up; 0 before it arrives).
    virtual uint8_t GetMachineKind() const = 0;
    // X and Y scale of the plot settings (dimensionless, 1.0 by default; calibration sets them).
    virtual float GetXScale() const = 0;
    virtual float GetYScale() const = 0;
    // Speed level `level` (0..2; the interpolator never asks for another).
    virtual MotionSpeedLevel GetSpeedLevel(int level) const = 0;
    // Move acceleration of the machine parameters, pulses per second squared (settings block
    // offset 4; default 50000).
    virtual int32_t GetMoveAcceleration() const = 0;
    // Jerk of the machine parameters, pulses per second cubed (settings block offset 20;
    // default 1500000).
    virtual int32_t GetJerk() const = 0;
    // The 200 bytes of the machine's "PQCE" block, as the machine sent them (little-endian
    // words); all zero until one arrives.
    virtual std::span<const uint8_t, kExtraBlockBytes> GetExtraBlock() const = 0;
    // The current jet speed level held in the machine's task box (a byte; 0..2 when valid).
    virtual int GetTaskJetLevel() const = 0;
    // Sets the machine's end-with-D100 flag: non-zero makes the motion data end with "D100;".
    virtual void SetEndWithD100(int32_t on) = 0;
};

// True for a cutting machine (kind bit 0x02) from firmware 4 on: it takes the depth-aware
// traversal and the depth-move text; every other machine takes the channel-driven text.
inline bool UsesDepthTraversal(const MachineMotionParams& m)
{
    return (m.GetMachineKind() & MachineMotionParams::kCuttingMachineBit) != 0 && m.GetFirmwareVersion() > 3;
}
