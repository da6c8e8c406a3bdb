// ShxExplainer: interpreting shape byte code into polylines.
//
// A definition is a NUL-terminated name and then commands, each of a length fixed by its
// first byte. Codes 0 to 14 are special (end, pen, scale, position stack, subshape, moves,
// arcs); every other byte is a vector: length in its high nibble, one of 16 directions in
// its low nibble. Positions are floats in font units, scaled by the running scale factor
// (1.0 at the start of a shape). Arcs are approximated by chords: 15 degrees per step for
// octant and fractional arcs, at most 10 degrees for bulge arcs. Every command is checked
// against the definition's length, so a damaged definition ends the shape early.
#include "fonts/shx_explainer.h"

#include "fonts/plot_char.h"
#include "fonts/tamsel_font.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTan22_5 = 0.41421356237;
constexpr double kDegree = kPi / 180.0;

// The unit moves of the 16 vector directions.
constexpr double kDirections[16][2] = {
    {1, 0},         {1, kTan22_5},   {1, 1},   {kTan22_5, 1},   {0, 1},  {-kTan22_5, 1},
    {-1, 1},        {-1, kTan22_5},  {-1, 0},  {-1, -kTan22_5}, {-1, -1}, {-kTan22_5, -1},
    {0, -1},        {kTan22_5, -1},  {1, -1},  {1, -kTan22_5},
};

// Starts a new polyline at the pen, then adds count points on the circle about the centre
// (cx, cy) of radius r, at start + k * sweep / count degrees; the pen ends at the last one.
void AddArc(PlotChar& glyph, ShxExplainer::DrawInfo& info, double cx, double cy, double r, double startDeg,
            double sweepDeg, int count)
{
    glyph.AddPoint(info.x, info.y, 1);
    for (int k = 1; k <= count; ++k) {
        double a = (startDeg + sweepDeg * k / count) * kDegree;
        info.x = static_cast<float>(cx + r * std::cos(a));
        info.y = static_cast<float>(cy + r * std::sin(a));
        glyph.AddPointAtLastPl(info.x, info.y);
    }
}

// Starts a circle arc at the pen whose start lies at startDeg on the circle of radius r.
void AddArcFromPen(PlotChar& glyph, ShxExplainer::DrawInfo& info, double r, double startDeg, double sweepDeg,
                   int count)
{
    double cx = info.x - r * std::cos(startDeg * kDegree);
    double cy = info.y - r * std::sin(startDeg * kDegree);
    AddArc(glyph, info, cx, cy, r, startDeg, sweepDeg, count);
}

}  // namespace

ShxExplainer::ShxExplainer(CTamselFont& font) : font_(&font) {}

void ShxExplainer::Attach(const char* code, int length, uint16_t number)
{
    code_ = code;
    length_ = code ? length : 0;
    number_ = number;
    position_ = 0;
}

int ShxExplainer::Explain(PlotChar& glyph, int32_t maxPoints)
{
    DrawInfo info;
    Budget budget;
    budget.maxPoints = std::clamp(maxPoints, 0, MaxPointsPerGlyph);
    ExplainSub(glyph, info, 0, budget);
    if (glyph.GetPlNum() > 0) glyph.AddPoint(info.x, info.y, 1);
    // A glyph past its point bound (a damaged or hostile font) is left empty rather than cut
    // short, so that no half glyph is cut; the other glyphs of the font load as they are.
    if (budget.exceeded || budget.Overrun(glyph)) glyph = PlotChar();
    glyph.FreeUsedSpace();
    return 1;
}

bool ShxExplainer::Budget::Overrun(const PlotChar& glyph)
{
    if (glyph.GetTolPtNum() > maxPoints) exceeded = true;
    return exceeded;
}

void ShxExplainer::Offset(float& dx, float& dy, unsigned char vectorByte)
{
    double length = vectorByte >> 4;
    const double* unit = kDirections[vectorByte & 0x0F];
    dx = static_cast<float>(unit[0] * length);
    dy = static_cast<float>(unit[1] * length);
}

