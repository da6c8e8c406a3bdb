// OL_QBezier: a quadratic Bezier curve, its evaluation and its flattening into points.
#pragma once

#include "geometry/float_point.h"

// The work record of the flattening: a growable point buffer (x, y float pairs, malloc'ed)
// and the tolerances.
struct CRVE_DIVIDE {
    float* buffer = nullptr;
    int capacity = 0;  // points
    int count = 0;     // points written
    float chordLimit = 0.0f;
    float acrossTol = 0.0f;
    float ratioTol = 0.0f;
    // Halvings above the piece being flattened; the flattening goes no deeper than kMaxDepth.
    int depth = 0;
    // Set when the buffer could not grow; no further point is written.
    bool full = false;
};

class OL_QBezier {
public:
    OL_2dFloatPoint P0;
    OL_2dFloatPoint P1;
    OL_2dFloatPoint P2;

    // Halvings deep enough for any real curve (a million pieces); reached only by curves
    // that no tolerance can satisfy.
    static constexpr int kMaxDepth = 20;

    OL_QBezier() = default;
    OL_QBezier(const OL_2dFloatPoint& a, const OL_2dFloatPoint& b, const OL_2dFloatPoint& c) : P0(a), P1(b), P2(c) {}
    OL_QBezier(const OL_QBezier&) = default;
    OL_QBezier& operator=(const OL_QBezier&) = default;

    // Splits at t = 0.5 (de Casteljau).
    void SplitAtMid(OL_QBezier& left, OL_QBezier& right) const;
    // The point at parameter t; (0, 0) outside [0, 1].
    OL_2dFloatPoint PtAt(float t) const;
    // 1 when the chord is shorter than chordLimit, or P1 lies within 2 acrossTol of the chord
    // or at |across| / along below ratioTol.
    int CanBeALine(float chordLimit, float acrossTol, float ratioTol) const;
    // Flattens into a malloc'ed buffer of (x, y) pairs given in out (the caller frees it with
    // free); returns the number of points, P0 first.
    int Subdivide(float*& out, float chordLimit, float acrossTol, float ratioTol) const;
    // Appends the flattening after P0 to the record: P2 when the curve is straight enough,
    // else both halves, left first.
    void SubdivideBySplit(CRVE_DIVIDE* rec) const;
};
