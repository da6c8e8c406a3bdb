// The speed planner: chords, sections, merging and the motion text.
#include "motion/speed_layout.h"

#include "motion/command_text.h"

#include "platform/invalid_arg_exception.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// A number truncated toward zero into int32; values beyond its range saturate and NaN is 0,
// so a speed set with absurd values still gives well-defined text.
int64_t TruncateToInt32(double v)
{
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<int64_t>(v);
}

int32_t SaturateToInt32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// Steps of the move (dx, dy): the machine steps both axes together.
int64_t Steps(int64_t dx, int64_t dy) { return std::max(dx < 0 ? -dx : dx, dy < 0 ? -dy : dy); }

}  // namespace

// ---------------------------------------------------------------------------------------------
// The path array

void CSpeedLayoutBase::InitArray()
{
    points_.clear();
    type = 0;
    cursor = 0;
}

void CSpeedLayoutBase::DestroyArray()
{
    InitArray();
    points_.shrink_to_fit();
}

void CSpeedLayoutBase::CheckSpace(int32_t n)
{
    if (n <= 0) return;
    const size_t needed = points_.size() + static_cast<size_t>(n);
    if (needed <= points_.capacity()) return;
    // At least doubling keeps a path built point by point linear in its length.
    points_.reserve(std::max(needed + 4096, points_.capacity() * 2));
}

void CSpeedLayoutBase::AppendPoint(int32_t x, int32_t y)
{
    if (!points_.empty() && points_.back() == CPoint(x, y)) return;
    CheckSpace(1);
    points_.emplace_back(x, y);
}

void CSpeedLayoutBase::AppendShape(const float* xy, int32_t n, int)
{
    InitArray();
    if (!xy || n <= 0) return;
    CheckSpace(n);
    for (int32_t i = 0; i < n; ++i)
        AppendPoint(static_cast<int32_t>(TruncateToInt32(xy[2 * size_t(i)])),
                    static_cast<int32_t>(TruncateToInt32(xy[2 * size_t(i) + 1])));
}

void CSpeedLayoutBase::Append(const CArray<CPoint>& path, int kind)
{
    InitArray();
    if (path.GetSize() == 0) return;
    type = kind;
    CheckSpace(path.GetSize());
    for (const CPoint& p : path) AppendPoint(p.x, p.y);
}

const CPoint& CSpeedLayoutBase::GetPoint(int32_t i) const
{
    if (i < 0 || i >= GetCount()) throw CInvalidArgException();
    return points_[static_cast<size_t>(i)];
}

int32_t CSpeedLayoutBase::GetStepNum(int32_t a, int32_t b) const
{
    if (b < a + 1) return 0;
    GetPoint(a);
    GetPoint(b);
    int64_t steps = 0;
    for (int32_t i = a; i < b; ++i) {
        const CPoint& p = points_[static_cast<size_t>(i)];
        const CPoint& q = points_[static_cast<size_t>(i) + 1];
        steps += Steps(int64_t{q.x} - p.x, int64_t{q.y} - p.y);
    }
    return SaturateToInt32(steps);
}

void CSpeedLayoutBase::GetLineSlopeInfo(int32_t a, int32_t b, LineInfo2& chord) const
{
    const CPoint& p = GetPoint(a);
    const CPoint& q = GetPoint(b);
    const int64_t dx = int64_t{q.x} - p.x;
    const int64_t dy = int64_t{q.y} - p.y;
    const int64_t d = Steps(dx, dy);
    chord.first = a;
    chord.last = b;
    // Points a and b can coincide (a closed outline asked for as one chord): the direction is
    // then none at all, (0, 0), rather than 0 / 0.
    chord.dx = d ? static_cast<double>(dx) / static_cast<double>(d) : 0.0;
    chord.dy = d ? static_cast<double>(dy) / static_cast<double>(d) : 0.0;
    chord.chordLength = SaturateToInt32(d);
    chord.singleChord = b == a + 1;
}

double CSpeedLayoutBase::EstimateModVect(double a, double b)
{
    if (a == 0) return std::fabs(b);
    if (b == 0) return std::fabs(a);
    const double aa = std::fabs(a);
    const double bb = std::fabs(b);
    const double m = std::max(aa, bb);
    if (aa == bb) return 1.414 * m;
    const double r = std::min(aa, bb) / m;
    if (r > 0.8470007378981437) return 1.3105 * m;
    if (r > 0.6759060585613953) return 1.207 * m;
    if (r > 0.4665964530512421) return 1.1035 * m;
    return m;
}

