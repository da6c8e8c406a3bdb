// CSCrvSpeedLayout: S-curve distances and speeds, the cubic solver, and the phase writers.
#include "motion/scrv_speed_layout.h"

#include "platform/cfile.h"
#include "platform/cstring.h"

#include <algorithm>
#include <cmath>

namespace {

// The step count a phase reaches: int(carry + phase steps), at most what remains and none
// for a count that is no number.
int32_t PhaseStepCount(double carry, double phaseSteps, int32_t available)
{
    const double k = carry + phaseSteps;
    if (!std::isfinite(k) || k <= 0) return 0;
    return k >= available ? available : static_cast<int32_t>(k);
}

// Duration of the speed change vs -> ve (either direction).
double ChangeTime(double vs, double ve, double J, double A)
{
    const double dv = std::fabs(ve - vs);
    const double knee = A * A / J;
    return dv <= knee ? 2.0 * std::sqrt(dv / J) : 2.0 * A / J + (dv - knee) / A;
}

// The constant-acceleration time of an acceleration from v over exactly L (phase 2 of three).
double ConstantAccelerationTime(double L, double v, double J, double A)
{
    const double u = v + 1.5 * A * A / J;
    const double c = A * A * A / (J * J) + 2.0 * v * A / J - L;
    return (std::sqrt(u * u - 2.0 * A * c) - u) / A;
}

// The jerk-phase time τ of a speed change of two jerk phases from (or to) v over exactly L.
double JerkOnlyTime(double L, double v, double J)
{
    double roots[3];
    return CSCrvSpeedLayout::JieSanCiFangcheng(J, 0.0, 2.0 * v, -L, roots);
}

// Writes one step: its speed code when the timer changes, the byte, and the trace line.
void WriteStep(LuJingInfo& info, uint16_t timer, bool withCode, uint8_t byte, P_DataBuf& out, CFile* trace)
{
    const uint16_t previous = info.timer;
    if (withCode) {
        out.AppendSpeedCtlCode(previous, timer);
        info.timer = timer;
    }
    out.AppendByte(byte);
    if (trace) {
        CStringA line;
        line.Format("%d\t%d\t%d\t%d\r\n", static_cast<int>(byte), static_cast<int>(previous), static_cast<int>(info.timer),
                    static_cast<int>(info.timer) - static_cast<int>(previous));
        trace->Write(line.GetString(), static_cast<UINT>(line.GetLength()));
    }
}

// Leaves info at the phase's end: speed and acceleration after duration, the carry and the
// time since the last step (lastStepTime, in the phase's own time, of k steps).
void EndPhase(LuJingInfo& info, int32_t k, double lastStepTime)
{
    const double d = info.duration;
    info.stepCarry = info.stepCarry + info.phaseSteps - k;
    info.timeOffset = k > 0 ? d - lastStepTime : info.timeOffset + d;
    info.speed = info.speed + info.acceleration * d + info.jerk * d * d / 2.0;
    info.acceleration = info.acceleration + info.jerk * d;
}

}  // namespace

uint16_t CSCrvSpeedLayout::TimerReload(double ticks)
{
    // A reload value outside the 16-bit timer would wrap: held within it instead.
    const double v = 65535.0 - ticks;
    if (!std::isfinite(v)) return 0;
    return static_cast<uint16_t>(std::clamp(std::trunc(v), 0.0, 65535.0));
}

