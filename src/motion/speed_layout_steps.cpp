// CSpeedLayout1's step output: the S-curve passes over a run of sections and the timer codes
// and step bytes of every section.
//
// Method. A run (sections up to a standstill) gets its entry speeds joined to the exit speeds
// before them, a backward pass that lowers speeds so every section can still slow down to
// what follows, and a forward pass that lowers them to what can be reached from what comes
// before. Each section then becomes speed phases (constant speed, jerk, constant
// acceleration) chosen by how its entry, top and exit speeds relate, and the phases copy the
// section's step bytes, made once, with a timer code before each step whose interval changes.
//
// Units: steps, steps per second (squared, cubed); a section with more than 30 steps is long.
#include "motion/scrv_speed_layout.h"
#include "motion/speed_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

using Run = CArray<SpeedSection1, SpeedSection1&>;
using S = CSCrvSpeedLayout;

constexpr int32_t kShortSectionSteps = 30;

bool IsLong(const SpeedSection1& s) { return s.steps > kShortSectionSteps; }

// Step byte bits.
constexpr uint8_t kTypeNonZero = 0x01;
constexpr uint8_t kTypeZero = 0x03;
constexpr uint8_t kXForward = 0x04;
constexpr uint8_t kYForward = 0x08;
constexpr uint8_t kXStep = 0x20;
constexpr uint8_t kYStep = 0x40;

// Writes the phases of a section one after the other from its scratch step bytes.
class PhaseWriter {
public:
    PhaseWriter(const P_DataBuf& steps, P_DataBuf& out, uint16_t timer, double J, double A)
        : steps_(steps), out_(out), J_(J), A_(A)
    {
        info_.timer = timer;
    }

    // A constant-speed phase at v over the given steps.
    void Constant(double v, double steps)
    {
        info_.speed = v;
        info_.acceleration = 0;
        info_.jerk = 0;
        info_.phaseSteps = steps;
        info_.duration = steps / v;
        used_ += S::MoveYunsu(info_, Next(), Left(), out_);
    }
    // A jerk phase (jerk sign ±1) from the cumulative times and distances at index k.
    void Jerk(int sign, const double times[], const double dists[], int k)
    {
        Take(times, dists, k);
        info_.jerk = sign * J_;
        used_ += S::MoveJiaJiaSu(info_, Next(), Left(), out_);
    }
    // A constant-acceleration phase (sign ±1) from the cumulative values at index k.
    void Accelerate(int sign, const double times[], const double dists[], int k)
    {
        Take(times, dists, k);
        info_.acceleration = sign * A_;
        info_.jerk = 0;
        used_ += S::MoveJiaSu(info_, Next(), Left(), out_);
    }
    // Appends the step bytes no phase took, unchanged.
    void Finish() { out_.AppendData(Left(), Next()); }
    uint16_t Timer() const { return info_.timer; }

private:
    void Take(const double times[], const double dists[], int k)
    {
        info_.duration = times[k] - (k > 0 ? times[k - 1] : 0.0);
        info_.phaseSteps = dists[k] - (k > 0 ? dists[k - 1] : 0.0);
    }
    const uint8_t* Next() const { return steps_.GetData() + used_; }
    int32_t Left() const { return steps_.GetDataNum() - used_; }

    const P_DataBuf& steps_;
    P_DataBuf& out_;
    double J_, A_;
    LuJingInfo info_;
    int32_t used_ = 0;
};

}  // namespace

int CSpeedLayout1::GetNextData(P_DataBuf& out, int)
{
    if (!GetNextSectionArray(run_, speedSet)) return 0;
    ConnectSpeed(run_);
    ReverseSpeedLayout(run_);
    SpeedLayout(run_);
    GenData(run_, out, 0);
    return 1;
}

void CSpeedLayout1::ConnectSpeed(Run& run)
{
    for (int32_t i = 1; i < run.GetSize(); ++i) run[i].entrySpeed = run[i - 1].exitSpeed;
}