void CSpeedLayoutBase::GetLineSpeedInfo(LineInfo2& chord, const SpeedConfig& s)
{
    // The dominant axis runs at its own limits; the other axis, moving r times as far, caps
    // them at its limit divided by r. An exact diagonal counts as x dominant.
    const bool xDominant = std::fabs(chord.dx) == 1.0;
    const double r = xDominant ? std::fabs(chord.dy) : std::fabs(chord.dx);
    const double vMax = xDominant ? s.xVecMax : s.yVecMax;
    const double acc = xDominant ? s.xAccLine : s.yAccLine;
    const double init = xDominant ? s.xVecInit : s.yVecInit;
    if (r == 0) {
        chord.topSpeed = vMax;
        chord.acceleration = acc;
        chord.startSpeed = init;
        return;
    }
    chord.topSpeed = std::min((xDominant ? s.yVecMax : s.xVecMax) / r, vMax);
    chord.acceleration = std::min((xDominant ? s.yAccLine : s.xAccLine) / r, acc);
    chord.startSpeed = std::min((xDominant ? s.yVecInit : s.xVecInit) / r, init);
}

int CSpeedLayoutBase::GetLineInfo(int32_t i, LineInfo2& chord, const SpeedConfig& speeds) const
{
    if (i < 0 || i >= GetCount() - 1) return 0;
    GetLineSlopeInfo(i, i + 1, chord);
    chord.steps = chord.chordLength;
    GetLineSpeedInfo(chord, speeds);
    return 1;
}

