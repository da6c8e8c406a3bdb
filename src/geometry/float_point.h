// Points and vectors: CFloatPoint and C2dVector (double), OL_2dFloatPoint (float), and the
// free functions on them.
//
// Coordinates are plotter units (40 per mm); angles are radians unless said otherwise. A
// point can act as a complex number: operator* is the complex product and operator/ the
// product with the conjugate of the right operand (not divided by its squared length), so
// the angle of a / b is the angle from b to a.
#pragma once

#include "platform/rect.h"

class OL_2dFloatPoint;

class CFloatPoint {
public:
    double x = 0.0;
    double y = 0.0;

    CFloatPoint() = default;
    CFloatPoint(double px, double py) : x(px), y(py) {}
    CFloatPoint(const CFloatPoint&) = default;
    CFloatPoint& operator=(const CFloatPoint&) = default;
    virtual ~CFloatPoint() = default;

    CFloatPoint operator+(const CFloatPoint& b) const { return {x + b.x, y + b.y}; }
    CFloatPoint operator-(const CFloatPoint& b) const { return {x - b.x, y - b.y}; }
    CFloatPoint& operator+=(const CFloatPoint& b) { x += b.x; y += b.y; return *this; }
    CFloatPoint& operator-=(const CFloatPoint& b) { x -= b.x; y -= b.y; return *this; }
    CFloatPoint operator*(double s) const { return {x * s, y * s}; }
    CFloatPoint& operator*=(double s) { x *= s; y *= s; return *this; }
    CFloatPoint operator*(const CFloatPoint& b) const { return {x * b.x - y * b.y, x * b.y + y * b.x}; }
    CFloatPoint operator/(const CFloatPoint& b) const { return {x * b.x + y * b.y, y * b.x - x * b.y}; }
    CFloatPoint operator/=(const CFloatPoint& b) { *this = *this / b; return *this; }
    bool operator==(const CFloatPoint& b) const { return x == b.x && y == b.y; }
    CFloatPoint operator=(const OL_2dFloatPoint& p);

    double Length() const;
    // Divides both components by the length, in place (never called with a zero vector).
    void Unit();
    // The larger of |x| and |y|, each taken as float.
    float GetStepLength() const;
    // Fast length estimate: never below the true length, at most 6.9 % above it.
    double QuickMod() const;
    // Direction in [0, 2π).
    double Angle() const;
    int IsCloseTo(const CFloatPoint& b, float tolerance) const;
    int IsEqual(const CFloatPoint& b, float tolerance) const;

    // Turning angle in degrees, 0..180, between p2 - p1 and p3 - p2.
    static double CalAngle(const CFloatPoint& p1, const CFloatPoint& p2, const CFloatPoint& p3);
    // Signed angle from a to b, in (-π/2, 3π/2].
    static double CalAngle(const CFloatPoint& a, const CFloatPoint& b);
    // Signed turning angle in [-π, π] from p2 - p1 to p3 - p2.
    static double CalAngleByDir(const CFloatPoint& p1, const CFloatPoint& p2, const CFloatPoint& p3);
    // Distance from p to the infinite line through a and b (|p - a| when a and b coincide).
    static double PtToLine(CFloatPoint p, CFloatPoint a, CFloatPoint b);
    // The point beyond p2 on the ray p1 -> p2, d further along the dominant axis.
    static CFloatPoint Extend(CFloatPoint p1, CFloatPoint p2, double d);
};

class C2dVector {
public:
    double x = 0.0;
    double y = 0.0;

    C2dVector() = default;
    C2dVector(double px, double py) : x(px), y(py) {}
    C2dVector(const CPoint& p) : x(p.x), y(p.y) {}
    C2dVector(const C2dVector&) = default;
    virtual ~C2dVector() = default;

    C2dVector operator+(const C2dVector& b) const { return {x + b.x, y + b.y}; }
    C2dVector operator-(const C2dVector& b) const { return {x - b.x, y - b.y}; }
    C2dVector& operator+=(const C2dVector& b) { x += b.x; y += b.y; return *this; }
    C2dVector& operator-=(const C2dVector& b) { x -= b.x; y -= b.y; return *this; }
    C2dVector operator*(const C2dVector& b) const { return {x * b.x - y * b.y, x * b.y + y * b.x}; }
    C2dVector& operator*=(const C2dVector& b) { *this = *this * b; return *this; }
    C2dVector operator/(const C2dVector& b) const { return {x * b.x + y * b.y, y * b.x - x * b.y}; }
    C2dVector& operator/=(const C2dVector& b) { *this = *this / b; return *this; }
    bool operator==(const C2dVector& b) const { return x == b.x && y == b.y; }
    bool operator!=(const C2dVector& b) const { return !(*this == b); }
    C2dVector& operator=(const CPoint& p) { x = p.x; y = p.y; return *this; }
    C2dVector& operator=(const CFloatPoint& p) { x = p.x; y = p.y; return *this; }
    C2dVector& operator=(const C2dVector&) = default;