void CSpeedLayout1::ReverseSpeedLayout(Run& run)
{
    const int32_t n = run.GetSize();
    if (n <= 1) return;
    const double J = speedSet.J;
    int32_t e = n - 1;
    while (e >= 1) {
        SpeedSection1& s = run[e];
        SpeedSection1& before = run[e - 1];
        if (IsLong(s) && s.topSpeed <= s.exitSpeed) {
            s.exitSpeed = s.topSpeed;
            if (e < n - 1) run[e + 1].entrySpeed = s.exitSpeed;
            if (before.exitSpeed > 0 && before.exitSpeed < s.exitSpeed) {
                s.entrySpeed = before.exitSpeed;
            } else {
                s.entrySpeed = s.exitSpeed;
                before.exitSpeed = s.exitSpeed;
            }
            --e;
        } else if (IsLong(s)) {
            const double v = S::CalMaxSpeed(s.steps, s.exitSpeed, J, s.acceleration);
            s.topSpeed = std::min(s.topSpeed, v);
            double g = std::min(s.topSpeed, before.topSpeed);
            if (before.exitSpeed > 0) g = std::min(g, before.exitSpeed);
            s.entrySpeed = g;
            before.exitSpeed = g;
            --e;
        } else {
            double f = s.exitSpeed;
            int32_t i = e;
            while (i > 0 && !IsLong(run[i])) {
                --i;
                if (run[i].exitSpeed > 0) f = std::min(f, run[i].exitSpeed);
                f = std::min(f, run[i + 1].topSpeed);
            }
            f = std::min(f, run[i].topSpeed);
            run[i].exitSpeed = f;
            for (int32_t j = i + 1; j <= e; ++j) run[j].entrySpeed = run[j].topSpeed = run[j].exitSpeed = f;
            if (e < n - 1) run[e + 1].entrySpeed = f;
            e = i;
        }
    }
    SpeedSection1& first = run[0];
    if (first.topSpeed < first.exitSpeed) {
        first.exitSpeed = first.topSpeed;
        run[1].entrySpeed = first.exitSpeed;
    }
    first.entrySpeed = std::min(first.entrySpeed, first.topSpeed);
}

void CSpeedLayout1::SpeedLayout(Run& run)
{
    const int32_t n = run.GetSize();
    if (n == 0) return;
    const double J = speedSet.J;
    for (int32_t i = 0; i + 1 < n; ++i) {
        SpeedSection1& s = run[i];
        if (IsLong(s) && s.entrySpeed >= s.exitSpeed) {
            for (int32_t k = i; k >= 0 && run[k].entrySpeed >= run[k].exitSpeed; --k) {
                SpeedSection1& back = run[k];
                const double v = S::CalMaxSpeed(back.steps, back.exitSpeed, J, back.acceleration);
                if (v >= back.entrySpeed) break;
                back.entrySpeed = back.topSpeed = v;
                if (k > 0) run[k - 1].exitSpeed = v;
            }
        } else if (IsLong(s)) {
            double v = S::CalMaxSpeed(s.steps, s.entrySpeed, J, s.acceleration);
            s.topSpeed = std::min(s.topSpeed, v);
            v = std::min(v, run[i + 1].topSpeed);
            if (v < s.exitSpeed) {
                s.exitSpeed = v;
                run[i + 1].entrySpeed = v;
            }
        } else if (s.entrySpeed <= s.exitSpeed) {
            s.exitSpeed = s.topSpeed = s.entrySpeed;
            run[i + 1].entrySpeed = s.exitSpeed;
        } else {
            s.entrySpeed = s.exitSpeed;
            s.topSpeed = s.entrySpeed;
            if (i > 0) run[i - 1].exitSpeed = s.entrySpeed;
        }
    }
    SpeedSection1& last = run[n - 1];
    if (last.exitSpeed > last.entrySpeed) {
        const double v = S::CalMaxSpeed(last.steps, last.entrySpeed, J, last.acceleration);
        last.topSpeed = std::min(last.topSpeed, v);
        last.exitSpeed = std::min(last.exitSpeed, v);
    }
}

int CSpeedLayout1::GenData(Run& run, P_DataBuf& out, int)
{
    if (run.GetSize() == 0) return 0;
    uint16_t timer = S::TimerReload(S::kTicksPerSecond / run[0].entrySpeed);
    out.AppendCodeTimerLInit(timer);
    for (SpeedSection1& s : run) GenData(s, out, timer, 0);
    return 0;
}