int CSpeedLayoutBase::GetLineInfo(int32_t i, int32_t j, LineInfo2& chord, const SpeedConfig& speeds) const
{
    if (i < 0 || j <= i || j >= GetCount()) return 0;
    GetLineSlopeInfo(i, j, chord);
    chord.steps = GetStepNum(i, j);
    GetLineSpeedInfo(chord, speeds);
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Chords and sections

CSpeedLayout1::CSpeedLayout1(const SpeedConfig& speeds) : speedSet(speeds), cornerBand1(0.09) {}

void CSpeedLayout1::StartFind()
{
    cursor = 0;
    chordEnd_ = 0;
    freshChord_ = 1;
    fromStandstill_ = 1;
    turnCarried_ = 0;
    carriedDx_ = carriedDy_ = 0;
    pending_ = 0;
}

void CSpeedLayout1::TakeChord(int32_t a, int32_t b, LineInfo2& chord)
{
    GetLineSlopeInfo(a, b, chord);
    runDx_ = chord.dx;
    runDy_ = chord.dy;
}

int CSpeedLayout1::FindNextLineSlope1(LineInfo2& chord)
{
    // A chord found before the last section ended but not used by it comes first.
    if (cursor < chordEnd_) {
        TakeChord(cursor, chordEnd_, chord);
        chord.steps = GetStepNum(cursor, chordEnd_);
        return 1;
    }
    if (chordEnd_ >= GetCount() - 1) {
        freshChord_ = 1;
        return 0;
    }
    const int32_t b = chordEnd_;
    if (freshChord_) {
        TakeChord(b, b + 1, chord);
        chord.steps = chord.chordLength;
        chordEnd_ = b + 1;
        freshChord_ = 0;
        return 1;
    }

    // Walk ahead from point b while the points stay inside the corridor around the running
    // direction and advance along it; the chord ends at the point that lies closest to the
    // running direction, measured as sideways distance over distance along.
    const double mod = EstimateModVect(runDx_, runDy_);
    const double ux = runDx_ / mod;
    const double uy = runDy_ / mod;
    const CPoint& origin = GetPoint(b);
    auto along = [&](const CPoint& p) { return ux * (double(p.x) - origin.x) + uy * (double(p.y) - origin.y); };
    auto side = [&](const CPoint& p) { return ux * (double(p.y) - origin.y) - uy * (double(p.x) - origin.x); };

    const CPoint& next = GetPoint(b + 1);
    const double a1 = along(next);
    const double s1 = side(next);
    int32_t best = b + 1;
    if (!(std::fabs(s1) > chordCorridor || a1 > chordReach || a1 < 0)) {
        double closest = std::fabs(s1 / a1);  // infinite for a point straight beside b
        double reached = a1;
        for (int32_t i = b + 2; i < GetCount(); ++i) {
            const CPoint& p = GetPoint(i);
            const double a = along(p);
            const double s = side(p);
            if (std::fabs(s) > chordCorridor || a > chordReach || a < reached) break;
            reached = a;
            const double t = std::fabs(s / a);
            if (t <= closest) {
                best = i;
                closest = t;
            }
        }
    }
    TakeChord(b, best, chord);
    chord.steps = best != b + 1 ? GetStepNum(b, best) : chord.chordLength;
    chordEnd_ = best;
    return 1;
}

double CSpeedLayout1::FindSpeedAtAngle(double turn) const
{
    if (turn < cornerTurnFloor) return 0;
    if (turn > sharpTurn) return -1;
    if (turn < cornerBand1) return cornerSpeed1;
    if (turn < cornerBand2) return cornerSpeed2;
    return cornerSpeed3;
}

template <class NextChord>
int CSpeedLayout1::BuildSection(SpeedSection1& section, const SpeedConfig& speeds, NextChord nextChord)
{
    LineInfo2 c1;
    if (!nextChord(c1)) return 0;
    GetLineSpeedInfo(c1, speeds);

    section.first = c1.first;
    section.last = c1.last;
    section.fromStandstill = fromStandstill_ ? 1 : 0;
    section.entrySpeed = fromStandstill_ ? c1.startSpeed : 0.0;
    section.exitSpeed = 0;
    section.stop = 0;
    section.acceleration = c1.acceleration;
    section.steps = c1.steps;
    section.lineTopSpeed = section.topSpeed = c1.topSpeed;
    double chordSum = c1.chordLength;  // S
    double meanChord = chordSum;       // E
    int32_t chords = 1;

    // The turn at the junction with the previous section counts towards this one's curve.
    int turnBits = 0;
    double turn = 0;  // W, accumulated turn
    if (turnCarried_ != 0) {
        const double tx = std::fabs(carriedDx_ - c1.dx);
        const double ty = std::fabs(carriedDy_ - c1.dy);
        turnBits = (tx > 0 ? 1 : 0) | (ty > 0 ? 2 : 0);
        turn = std::max(tx, ty);
    } else {
        carriedDx_ = c1.dx;
        carriedDy_ = c1.dy;
    }

    auto stopAtSharpCorner = [&] {
        section.stop = 1;
        section.exitSpeed = c1.startSpeed;
        turnCarried_ = 0;
    };

    for (;;) {
        cursor = section.last;
        LineInfo2 c2;
        if (!nextChord(c2)) {
            stopAtSharpCorner();  // the end of the path stops the tool the same way
            break;
        }
        const double k = std::max(std::fabs(c2.dx - c1.dx), std::fabs(c2.dy - c1.dy));
        if (k > sharpTurn) {
            stopAtSharpCorner();
            break;
        }
        if (k >= cornerTurnFloor) {
            const double offset = (c1.dx * c2.dy - c1.dy * c2.dx) / EstimateModVect(c1.dx, c1.dy) * c2.chordLength;
            if (std::fabs(offset) > cornerOffset) {
                const double s = FindSpeedAtAngle(k);
                if (s < 0) {
                    stopAtSharpCorner();
                    break;
                }
                if (s > 0) {
                    section.stop = 0;
                    turnCarried_ = 0;
                    if (section.steps < shortSection) section.topSpeed = s;
                    else section.exitSpeed = s;
                    break;
                }
            }
        }
        if (k + turn > sectionTurnLimit || c2.chordLength > chordRatio * meanChord ||
            (k > shortChordTurn && c2.chordLength * chordRatio < meanChord)) {
            section.stop = 0;
            section.exitSpeed = 0;
            turnCarried_ = 1.0;
            carriedDx_ = c1.dx;
            carriedDy_ = c1.dy;
            break;
        }
        GetLineSpeedInfo(c2, speeds);
        section.steps = SaturateToInt32(int64_t{section.steps} + c2.steps);
        section.last = c2.last;
        meanChord = (c2.chordLength + meanChord * chords) / (chords + 1);
        ++chords;
        section.topSpeed = std::min(section.topSpeed, c2.topSpeed);
        section.acceleration = std::min(section.acceleration, c2.acceleration);
        chordSum += c2.chordLength;
        turn += k;
        c1 = c2;
    }
    fromStandstill_ = section.stop;

    // A curving section is capped at the speed that its radius allows: v = sqrt(G × R).
    if (turn > 0) {
        const double radius = chordSum / turn;
        double g;
        if (turnBits == 1)
            g = radius > 0.707 * curveRadius ? speeds.xAccCrv : speeds.xAccCrvJiWan;
        else if (turnBits == 2)
            g = radius > curveRadius ? speeds.yAccCrv : speeds.yAccCrvJiWan;
        else
            g = radius > curveRadius ? std::min(speeds.xAccCrv, speeds.yAccCrv)
                                     : std::min(speeds.xAccCrvJiWan, speeds.yAccCrvJiWan);
        section.topSpeed = std::min(section.topSpeed, std::sqrt(g * radius));
    }
    cursor = section.last;
    return 1;
}

int CSpeedLayout1::GetNextSection1(SpeedSection1& section, const SpeedConfig& speeds)
{
    return BuildSection(section, speeds, [this](LineInfo2& chord) { return FindNextLineSlope1(chord); });
}

int CSpeedLayout1::GetNextSection2(SpeedSection1& section, const SpeedConfig& speeds)
{
    if (!pending_) {
        if (!GetNextSection1(pendingSection_, speeds)) return 0;
        pending_ = 1;
    }
    section = pendingSection_;
    // A section that ends at standstill is never merged with what follows, even when the
    // speed set's start speed is 0 and so its exit speed reads 0: merging across the stop
    // would carry the tool through a sharp corner at speed.
    if (section.exitSpeed > 0 || section.stop) {
        pending_ = 0;
        return 1;
    }
    double hi = section.topSpeed;
    double lo = section.topSpeed;
    for (;;) {
        if (!GetNextSection1(pendingSection_, speeds)) {
            pending_ = 0;
            return 1;
        }
        const SpeedSection1& next = pendingSection_;
        hi = std::max(hi, next.topSpeed);
        lo = std::min(lo, next.topSpeed);
        if ((hi - lo) / hi >= 0.1) {
            pending_ = 1;  // held for the next call
            return 1;
        }
        section.topSpeed = lo;
        section.last = next.last;
        section.exitSpeed = next.exitSpeed;
        section.steps = SaturateToInt32(int64_t{section.steps} + next.steps);
        section.stop = next.stop;
        if (section.exitSpeed > 0 || section.stop) {
            pending_ = 0;
            return 1;
        }
    }
}

int CSpeedLayout1::GetNextSectionArray(CArray<SpeedSection1, SpeedSection1&>& run, const SpeedConfig& speeds)
{
    run.RemoveAll();
    SpeedSection1 section;
    while (GetNextSection2(section, speeds)) {
        run.Add(section);
        if (section.stop == 1) break;
    }
    return run.GetSize() > 0 ? 1 : 0;
}

int CSpeedLayout1::GetNextData_at(P_DataBuf& out, int)
{
    if (!GetNextSectionArray(run_, speedSet)) return 0;
    return GenData_at(run_, out, 0);
}

int CSpeedLayout1::GenData_at(CArray<SpeedSection1, SpeedSection1&>& run, P_DataBuf& out, int)
{
    int64_t total = 0;
    for (const SpeedSection1& s : run) {
        for (int32_t j = s.first + 1; j <= s.last; ++j) {
            const CPoint& p = GetPoint(j - 1);
            const CPoint& q = GetPoint(j);
            CommandText move;
            move.Letter('P');
            move.Number(int64_t{q.x} - p.x);
            move.Letter(',');
            move.Number(int64_t{q.y} - p.y);
            move.Letter(';');
            move.AppendTo(out);
        }
        const int64_t top = TruncateToInt32(s.topSpeed);
        const int64_t values[8] = {s.fromStandstill,
                                   std::min(TruncateToInt32(s.entrySpeed + 1), top),
                                   s.stop,
                                   std::min(TruncateToInt32(s.exitSpeed + 1), top),
                                   top,
                                   TruncateToInt32(s.acceleration + 1),
                                   s.steps,
                                   TruncateToInt32(speedSet.J)};
        CommandText speed;
        speed.Letter('S');
        for (int i = 0; i < 8; ++i) {
            if (i) speed.Letter(',');
            speed.Number(values[i]);
        }
        speed.Letter(';');
        speed.AppendTo(out);
        total += s.steps;
    }
    return SaturateToInt32(total);
}

// ---------------------------------------------------------------------------------------------
// Same-slope runs and the sectioning built on them

int32_t CSpeedLayout1::SameSlopeEnd(int32_t i) const
{
    LineInfo2 first, next;
    GetLineSlopeInfo(i, i + 1, first);
    int32_t j = i + 1;
    while (j + 1 < GetCount()) {
        GetLineSlopeInfo(j, j + 1, next);
        if (!(std::fabs(next.dx - first.dx) < sameSlopeTolerance && std::fabs(next.dy - first.dy) < sameSlopeTolerance))
            break;
        ++j;
    }
    return j;
}

int CSpeedLayout1::GetNextLineBySameSlope(int32_t i, LineInfo2& line, int32_t& dx, int32_t& dy) const
{
    if (i < 0 || i >= GetCount() - 1) return 0;
    const int32_t j = SameSlopeEnd(i);
    GetLineSlopeInfo(i, j, line);
    line.steps = GetStepNum(i, j);
    dx = SaturateToInt32(int64_t{GetPoint(j).x} - GetPoint(i).x);
    dy = SaturateToInt32(int64_t{GetPoint(j).y} - GetPoint(i).y);
    return 1;
}

int CSpeedLayout1::GetNextLineSlopeInfo(int32_t i, LineInfo2& line) const
{
    int32_t dx = 0, dy = 0;
    if (!GetNextLineBySameSlope(i, line, dx, dy)) return 0;
    auto flips = [](int32_t a, int32_t b) { return (a > 0 && b < 0) || (a < 0 && b > 0); };
    int64_t summed = line.chordLength;
    int32_t last = line.last;
    LineInfo2 next;
    int32_t ndx = 0, ndy = 0;
    while (GetNextLineBySameSlope(last, next, ndx, ndy)) {
        if (summed + next.chordLength > 20 || flips(dx, ndx) || flips(dy, ndy)) break;
        summed += next.chordLength;
        last = next.last;
    }
    GetLineSlopeInfo(i, last, line);
    line.steps = GetStepNum(i, last);
    return 1;
}

int CSpeedLayout1::GetNextLine(int32_t i, LineInfo2& line) const
{
    LineInfo2 first;
    if (!GetNextLineSlopeInfo(i, first)) return 0;
    int32_t last = first.last;
    LineInfo2 next;
    while (GetNextLineSlopeInfo(last, next)) {
        if (!(std::fabs(next.dx - first.dx) < sameSlopeTolerance && std::fabs(next.dy - first.dy) < sameSlopeTolerance))
            break;
        last = next.last;
    }
    GetLineSlopeInfo(i, last, line);
    line.steps = GetStepNum(i, last);
    return 1;
}

int CSpeedLayout1::GetNextSection(SpeedSection1& section, const SpeedConfig& speeds)
{
    return BuildSection(section, speeds, [this](LineInfo2& chord) { return GetNextLine(cursor, chord); });
}

int CSpeedLayout1::FindNextLineSlope(LineInfo2& chord)
{
    if (cursor < chordEnd_) {
        TakeChord(cursor, chordEnd_, chord);
        chord.steps = GetStepNum(cursor, chordEnd_);
        return 1;
    }
    if (chordEnd_ >= GetCount() - 1) return 0;
    GetNextLineSlopeInfo(chordEnd_, chord);
    runDx_ = chord.dx;
    runDy_ = chord.dy;
    chordEnd_ = chord.last;
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Drawing

void CSpeedLayout1::DrawPoints(int32_t first, int32_t last, structRender2& render, bool straight) const
{
    auto screen = [&](int32_t i) {
        const CPoint& p = GetPoint(i);
        return CPoint(static_cast<int32_t>(TruncateToInt32(p.x * render.scale)),
                      static_cast<int32_t>(TruncateToInt32((double(render.originY) - p.y) * render.scale)));
    };
    render.dc->MoveTo(screen(first));
    if (straight) {
        render.dc->LineTo(screen(last));
        return;
    }
    for (int32_t i = first + 1; i <= last; ++i) render.dc->LineTo(screen(i));
}

void CSpeedLayout1::DrawSection(const SpeedSection1& section, structRender2& render, CPen* pen)
{
    if (!render.dc || section.first < 0 || section.last >= GetCount() || section.first > section.last) return;
    CPen* old = pen ? render.dc->SelectObject(pen) : nullptr;
    DrawPoints(section.first, section.last, render, false);
    if (old) render.dc->SelectObject(old);
}

void CSpeedLayout1::DrawSection(const LineInfo2& chord, structRender2& render, CPen* pen)
{
    if (!render.dc || chord.first < 0 || chord.last >= GetCount() || chord.first > chord.last) return;
    CPen* old = pen ? render.dc->SelectObject(pen) : nullptr;
    DrawPoints(chord.first, chord.last, render, true);
    DrawPoints(chord.first, chord.last, render, false);
    if (old) render.dc->SelectObject(old);
}