    double Mod() const;
    double QuickMod() const;
    double AbsMaxAxis() const;
    // Direction in [0, 2π).
    double Angle() const;
    // Unsigned angle between the vector's line and the positive x axis, in [0, π].
    double ClampAngle() const;
};

class OL_2dFloatPoint {
public:
    float x = 0.0f;
    float y = 0.0f;

    OL_2dFloatPoint() = default;
    OL_2dFloatPoint(float px, float py) : x(px), y(py) {}
    OL_2dFloatPoint(const CPoint& p) : x(static_cast<float>(p.x)), y(static_cast<float>(p.y)) {}
    OL_2dFloatPoint(const OL_2dFloatPoint&) = default;
    OL_2dFloatPoint& operator=(const OL_2dFloatPoint&) = default;
    virtual ~OL_2dFloatPoint() = default;

    OL_2dFloatPoint operator+(const OL_2dFloatPoint& b) const { return {x + b.x, y + b.y}; }
    OL_2dFloatPoint operator-(const OL_2dFloatPoint& b) const { return {x - b.x, y - b.y}; }
    OL_2dFloatPoint operator+(const CPoint& b) const { return *this + OL_2dFloatPoint(b); }
    OL_2dFloatPoint operator-(const CPoint& b) const { return *this - OL_2dFloatPoint(b); }
    OL_2dFloatPoint& operator+=(const OL_2dFloatPoint& b) { x += b.x; y += b.y; return *this; }
    OL_2dFloatPoint& operator-=(const OL_2dFloatPoint& b) { x -= b.x; y -= b.y; return *this; }
    OL_2dFloatPoint& operator+=(const CPoint& b) { return *this += OL_2dFloatPoint(b); }
    OL_2dFloatPoint& operator-=(const CPoint& b) { return *this -= OL_2dFloatPoint(b); }
    OL_2dFloatPoint operator*(float f) const { return {x * f, y * f}; }
    OL_2dFloatPoint operator/(float f) const { return {x / f, y / f}; }
    OL_2dFloatPoint& operator*=(float f) { x *= f; y *= f; return *this; }
    OL_2dFloatPoint& operator/=(float f) { x /= f; y /= f; return *this; }
    OL_2dFloatPoint operator*(const OL_2dFloatPoint& b) const { return {x * b.x - y * b.y, x * b.y + y * b.x}; }
    OL_2dFloatPoint& operator*=(const OL_2dFloatPoint& b) { *this = *this * b; return *this; }
    OL_2dFloatPoint operator/(const OL_2dFloatPoint& b) const { return {x * b.x + y * b.y, y * b.x - x * b.y}; }
    OL_2dFloatPoint& operator/=(const OL_2dFloatPoint& b) { *this = *this / b; return *this; }
    OL_2dFloatPoint& operator=(const CPoint& p) { x = static_cast<float>(p.x); y = static_cast<float>(p.y); return *this; }
    // Components truncated toward zero, held within the 32-bit range (NaN gives INT32_MIN).
    operator CPoint() const;
    // Equal when both component differences lie within ±1e-12.
    bool operator==(const OL_2dFloatPoint& b) const;

    float Length() const;
    float DistanceTo(const OL_2dFloatPoint& b) const;
    float DistanceTo(const CPoint& b) const;
    // Direction in [0, 2π).
    float Angle() const;
    // A unit vector in the same direction; (1, 0) for the zero vector.
    OL_2dFloatPoint ToUnit() const;
};

OL_2dFloatPoint operator+(const CPoint& a, const OL_2dFloatPoint& b);
OL_2dFloatPoint operator-(const CPoint& a, const OL_2dFloatPoint& b);
OL_2dFloatPoint operator/(const CPoint& a, double d);
OL_2dFloatPoint operator/(const CPoint& a, float f);
OL_2dFloatPoint operator*(double d, const CPoint& a);
OL_2dFloatPoint operator*(float f, const CPoint& a);
OL_2dFloatPoint operator*(float f, const OL_2dFloatPoint& a);

// The largest finite float.
float FloatMax();
float FloatInfinite();
// 1 above 1e-12, -1 below -1e-12, else 0.
int FloatCompareToZero(float v);
// Cross product a.x b.y - a.y b.x.
float Det(const OL_2dFloatPoint& a, const OL_2dFloatPoint& b);
// Intersects the line p1 -> p2 with the line p3 -> p4: -1 when parallel (out untouched),
// 1 when the point lies on both segments (ends included), else 0.
int Intersection(OL_2dFloatPoint& out, const OL_2dFloatPoint& p1, const OL_2dFloatPoint& p2,
                 const OL_2dFloatPoint& p3, const OL_2dFloatPoint& p4);
// Corner deviation of two rays: (1 - cos(θ/2)) times the mean leg length to their crossing.
float Delta(const OL_2dFloatPoint& p, const OL_2dFloatPoint& d1, const OL_2dFloatPoint& q,
            const OL_2dFloatPoint& d2);
