// OL_Bezier: a cubic Bezier piece, the working unit of adaptive curve flattening.
#pragma once

#include "geometry/float_point.h"

class OL_Bezier {
public:
    OL_2dFloatPoint P0;
    OL_2dFloatPoint P1;
    OL_2dFloatPoint P2;
    OL_2dFloatPoint P3;

    OL_Bezier() = default;
    OL_Bezier(const OL_2dFloatPoint& a, const OL_2dFloatPoint& b, const OL_2dFloatPoint& c, const OL_2dFloatPoint& d)
        : P0(a), P1(b), P2(c), P3(d)
    {
    }
    OL_Bezier(const OL_Bezier&) = default;
    OL_Bezier& operator=(const OL_Bezier&) = default;
    virtual ~OL_Bezier() = default;

    // Splits at t = 0.5 (de Casteljau) into the two halves.
    void SplitAtMid(OL_Bezier& left, OL_Bezier& right) const;
    // 1 when the chord P0 -> P3 is at most chordLimit long, or when both end legs (P1 - P0,
    // P3 - P2) run forward along the chord, no longer than it, at most acrossTol off it and
    // with |across| / along at most ratioTol.
    int IsFlat(float chordLimit, float acrossTol, float ratioTol) const;
};
