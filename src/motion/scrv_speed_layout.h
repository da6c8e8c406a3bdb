// CSCrvSpeedLayout: the S-curve arithmetic of the step output (speed changes under limited
// jerk and acceleration) and the phase writers that turn one speed phase into timer codes
// and step bytes.
//
// Method. A speed change from vs to ve has two jerk phases of equal length and, when
// |ve - vs| > A²/J, a phase of constant acceleration A between them. The phase writers time
// every step in closed form (a square root for constant acceleration, the cubic solver for a
// jerk phase) and write the timer reload value of the step's interval, 65535 minus the
// interval in ticks of 72 MHz, as a speed code whenever it changes, then the step byte.
//
// Units: distances in steps, speeds in steps per second, accelerations per second squared,
// jerk per second cubed, times in seconds.
//
// Preconditions: J and A are positive finite numbers (the interpolator hands over sanitised
// speed sets); other inputs may be anything, results then are -1, 0 or held in range.
#pragma once

#include "motion/p_data_buf.h"

#include <cstdint>

class CFile;

// The state of one speed phase, handed from phase to phase.
struct LuJingInfo {
    double stepCarry = 0;    // fraction of a step travelled since the last step, steps
    double timeOffset = 0;   // time since the last step at the phase's start, s
    uint16_t timer = 0;      // the reload value last written
    double speed = 0;        // steps per second at the phase's start
    double acceleration = 0; // steps per second squared at the phase's start
    double jerk = 0;         // steps per second cubed
    double phaseSteps = 0;   // steps the phase travels (fractional)
    double duration = 0;     // s
};

class CSCrvSpeedLayout {
public:
    // Timer ticks per second.
    static constexpr double kTicksPerSecond = 72000000.0;

    // The timer reload value for an interval of ticks: 65535 - ticks truncated, held within
    // 0..65535 (a speed below about 1098.6 steps per second would leave the range); a
    // non-finite interval gives 0.
    static uint16_t TimerReload(double ticks);

    // Real roots of a·t³ + b·t² + c·t + d = 0 into roots; the single root when there is one,
    // else the first positive root in the order written (the first root when none is).
    static double JieSanCiFangcheng(double a, double b, double c, double d, double roots[3]);
    // Speed reached after accelerating from vs over L.
    static double CalMaxSpeed(double L, double vs, double J, double A);
    // Distance needed to change speed from vs to ve.
    static double CalLen(double vs, double ve, double J, double A);
    // The same distance, from the constant-acceleration time.
    static double CalLength(double vs, double ve, double J, double A);
    // Top speed of a section of length L entered at vIn and left at vOut, bisected until the
    // leftover constant-speed distance is below tolerance; -1 when L is too short.
    static double SpeedLayout(double L, double J, double A, double vmax, double vIn, double vOut, double tolerance);
    // The same with tolerance 20; out = end of acceleration, start of deceleration, L.
    static double SpeedLayout(double L, double J, double A, double vmax, double vIn, double vOut, double out[3]);
    // Acceleration from vs over exactly L: 2 or 3 phases, cumulative times and distances.
    static int SpeedUp(double L, double vs, double ve, double J, double A, double times[], double dists[]);
    // Deceleration from vs that ends at ve after exactly L: 2 or 3 phases.
    static int SlowDown(double L, double vs, double ve, double J, double A, double times[], double dists[]);
    // Acceleration from vs to ve, then constant speed to L: 3 or 4 phases, -1 when L is short.
    static int SpeedUpByV(double L, double vs, double ve, double J, double A, double times[], double dists[]);
    // Constant speed, then deceleration from vs to ve ending at L: 3 or 4 phases, -1 when short.
    static int SlowDownByV(double L, double vs, double ve, double J, double A, double times[], double dists[]);
    // With t = √(2·|ve − vs| / A): A·t³/6 + t·min(vs, ve).
    static double CalSLen(double A, double vs, double ve);
    // (∛(q + g) + ∛(q − g)) / k with c' = c/6, k = √c', q = k·a/2, g = √(a²·c'/4 + b³/27).
    static double CalRunTime(double a, double b, double c);

    // The phase writers: one constant-speed, constant-acceleration or jerk phase from the
    // step bytes (of which available remain), with trace lines when a trace file is given.
    // Each returns the step bytes it used and leaves info at the phase's end.
    static int MoveYunsu(LuJingInfo& info, const uint8_t* steps, int32_t available, P_DataBuf& out, CFile* trace = nullptr);
    static int MoveJiaSu(LuJingInfo& info, const uint8_t* steps, int32_t available, P_DataBuf& out, CFile* trace = nullptr);
    static int MoveJiaJiaSu(LuJingInfo& info, const uint8_t* steps, int32_t available, P_DataBuf& out,
                            CFile* trace = nullptr);
};