double CSCrvSpeedLayout::JieSanCiFangcheng(double a, double b, double c, double d, double roots[3])
{
    const double P = b * b - 3 * a * c;
    const double Q = b * c - 9 * a * d;
    const double R = c * c - 3 * b * d;
    const double delta = Q * Q - 4 * P * R;
    if (P == 0 && Q == 0) {
        // A triple root; -c/b is 0/0 when b is 0 too, -b/(3a) is the same root then.
        roots[0] = roots[1] = roots[2] = b != 0 ? -c / b : -b / (3 * a);
        return roots[0];
    }
    if (delta > 0) {
        const double y1 = P * b + 3 * a * (-Q + std::sqrt(delta)) / 2;
        const double y2 = P * b + 3 * a * (-Q - std::sqrt(delta)) / 2;
        roots[0] = roots[1] = roots[2] = (-b - std::cbrt(y1) - std::cbrt(y2)) / (3 * a);
        return roots[0];
    }
    if (delta == 0) {
        const double K = Q / P;
        roots[0] = -b / a + K;
        roots[1] = roots[2] = -K / 2;
    } else {
        // Rounding can carry the cosine a hair past ±1: held within it.
        const double cosine = std::clamp((2 * P * b - 3 * a * Q) / (2 * std::pow(P, 1.5)), -1.0, 1.0);
        const double theta = std::acos(cosine) / 3;
        const double sp = std::sqrt(P);
        roots[0] = (-b - 2 * sp * std::cos(theta)) / (3 * a);
        roots[1] = (-b + sp * (std::cos(theta) + std::sqrt(3.0) * std::sin(theta))) / (3 * a);
        roots[2] = (-b + sp * (std::cos(theta) - std::sqrt(3.0) * std::sin(theta))) / (3 * a);
    }
    for (int k = 0; k < 3; ++k)
        if (roots[k] > 0) return roots[k];
    return roots[0];
}

double CSCrvSpeedLayout::CalMaxSpeed(double L, double vs, double J, double A)
{
    const double t = A / J;
    if (J * t * t * t + 2 * vs * t >= L) {
        const double tau = JerkOnlyTime(L, vs, J);
        return vs + J * tau * tau;
    }
    return vs + A * ConstantAccelerationTime(L, vs, J, A) + A * A / J;
}

double CSCrvSpeedLayout::CalLen(double vs, double ve, double J, double A)
{
    return (vs + ve) / 2 * ChangeTime(vs, ve, J, A);
}

double CSCrvSpeedLayout::CalLength(double vs, double ve, double J, double A)
{
    const double dv = std::fabs(ve - vs);
    const double knee = A * A / J;
    if (dv <= knee) return (vs + ve) * std::sqrt(dv / J);
    const double constantTime = (dv - knee) / A;
    return (vs + ve) / 2 * (constantTime + 2 * A / J);
}

double CSCrvSpeedLayout::SpeedLayout(double L, double J, double A, double vmax, double vIn, double vOut, double tolerance)
{
    const double hi = std::max(vIn, vOut);
    vmax = std::max(vmax, hi);
    if (L < CalLen(std::min(vIn, vOut), hi, J, A)) return -1;
    if (L > CalLen(vIn, vmax, J, A) + CalLen(vOut, vmax, J, A)) return vmax;
    double lower = hi, upper = vmax, v = hi;
    for (;;) {
        const double d = CalLen(vIn, v, J, A) + CalLen(vOut, v, J, A);
        if (d > L) {
            upper = v;
        } else if (L - d < tolerance) {
            return v;
        } else {
            lower = v;
        }
        const double next = (lower + upper) / 2;
        // A tolerance of 0 or less, or numbers that are none, never end the search: it ends
        // when the bounds stop changing.
        if (!(next != v) || !(next > lower || next < upper)) return lower;
        v = next;
    }
}

double CSCrvSpeedLayout::SpeedLayout(double L, double J, double A, double vmax, double vIn, double vOut, double out[3])
{
    const double v = SpeedLayout(L, J, A, vmax, vIn, vOut, 20.0);
    out[0] = CalLen(vIn, v, J, A);
    out[1] = L - CalLen(vOut, v, J, A);
    out[2] = L;
    return v;
}

