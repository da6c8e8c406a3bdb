// Arithmetic, angles, distances and line crossings of the point and vector types.
#include "geometry/float_point.h"

#include "geometry/int_truncation.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

// The six factors 1 + k(√2 - 1)/6 of the length estimate and its five thresholds.
struct QuickModTable {
    double factor[6];
    double threshold[5];
    QuickModTable()
    {
        for (int k = 1; k <= 6; ++k) factor[k - 1] = 1.0 + k * (std::numbers::sqrt2 - 1.0) / 6.0;
        for (int k = 1; k <= 5; ++k) threshold[k - 1] = std::tan(std::acos(1.0 / factor[k - 1]));
    }
};
const QuickModTable kQuickMod;

double QuickModOf(double x, double y)
{
    double ax = std::fabs(x), ay = std::fabs(y);
    double m = ax > ay ? ax : ay;
    if (ax == ay) return m * std::numbers::sqrt2;
    double r = (ax < ay ? ax : ay) / m;
    for (int k = 0; k < 5; ++k) {
        if (r <= kQuickMod.threshold[k]) return m * kQuickMod.factor[k];
    }
    return m * kQuickMod.factor[5];
}

double AngleOfAxisAware(double x, double y)
{
    if (x == 0.0) {
        if (y > 0.0) return kPi / 2.0;
        if (y < 0.0) return 3.0 * kPi / 2.0;
        return 0.0;
    }
    double a = std::atan(y / x);
    if (x < 0.0) a += kPi;
    if (a < 0.0) a += 2.0 * kPi;
    return a;
}

}  // namespace

// ---- CFloatPoint ----

CFloatPoint CFloatPoint::operator=(const OL_2dFloatPoint& p)
{
    x = p.x;
    y = p.y;
    return *this;
}

double CFloatPoint::Length() const { return std::sqrt(x * x + y * y); }

void CFloatPoint::Unit()
{
    double l = Length();
    x /= l;
    y /= l;
}

float CFloatPoint::GetStepLength() const
{
    float ax = std::fabs(static_cast<float>(x));
    float ay = std::fabs(static_cast<float>(y));
    return ax > ay ? ax : ay;
}

double CFloatPoint::QuickMod() const { return QuickModOf(x, y); }

double CFloatPoint::Angle() const { return AngleOfAxisAware(x, y); }

int CFloatPoint::IsCloseTo(const CFloatPoint& b, float tolerance) const
{
    return std::fabs(x - b.x) <= tolerance && std::fabs(y - b.y) <= tolerance ? 1 : 0;
}

int CFloatPoint::IsEqual(const CFloatPoint& b, float tolerance) const
{
    return tolerance >= 0 && std::fabs(x - b.x) < tolerance && std::fabs(y - b.y) < tolerance ? 1 : 0;
}

double CFloatPoint::CalAngle(const CFloatPoint& p1, const CFloatPoint& p2, const CFloatPoint& p3)
{
    CFloatPoint u = p2 - p1, v = p3 - p2;
    double dot = u.x * v.x + u.y * v.y;
    if (dot == 0.0) return 90.0;
    double cross = std::fabs(u.x * v.y - u.y * v.x);
    double degrees = std::atan(cross / dot) * 180.0 / kPi;
    // atan of |cross| / dot is negative exactly when dot is (a full reversal gives -0).
    if (dot < 0.0) degrees += 180.0;
    return degrees;
}

double CFloatPoint::CalAngle(const CFloatPoint& a, const CFloatPoint& b)
{
    double d = a.x * b.x + a.y * b.y;
    double c = a.x * b.y - a.y * b.x;
    if (d == 0.0) {
        if (c == 0.0) return 0.0;
        return c > 0.0 ? kPi / 2.0 : -kPi / 2.0;
    }
    double r = std::atan(c / d);
    if (d < 0.0) r += kPi;
    return r;
}

double CFloatPoint::CalAngleByDir(const CFloatPoint& p1, const CFloatPoint& p2, const CFloatPoint& p3)
{
    CFloatPoint u = p2 - p1, v = p3 - p2;
    double c = u.x * v.y - u.y * v.x;
    double d = u.x * v.x + u.y * v.y;
    if (c == 0.0 && d == 0.0) return 0.0;
    double t = std::asin(c / std::sqrt(c * c + d * d));
    if (d >= 0.0) return t;
    return t >= 0.0 ? kPi - t : -kPi - t;
}

double CFloatPoint::PtToLine(CFloatPoint p, CFloatPoint a, CFloatPoint b)
{
    double len = std::sqrt((a.x - b.x) * (a.x - b.x) + (b.y - a.y) * (b.y - a.y));
    // A line through one point is that point: the distance to it.
    if (len == 0.0) return (p - a).Length();
    return std::fabs(a.y * b.x - b.y * a.x + (a.x - b.x) * p.y + (b.y - a.y) * p.x) / len;
}

CFloatPoint CFloatPoint::Extend(CFloatPoint p1, CFloatPoint p2, double d)
{
    double dx = p2.x - p1.x, dy = p2.y - p1.y;
    if (dx == 0.0 && dy == 0.0) return {0.0, 0.0};
    if (std::fabs(dx) <= std::fabs(dy))
        return {p2.x + dx * d / std::fabs(dy), dy > 0.0 ? p2.y + d : p2.y - d};
    return {dx > 0.0 ? p2.x + d : p2.x - d, p2.y + dy * d / std::fabs(dx)};
}

// ---- C2dVector ----

double C2dVector::Mod() const { return std::sqrt(x * x + y * y); }

double C2dVector::QuickMod() const { return QuickModOf(x, y); }