double CSpeedLayout1::GenData(SpeedSection1& section, P_DataBuf& out, uint16_t& timer, int)
{
    P_DataBuf steps;
    MoveData(section, steps, 0);
    const double L = section.steps, E = section.entrySpeed, X = section.exitSpeed, T = section.topSpeed;
    const double A = section.acceleration, J = speedSet.J;
    PhaseWriter phases(steps, out, timer, J, A);
    double times[4] = {}, dists[4] = {};
    // When the section is too short for its speed change the profile functions give -1: the
    // section then runs at the lower of its entry and exit speeds, so none of its steps is lost.
    bool planned = true;
    if (T == E && E == X) {
        phases.Constant(E, L);
    } else if (T == E) {
        const int r = S::SlowDownByV(L, E, X, J, A, times, dists);
        planned = r > 0;
        if (planned) {
            phases.Constant(E, dists[0]);
            phases.Jerk(-1, times, dists, 1);
            if (r == 4) phases.Accelerate(-1, times, dists, 2);
            phases.Jerk(+1, times, dists, r - 1);
        }
    } else if (T == X) {
        const int r = S::SpeedUpByV(L, E, X, J, A, times, dists);
        planned = r > 0;
        if (planned) {
            phases.Jerk(+1, times, dists, 0);
            if (r == 4) phases.Accelerate(+1, times, dists, 1);
            phases.Jerk(-1, times, dists, r - 2);
            phases.Constant(X, dists[r - 1] - dists[r - 2]);
        }
    } else {
        double out3[3];
        const double peak = S::SpeedLayout(L, J, A, T, E, X, out3);
        planned = peak > 0;
        if (planned) {
            const int up = S::SpeedUp(out3[0], E, peak, J, A, times, dists);
            phases.Jerk(+1, times, dists, 0);
            if (up == 3) phases.Accelerate(+1, times, dists, 1);
            phases.Jerk(-1, times, dists, up - 1);
            phases.Constant(peak, out3[1] - out3[0]);
            const int down = S::SlowDown(L - out3[1], peak, X, J, A, times, dists);
            phases.Jerk(-1, times, dists, 0);
            if (down == 3) phases.Accelerate(-1, times, dists, 1);
            phases.Jerk(+1, times, dists, down - 1);
        }
    }
    if (!planned) phases.Constant(std::min(E, X), L);
    phases.Finish();
    timer = phases.Timer();
    return X;
}

int CSpeedLayout1::MoveData(SpeedSection1& section, P_DataBuf& out, int)
{
    const int32_t before = out.GetDataNum();
    out.CheckSpace(std::max(section.steps, 0));
    for (int32_t j = section.first + 1; j <= section.last && j < GetCount(); ++j) Move(out, GetPoint(j - 1), GetPoint(j), 0);
    return out.GetDataNum() - before;
}

void CSpeedLayout1::Move(P_DataBuf& out, const CPoint& from, const CPoint& to, int)
{
    const int64_t dx = int64_t{to.x} - from.x, dy = int64_t{to.y} - from.y;
    const int64_t major = std::max(std::llabs(dx), std::llabs(dy));
    const int64_t minor = std::min(std::llabs(dx), std::llabs(dy));
    // A move of more steps than the stream can still count is refused.
    if (major == 0 || major > INT32_MAX - 1 - static_cast<int64_t>(out.GetDataNum())) return;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    uint8_t base = type != 0 ? kTypeNonZero : kTypeZero;
    if (dx >= 0) base |= kXForward;
    if (dy > 0) base |= kYForward;
    base |= xMajor ? kXStep : kYStep;
    const uint8_t minorStep = xMajor ? kYStep : kXStep;
    const double q = static_cast<double>(minor) / static_cast<double>(major);
    double h = q;
    out.CheckSpace(static_cast<int32_t>(major));
    for (int64_t i = 0; i < major; ++i) {
        uint8_t byte = base;
        if (h >= 0.5) {
            byte |= minorStep;
            h -= 1;
        }
        h += q;
        out.AppendByte(byte);
    }
}
