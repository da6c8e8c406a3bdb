// P_Interpolate: group fetch, resume, list ownership, conversions, geometry and control codes.
#include "motion/interpolate.h"

#include "plotmodel/plot_shape_cut_list.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

int64_t Abs64(int64_t v) { return v < 0 ? -v : v; }

// The value of a few-byte timer code: its two 6-bit halves and the flag byte that carries
// their top two bits.
void CodeTimerDelay(unsigned char kind, unsigned short v, unsigned char out[4])
{
    const unsigned char low = static_cast<unsigned char>(v & 0xFF);
    const unsigned char high = static_cast<unsigned char>(v >> 8);
    unsigned char flag = 1;
    if (low & 0x80) flag += 0x20;
    if (low & 0x40) flag += 0x10;
    if (high & 0x80) flag += 8;
    if (high & 0x40) flag += 4;
    out[0] = kind;
    out[1] = flag;
    out[2] = low & 0x3F;
    out[3] = high & 0x3F;
}

}  // namespace

void P_InterSpeedData::InitializeData()
{
    cutShiftX = 0.0f;
    cutShiftY = 0.0f;
}

P_Interpolate::P_Interpolate() = default;

P_Interpolate::~P_Interpolate() { AdoptLists(nullptr, nullptr); }

void P_Interpolate::AdoptLists(PlotShapeCutList* first, PlotShapeCutList* second)
{
    // A list handed in again is kept, and one list held in both places is deleted once: a
    // start record that repeats the lists already held must not leave them deleted.
    PlotShapeCutList* oldFirst = firstList;
    PlotShapeCutList* oldSecond = secondList;
    firstList = first;
    secondList = second;
    if (oldFirst && oldFirst != first && oldFirst != second) delete oldFirst;
    if (oldSecond && oldSecond != oldFirst && oldSecond != first && oldSecond != second) delete oldSecond;
}

void P_Interpolate::ClearGroups()
{
    pointGroup.RemoveAll();
    groupCopy.RemoveAll();
    cursor = 0;
}

int P_Interpolate::GetNextPtGroup()
{
    if (!firstList || !secondList || !machine) return GetNextPathResult::kFinished;
    // The traversal divides one scale by the other for its angle entries; a scale that is not
    // a finite positive number is walked at 1:1 instead of reaching that division.
    const float scales[2] = {machine->GetXScale(), machine->GetYScale()};
    const bool usableScales = std::isfinite(scales[0]) && std::isfinite(scales[1]) && scales[0] > 0 && scales[1] > 0;
    const bool withDepth = UsesDepthTraversal(*machine);

    pointGroup.RemoveAll();
    cursor = 0;
    do {
        traversalCode = withDepth ? secondList->GetNextPath(pointGroup)
                                  : secondList->GetNextPath_at(pointGroup, angles, usableScales ? scales : nullptr);
    } while (traversalCode == GetNextPathResult::kNothingAppended);
    if (traversalCode < 0) return traversalCode;
    groupCopy.Copy(pointGroup);
    return traversalCode;
}

int P_Interpolate::ResumePrint(int32_t n)
{
    ClearGroups();
    traversalCode = 0;
    lastGroupCode = 0;
    if (secondList) secondList->ResumePrint(n);
    lastChannel0 = 0;
    lastChannel1 = 0;
    return 1;
}

void P_Interpolate::SetBianbi(double x, double y)
{
    // The length factors divide by the ratios; a ratio that is not a finite positive number
    // would make every length infinite or undefined, so it is not taken.
    if (!(std::isfinite(x) && std::isfinite(y) && x > 0 && y > 0)) return;
    xRatio = x;
    yRatio = y;
    xLengthFactor = 1.0 / (x * 40);
    yLengthFactor = 1.0 / (y * 40);
}

void P_Interpolate::SetCircutNum(int x, int y, int z)
{
    // The conversions divide by the pulses per turn; an axis is never given 0 or less.
    if (x > 0) xPulsesPerTurn = x;
    if (y > 0) yPulsesPerTurn = y;
    if (z > 0) zPulsesPerTurn = z;
}

void P_Interpolate::CodeTimerDelayL(unsigned short v, unsigned char out[4]) { CodeTimerDelay(2, v, out); }

void P_Interpolate::CodeTimerDelayH(unsigned short v, unsigned char out[4]) { CodeTimerDelay(3, v, out); }

void P_Interpolate::CodeMotoGroup(unsigned char a, unsigned char out[4])
{
    out[0] = 3;
    out[1] = 2;
    out[2] = 3;
    out[3] = a ? 2 : 1;
}

void P_Interpolate::CodePWM(int flag, unsigned char v, unsigned char out[4])
{
    out[0] = 3;
    out[1] = flag ? 2 : 0x12;
    out[2] = 1;
    out[3] = v;
}

void P_Interpolate::CodePenState(int t, unsigned char out[4])
{
    out[0] = 3;
    out[1] = 2;
    out[2] = 2;
    out[3] = t == 1 ? 1 : t == 2 ? 2 : 3;
}

void P_Interpolate::CodeEncrypt(int a, unsigned char out[4])
{
    out[0] = 3;
    out[1] = 2;
    out[2] = 2;
    out[3] = a == 4 ? 4 : 5;
}