double C2dVector::AbsMaxAxis() const
{
    double ax = std::fabs(x), ay = std::fabs(y);
    return ax > ay ? ax : ay;
}

double C2dVector::Angle() const
{
    if (x != 0.0 && y == 0.0) return x < 0.0 ? kPi : 0.0;
    return AngleOfAxisAware(x, y);
}

double C2dVector::ClampAngle() const
{
    if (x == 0.0) return kPi / 2.0;
    double t = std::fabs(std::atan(y / x));
    return x < 0.0 ? kPi - t : t;
}

// ---- OL_2dFloatPoint ----

// Held within the 32-bit range: a wild control point converts to the range's end, not to an
// undefined value.
OL_2dFloatPoint::operator CPoint() const { return CPoint(TruncateToInt32(x), TruncateToInt32(y)); }

bool OL_2dFloatPoint::operator==(const OL_2dFloatPoint& b) const
{
    float dx = x - b.x, dy = y - b.y;
    return dx >= -1e-12f && dx <= 1e-12f && dy >= -1e-12f && dy <= 1e-12f;
}

float OL_2dFloatPoint::Length() const { return std::sqrt(x * x + y * y); }

float OL_2dFloatPoint::DistanceTo(const OL_2dFloatPoint& b) const { return (*this - b).Length(); }

float OL_2dFloatPoint::DistanceTo(const CPoint& b) const { return (*this - OL_2dFloatPoint(b)).Length(); }

float OL_2dFloatPoint::Angle() const
{
    const float pi = static_cast<float>(kPi);
    if (std::fabs(x) < 1e-15f) {
        if (std::fabs(y) < 1e-15f) return 0.0f;
        return y > 0.0f ? pi / 2.0f : 3.0f * pi / 2.0f;
    }
    float a = std::atan(y / x);
    if (x < 0.0f)
        a += pi;
    else if (y < 0.0f)
        a += 2.0f * pi;
    return a;
}

OL_2dFloatPoint OL_2dFloatPoint::ToUnit() const
{
    if (std::fabs(x) <= 1e-12f && std::fabs(y) <= 1e-12f) return {1.0f, 0.0f};
    float l = Length();
    if (l < 0.001f) {
        // A very short vector is scaled up before it is normalised. The scale is taken in
        // double precision: its integer part can exceed any 32-bit integer.
        double k = std::floor(1.0 / static_cast<double>(l));
        double sx = x * k, sy = y * k;
        double sl = std::sqrt(sx * sx + sy * sy);
        if (sl == 0.0 || !std::isfinite(sl)) {
            sl = std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y);
            return {static_cast<float>(x / sl), static_cast<float>(y / sl)};
        }
        return {static_cast<float>(sx / sl), static_cast<float>(sy / sl)};
    }
    return {x / l, y / l};
}

OL_2dFloatPoint operator+(const CPoint& a, const OL_2dFloatPoint& b) { return OL_2dFloatPoint(a) + b; }
OL_2dFloatPoint operator-(const CPoint& a, const OL_2dFloatPoint& b) { return OL_2dFloatPoint(a) - b; }
OL_2dFloatPoint operator/(const CPoint& a, double d)
{
    return {static_cast<float>(a.x / d), static_cast<float>(a.y / d)};
}
OL_2dFloatPoint operator/(const CPoint& a, float f) { return OL_2dFloatPoint(a) / f; }
OL_2dFloatPoint operator*(double d, const CPoint& a)
{
    return {static_cast<float>(a.x * d), static_cast<float>(a.y * d)};
}
OL_2dFloatPoint operator*(float f, const CPoint& a) { return OL_2dFloatPoint(a) * f; }
OL_2dFloatPoint operator*(float f, const OL_2dFloatPoint& a) { return a * f; }

// ---- free functions ----

float FloatMax() { return std::numeric_limits<float>::max(); }

float FloatInfinite() { return std::numeric_limits<float>::infinity(); }

int FloatCompareToZero(float v)
{
    if (v > 1e-12f) return 1;
    if (v < -1e-12f) return -1;
    return 0;
}

float Det(const OL_2dFloatPoint& a, const OL_2dFloatPoint& b) { return a.x * b.y - a.y * b.x; }

int Intersection(OL_2dFloatPoint& out, const OL_2dFloatPoint& p1, const OL_2dFloatPoint& p2,
                 const OL_2dFloatPoint& p3, const OL_2dFloatPoint& p4)
{
    OL_2dFloatPoint u = p2 - p1, v = p3 - p4, w = p3 - p1;
    float f = Det(u, v);
    if (std::fabs(f) < 1e-10f) return -1;
    float l = Det(w, v) / f;
    float s = Det(u, w) / f;
    out = p1 * (1.0f - l) + p2 * l;
    return l >= 0.0f && l <= 1.0f && s >= 0.0f && s <= 1.0f ? 1 : 0;
}

float Delta(const OL_2dFloatPoint& p, const OL_2dFloatPoint& d1, const OL_2dFloatPoint& q,
            const OL_2dFloatPoint& d2)
{
    OL_2dFloatPoint crossing;
    if (Intersection(crossing, p, p + d1, q, q + d2) == -1) return 0.0f;
    OL_2dFloatPoint a = p - crossing, b = q - crossing;
    float la = a.Length(), lb = b.Length();
    // A ray that starts at the crossing has no leg there: no deviation, and no 0/0.
    if (la == 0.0f || lb == 0.0f) return 0.0f;
    float c = (a.x * b.x + a.y * b.y) / (la * lb);
    float half = (c + 1.0f) / 2.0f;
    if (half < 0.0f) half = 0.0f;
    return (1.0f - std::sqrt(half)) * (la + lb) / 2.0f;
}