void ShxExplainer::Multiply(double& x, double& y, double c, double s)
{
    double len = std::sqrt(c * c + s * s);
    if (!(len > 0.0) || !std::isfinite(len)) return;
    double cosA = c / len;
    double sinA = s / len;
    double nx = x * cosA - y * sinA;
    y = x * sinA + y * cosA;
    x = nx;
}

void ShxExplainer::Divide(double& x, double& y, double c, double s) { Multiply(x, y, c, -s); }

int ShxExplainer::GetNextCmd() const
{
    if (position_ >= length_) return 0;
    int cmd = 1;
    switch (Byte(position_)) {
    case 0: return 0;
    case 3:
    case 4:
    case 7: cmd = 2; break;
    case 8:
    case 10: cmd = 3; break;
    case 11: cmd = 6; break;
    case 12: cmd = 4; break;
    case 9:
    case 13: {
        // A list of pairs (code 9) or triples (code 13) up to and including a (0, 0) pair;
        // without that pair the shape ends.
        int item = Byte(position_) == 9 ? 2 : 3;
        for (int at = position_ + 1; at + 1 < length_; at += item) {
            if (Byte(at) == 0 && Byte(at + 1) == 0) return at + 2 - position_;
        }
        return 0;
    }
    default: break;
    }
    return position_ + cmd <= length_ ? cmd : 0;
}

void ShxExplainer::MoveTo(PlotChar& glyph, DrawInfo& info, float x, float y)
{
    if (info.penDown) {
        float lastX = 0.0f;
        float lastY = 0.0f;
        if (!glyph.GetLastPt(lastX, lastY) || lastX != info.x || lastY != info.y) glyph.AddPoint(info.x, info.y, 1);
        glyph.AddPointAtLastPl(x, y);
    }
    info.x = x;
    info.y = y;
}

void ShxExplainer::OctantArc(PlotChar& glyph, DrawInfo& info, int at) const
{
    double r = Byte(at) * static_cast<double>(info.scale);
    unsigned char o = Byte(at + 1);
    int octants = o & 0x0F;
    double sweep = octants == 0 ? 360.0 : octants * ((o & 0x80) ? -45.0 : 45.0);
    double start = ((o >> 4) & 0x07) * 45.0;
    AddArcFromPen(glyph, info, r, start, sweep, static_cast<int>(std::fabs(sweep) / 15.0));
}

void ShxExplainer::FractionalArc(PlotChar& glyph, DrawInfo& info, int at) const
{
    double startOffset = Byte(at);
    double endOffset = Byte(at + 1);
    double r = info.scale * (256.0 * Byte(at + 2) + Byte(at + 3));
    unsigned char o = Byte(at + 4);
    bool clockwise = (o & 0x80) != 0;
    double sign = clockwise ? -1.0 : 1.0;
    int octant = (o >> 4) & 0x07;
    int count = o & 0x0F;
    double m = clockwise ? 256.0 - endOffset : endOffset - 256.0;
    double start = (octant + sign * startOffset / 256.0) * 45.0;
    double end = (octant + sign * count + m / 256.0) * 45.0;
    double sweep = end - start;
    AddArcFromPen(glyph, info, r, start, sweep, static_cast<int>(std::fabs(sweep) / 15.0) + 1);
}

void ShxExplainer::BulgeArc(PlotChar& glyph, DrawInfo& info, int dx, int dy, int bulge)
{
    double x0 = info.x;
    double y0 = info.y;
    double cx = dx * static_cast<double>(info.scale);
    double cy = dy * static_cast<double>(info.scale);
    auto endX = static_cast<float>(x0 + cx);
    auto endY = static_cast<float>(y0 + cy);
    glyph.AddPoint(info.x, info.y, 1);
    if (bulge != 0) {
        // The included angle is bulge * pi / 127; the centre lies off the chord's middle
        // by half the chord turned a quarter, times the cotangent of half that angle.
        double angle = bulge * kPi / 127.0;
        double half = angle / 2.0;
        double cot = std::cos(half) / std::sin(half);
        double centreX = x0 + cx / 2.0 - cy / 2.0 * cot;
        double centreY = y0 + cy / 2.0 + cx / 2.0 * cot;
        int chords = static_cast<int>(std::fabs(angle) / (10.0 * kDegree)) + 1;
        double vx = x0 - centreX;
        double vy = y0 - centreY;
        double step = angle / chords;
        double c = std::cos(step);
        double s = std::sin(step);
        for (int k = 1; k < chords; ++k) {
            Multiply(vx, vy, c, s);
            glyph.AddPointAtLastPl(static_cast<float>(centreX + vx), static_cast<float>(centreY + vy));
        }
    }
    glyph.AddPointAtLastPl(endX, endY);
    info.x = endX;
    info.y = endY;
}