int CSCrvSpeedLayout::SpeedUp(double L, double vs, double, double J, double A, double times[], double dists[])
{
    const double t = A / J;
    if (J * t * t * t + 2 * vs * t >= L) {
        const double tau = JerkOnlyTime(L, vs, J);
        times[0] = tau, times[1] = 2 * tau;
        dists[0] = J * tau * tau * tau / 6 + vs * tau, dists[1] = L;
        return 2;
    }
    const double T = ConstantAccelerationTime(L, vs, J, A);
    const double v1 = vs + A * t / 2;
    times[0] = t, times[1] = t + T, times[2] = 2 * t + T;
    dists[0] = J * t * t * t / 6 + vs * t;
    dists[1] = dists[0] + v1 * T + A * T * T / 2;
    dists[2] = L;
    return 3;
}

int CSCrvSpeedLayout::SlowDown(double L, double vs, double ve, double J, double A, double times[], double dists[])
{
    const double t = A / J;
    if (J * t * t * t + 2 * ve * t >= L) {
        const double tau = JerkOnlyTime(L, ve, J);
        times[0] = tau, times[1] = 2 * tau;
        dists[0] = vs * tau - J * tau * tau * tau / 6, dists[1] = L;
        return 2;
    }
    const double T = ConstantAccelerationTime(L, ve, J, A);
    const double v1 = vs - A * t / 2;
    times[0] = t, times[1] = t + T, times[2] = 2 * t + T;
    dists[0] = vs * t - J * t * t * t / 6;
    dists[1] = dists[0] + v1 * T - A * T * T / 2;
    dists[2] = L;
    return 3;
}

int CSCrvSpeedLayout::SpeedUpByV(double L, double vs, double ve, double J, double A, double times[], double dists[])
{
    const double dv = ve - vs;
    if (dv <= A * A / J) {
        const double tau = std::sqrt(dv / J);
        const double d1 = J * tau * tau * tau / 6 + vs * tau;
        const double d2 = ve * tau - J * tau * tau * tau / 6;
        double cruise = L - d1 - d2;
        if (cruise < -1) return -1;
        if (cruise < 0.000001) cruise = 0;
        times[0] = tau, times[1] = 2 * tau, times[2] = 2 * tau + cruise / ve;
        dists[0] = d1, dists[1] = d1 + d2, dists[2] = L;
        return 3;
    }
    const double t = A / J;
    const double T = (dv - A * A / J) / A;
    const double v1 = vs + A * t / 2, v2 = v1 + A * T;
    const double d1 = J * t * t * t / 6 + vs * t;
    const double d2 = v1 * T + A * T * T / 2;
    const double d3 = v2 * t + A * t * t / 2 - J * t * t * t / 6;
    double cruise = L - d1 - d2 - d3;
    if (cruise < -1) return -1;
    if (cruise < 0.000001) cruise = 0;
    times[0] = t, times[1] = t + T, times[2] = 2 * t + T, times[3] = 2 * t + T + cruise / ve;
    dists[0] = d1, dists[1] = d1 + d2, dists[2] = d1 + d2 + d3, dists[3] = L;
    return 4;
}

int CSCrvSpeedLayout::SlowDownByV(double L, double vs, double ve, double J, double A, double times[], double dists[])
{
    const double dv = vs - ve;
    if (dv <= A * A / J) {
        const double tau = std::sqrt(dv / J);
        const double d2 = vs * tau - J * tau * tau * tau / 6;
        const double d3 = ve * tau + J * tau * tau * tau / 6;
        double cruise = L - d2 - d3;
        if (cruise < -1) return -1;
        if (cruise < 0.000001) cruise = 0;
        const double c = cruise / vs;
        times[0] = c, times[1] = c + tau, times[2] = c + 2 * tau;
        dists[0] = cruise, dists[1] = cruise + d2, dists[2] = L;
        return 3;
    }
    const double t = A / J;
    const double T = (dv - A * A / J) / A;
    const double v1 = vs - A * t / 2, v2 = v1 - A * T;
    const double d2 = vs * t - J * t * t * t / 6;
    const double d3 = v1 * T - A * T * T / 2;
    const double d4 = v2 * t - A * t * t / 2 + J * t * t * t / 6;
    double cruise = L - d2 - d3 - d4;
    if (cruise < -1) return -1;
    if (cruise < 0.000001) cruise = 0;
    const double c = cruise / vs;
    times[0] = c, times[1] = c + t, times[2] = c + t + T, times[3] = c + 2 * t + T;
    dists[0] = cruise, dists[1] = cruise + d2, dists[2] = cruise + d2 + d3, dists[3] = L;
    return 4;
}