void P_Interpolate::Move(P_DataBuf& b, const CPoint& p, const CPoint& q, int mode)
{
    const int64_t dx = int64_t{q.x} - p.x;
    const int64_t dy = int64_t{q.y} - p.y;
    const int64_t ax = Abs64(dx);
    const int64_t ay = Abs64(dy);
    const bool xLeads = ax >= ay;
    const int64_t longer = xLeads ? ax : ay;
    const int64_t shorter = xLeads ? ay : ax;
    if (longer == 0) return;
    // One byte per pulse: a move longer than the stream can still count is refused whole
    // rather than cut short.
    if (longer > int64_t{INT32_MAX} - 1 - b.GetDataNum()) return;

    const uint8_t base = static_cast<uint8_t>((3 - (mode & 3)) + (dx < 0 ? 4 : 0) + (dy < 0 ? 8 : 0));
    const uint8_t leadBit = xLeads ? 0x20 : 0x40;
    const uint8_t followBit = xLeads ? 0x40 : 0x20;
    const double r = static_cast<double>(shorter) / static_cast<double>(longer);
    double acc = r;
    b.CheckSpace(static_cast<int32_t>(longer));
    for (int64_t i = 0; i < longer; ++i) {
        uint8_t v = base | leadBit;
        if (acc >= 0.5) {
            v |= followBit;
            acc -= 1;
        }
        acc += r;
        b.AppendByte(v);
    }
}

int32_t P_Interpolate::GetPulseNum(const CPoint& a, const CPoint& b)
{
    return SaturateToInt32(std::max(Abs64(int64_t{b.x} - a.x), Abs64(int64_t{b.y} - a.y)));
}

int32_t P_Interpolate::GetPulseNum(const CArray<CPoint>& pts, int flag)
{
    int64_t sum = 0;
    for (int32_t i = 1; i < pts.GetSize(); ++i) {
        const int64_t dx = Abs64(int64_t{pts[i].x} - pts[i - 1].x);
        const int64_t dy = Abs64(int64_t{pts[i].y} - pts[i - 1].y);
        sum += flag ? dx + dy : std::max(dx, dy);
    }
    return SaturateToInt32(sum);
}

double P_Interpolate::GetLength(const CPoint& a, const CPoint& b) const
{
    const double dx = (double(b.x) - a.x) * xLengthFactor;
    const double dy = (double(b.y) - a.y) * yLengthFactor;
    return std::sqrt(dx * dx + dy * dy);
}

double P_Interpolate::GetAngle(const CPoint& a, const CPoint& b) const
{
    const double dx = (double(b.x) - a.x) * xLengthFactor;
    const double dy = (double(b.y) - a.y) * yLengthFactor;
    if (dx == 0) return dy <= 0 ? 1.5 * kPi : 0.5 * kPi;
    if (dy == 0) return dx <= 0 ? kPi : 0.0;
    const double t = std::atan(dy / dx);
    if (dx > 0) return t > 0 ? t : t + 2 * kPi;
    return t + kPi;
}

double P_Interpolate::GetSlope(double a)
{
    if (!std::isfinite(a)) return std::nan("");
    // Stepping by π from far away would never end; a far angle is brought near first.
    if (std::fabs(a) > 1e6) a = std::fmod(a, kPi);
    while (a >= kPi) a -= kPi;
    while (a < 0) a += kPi;
    if (a > kPi / 2) a -= kPi;
    return a;
}

double P_Interpolate::CalAngle(const CPoint& a, const CPoint& b, const CPoint& c) const
{
    const double ux = double(b.x) - a.x, uy = double(b.y) - a.y;
    const double vx = double(c.x) - b.x, vy = double(c.y) - b.y;
    const double d = ux * vx + uy * vy;
    const double cross = ux * vy - uy * vx;
    if (d == 0) return 90.0;
    double deg = std::atan(yLengthFactor * std::fabs(cross) / (d * xLengthFactor)) * 180.0 / kPi;
    if (deg < 0) deg += 180.0;
    return deg;
}

int P_Interpolate::AddToPtArray(CArray<CPoint>& pts, const CPoint& p) const
{
    const int32_t n = pts.GetSize();
    if (n > 0 && pts[n - 1] == p) return 1;
    if (n >= 2 && CalAngle(pts[n - 2], pts[n - 1], p) > 20) return 0;
    pts.Add(p);
    return 1;
}

int P_Interpolate::GetNextPtOnLine(CPoint& p)
{
    groupCopy.RemoveAll();
    const int32_t n = pointGroup.GetSize();
    while (cursor + 1 < n && pointGroup[cursor + 1] == p) ++cursor;
    if (cursor + 1 >= n) return 0;

    groupCopy.Add(p);
    stepToggle = stepToggle ? 0 : 1;
    double remaining = stepToggle ? 17.0 : 0.5;
    while (cursor + 1 < n) {
        const CPoint q = pointGroup[cursor + 1];
        const double len = GetLength(p, q);
        if (len <= remaining) {
            if (!AddToPtArray(groupCopy, q)) break;
            remaining -= len;
            p = q;
            ++cursor;
            continue;
        }
        const double t = remaining / len;
        const CPoint end(static_cast<int32_t>(p.x + t * (double(q.x) - p.x)),
                         static_cast<int32_t>(p.y + t * (double(q.y) - p.y)));
        if (AddToPtArray(groupCopy, end)) p = end;
        break;
    }
    return stepToggle;
}

double P_Interpolate::GetCurPDCurveLen() const
{
    return traversalCode == GetNextPathResult::kDrawPath ? BCutGetLength() : 0.0;
}

double P_Interpolate::BCutGetLength() const
{
    double sum = 0;
    for (int32_t i = 1; i < groupCopy.GetSize(); ++i) sum += GetLength(groupCopy[i - 1], groupCopy[i]);
    return sum;
}