void ShxExplainer::ExplainSub(PlotChar& glyph, DrawInfo& info, int depth, Budget& budget)
{
    if (!code_) return;
    position_ = 0;
    while (position_ < length_ && code_[position_] != 0) ++position_;
    while (position_ < length_ && code_[position_] == 0) ++position_;

    for (;;) {
        int cmd = GetNextCmd();
        // Every command adds a bounded number of points (an arc at most 50), so checking
        // after each one keeps the glyph within a few points of its bound.
        if (cmd == 0 || --budget.stepsLeft < 0 || budget.Overrun(glyph)) return;
        int at = position_;
        position_ += cmd;
        unsigned char code = Byte(at);
        switch (code) {
        case 1: info.penDown = 1; break;
        case 2: info.penDown = 0; break;
        case 3:
            // A divisor of 0 would make the scale infinite; the command is ignored.
            if (Byte(at + 1) != 0) info.scale /= Byte(at + 1);
            break;
        case 4: info.scale *= Byte(at + 1); break;
        case 5:
            if (info.stackCount <= DrawInfo::StackSize - 2) {
                info.stack[info.stackCount++] = info.x;
                info.stack[info.stackCount++] = info.y;
            }
            break;
        case 6:
            if (info.stackCount >= 2) {
                info.y = info.stack[--info.stackCount];
                info.x = info.stack[--info.stackCount];
            }
            break;
        case 7: {
            // Subshape calls stop at a depth limit: a damaged font may make them cyclic.
            if (depth + 1 >= MaxSubshapeDepth) break;
            int length = 0;
            const char* sub = font_->Find(Byte(at + 1), length);
            if (!sub) break;
            ShxExplainer inner(*font_);
            inner.Attach(sub, length, Byte(at + 1));
            inner.ExplainSub(glyph, info, depth + 1, budget);
            break;
        }
        case 8:
            MoveTo(glyph, info, info.x + SignedByte(at + 1) * info.scale, info.y + SignedByte(at + 2) * info.scale);
            break;
        case 9:
            // The pairs before the closing (0, 0).
            for (int p = at + 1; p < at + cmd - 2 && budget.stepsLeft-- > 0 && !budget.Overrun(glyph); p += 2)
                MoveTo(glyph, info, info.x + SignedByte(p) * info.scale, info.y + SignedByte(p + 1) * info.scale);
            break;
        case 10: OctantArc(glyph, info, at + 1); break;
        case 11: FractionalArc(glyph, info, at + 1); break;
        case 12: BulgeArc(glyph, info, SignedByte(at + 1), SignedByte(at + 2), SignedByte(at + 3)); break;
        case 13:
            for (int p = at + 1; p < at + cmd - 2 && budget.stepsLeft-- > 0 && !budget.Overrun(glyph); p += 3)
                BulgeArc(glyph, info, SignedByte(p), SignedByte(p + 1), SignedByte(p + 2));
            break;
        case 14: {
            // Text is always horizontal: the command meant for vertical text is skipped.
            int skipped = GetNextCmd();
            if (skipped == 0) return;
            position_ += skipped;
            break;
        }
        default: {
            float dx = 0.0f;
            float dy = 0.0f;
            Offset(dx, dy, code);
            MoveTo(glyph, info, info.x + dx * info.scale, info.y + dy * info.scale);
            break;
        }
        }
    }
}