double CSCrvSpeedLayout::CalSLen(double A, double vs, double ve)
{
    const double t = std::sqrt(2 * std::fabs(ve - vs) / A);
    return A * t * t * t / 6 + t * std::min(vs, ve);
}

double CSCrvSpeedLayout::CalRunTime(double a, double b, double c)
{
    const double c6 = c / 6;
    const double k = std::sqrt(c6);
    const double q = k * a / 2;
    const double g = std::sqrt(a * a * c6 / 4 + b * b * b / 27);
    return (std::cbrt(q + g) + std::cbrt(q - g)) / k;
}

int CSCrvSpeedLayout::MoveYunsu(LuJingInfo& info, const uint8_t* steps, int32_t available, P_DataBuf& out, CFile* trace)
{
    const double v = info.speed;
    const uint16_t timer = TimerReload(kTicksPerSecond / v);
    const int32_t k = PhaseStepCount(info.stepCarry, info.phaseSteps, available);
    // The phase's one speed code goes before its first step (whose trace line shows it).
    if (k == 0) {
        out.AppendSpeedCtlCode(info.timer, timer);
        info.timer = timer;
    }
    for (int32_t i = 0; i < k; ++i) WriteStep(info, timer, i == 0, steps[i], out, trace);
    const double oldCarry = info.stepCarry;
    info.stepCarry = oldCarry + info.phaseSteps - k;
    info.timeOffset = info.duration - (k - oldCarry) / v;
    info.acceleration = 0;
    return k;
}

int CSCrvSpeedLayout::MoveJiaSu(LuJingInfo& info, const uint8_t* steps, int32_t available, P_DataBuf& out, CFile* trace)
{
    const double vs = info.speed, a = info.acceleration;
    const int32_t limit = PhaseStepCount(info.stepCarry, info.phaseSteps, available);
    double previous = 0, inPhase = 0;
    int32_t k = 0;
    for (int32_t i = 1; i <= limit; ++i) {
        // Rounding can make the radicand a hair negative at the end of a deceleration.
        const double radicand = std::max(0.0, vs * vs + 2 * a * (i - info.stepCarry));
        inPhase = (std::sqrt(radicand) - vs) / a;
        const double t = inPhase + info.timeOffset;
        WriteStep(info, TimerReload((t - previous) * kTicksPerSecond), true, steps[i - 1], out, trace);
        previous = t;
        k = i;
    }
    info.jerk = 0;
    EndPhase(info, k, inPhase);
    return k;
}

int CSCrvSpeedLayout::MoveJiaJiaSu(LuJingInfo& info, const uint8_t* steps, int32_t available, P_DataBuf& out, CFile* trace)
{
    const double vs = info.speed, a0 = info.acceleration, j = info.jerk, d = info.duration;
    const int32_t limit = PhaseStepCount(info.stepCarry, info.phaseSteps, available);
    double previous = 0, inPhase = 0;
    int32_t k = 0;
    for (int32_t i = 1; i <= limit; ++i) {
        double roots[3];
        JieSanCiFangcheng(j / 6, a0 / 2, vs, -(i - info.stepCarry), roots);
        inPhase = d;
        for (double r : roots)
            if (r >= 0 && r <= d) {
                inPhase = r;
                break;
            }
        const double t = inPhase + info.timeOffset;
        // A step at the same time as the one before gets no speed code, only its byte.
        WriteStep(info, TimerReload((t - previous) * kTicksPerSecond), t != previous, steps[i - 1], out, trace);
        previous = t;
        k = i;
    }
    EndPhase(info, k, inPhase);
    return k;
}
