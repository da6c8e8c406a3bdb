// OL_BSpline: a clamped cubic B-spline, built from control points or through given points,
// and flattened into points within tolerances.
//
// Method: n origins (the curve's points at the knots t(3) .. t(n+2)) joined by n - 1 cubic
// spans over n + 2 control points and n + 6 knots, clamped by four equal knots at each end.
// Each span is converted to a cubic Bezier (knot insertion) and flattened by adaptive
// halving. Interpolation uses chord-length knots scaled to [0, 1] and solves a tridiagonal
// system for the control points. Units are those of the points (plotter units); angles are
// radians.
#pragma once

#include "geometry/float_point.h"
#include "platform/carray.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class OL_Bezier;

class OL_BSpline {
public:
    OL_BSpline() = default;
    OL_BSpline(const OL_BSpline&) = delete;
    OL_BSpline& operator=(const OL_BSpline&) = delete;
    ~OL_BSpline() { Destroy(); }

    // Frees the arrays; the curve becomes empty.
    void Destroy();

    // Builds the curve on m >= 4 control points with the clamped uniform knots 0, 0, 0, 0,
    // 1, ..., m - 3 (four times); 0 for fewer points. The arrays are refilled in place, so a
    // curve built again and again allocates only while it grows.
    int CreateByCtlPt(const CArray<OL_2dFloatPoint>& pts);
    // Builds the curve on k >= 4 control points with the given k + 4 knots and k - 2
    // origins; null origins are computed as CreateByCtlPt does (the end control points and
    // the curve points at the inner knots). 0 when the sizes do not fit.
    int Create(const std::vector<float>& knots, const CArray<OL_2dFloatPoint>& controls,
               const CArray<OL_2dFloatPoint>* origins);
    // Builds the curve through the data points (points closer than 0.1 merged); 0 when
    // fewer than two distinct points remain.
    int Interpolate(const CArray<OL_2dFloatPoint>& data);
    // Solves the control points for the origins from the span matrices of CalCoff (16
    // floats per span). The end tangents point from each end origin into the curve; null
    // ones come from EndCondition. 0 when the system cannot be solved.
    int Inverse(const float* matrices, const OL_2dFloatPoint* startTangent, const OL_2dFloatPoint* endTangent);
    // The end tangent at p0 of the arc through p0, p1, p2 (p1 - p0 for collinear points),
    // as long as p1 - p0.
    static OL_2dFloatPoint EndCondition(const OL_2dFloatPoint& p0, const OL_2dFloatPoint& p1, const OL_2dFloatPoint& p2);

    // The curve point at knot t(i + 3), for i < n; (0, 0) beyond.
    OL_2dFloatPoint CalOrg(unsigned i) const;
    // The Bezier control points before and after inner origin i (0 < i <= n - 2); 0 for
    // other i, and for curves of fewer than two spans.
    int SplitAtOrg(unsigned i, OL_2dFloatPoint& first, OL_2dFloatPoint& second) const;
    // m[k][j]: the coefficient of u^k contributed by control point i + j on span i, with u
    // running from 0 at origin i to 1 at origin i + 1.
    void CalCoff(float m[4][4], unsigned i) const;

    // Flattens into xs and ys (malloc'ed, the caller frees them; both must be null on entry)
    // with the across tolerance lenTol (> 0) and the ratio tolerance angTol (0 < angTol < π/3);
    // spanEnds, when not null, receives the index of each span's last point. Returns the
    // number of points, 0 when a precondition fails or more than pointLimit points are needed
    // (then *pastLimit, when given, is set true; it is set false otherwise). With a limit the
    // points are counted before any is kept.
    int Subdivide(float*& xs, float*& ys, unsigned* spanEnds, float lenTol, float angTol,
                  size_t pointLimit = SIZE_MAX, bool* pastLimit = nullptr) const;
    // Flattens into records of four floats (x, y, direction in radians unwrapped to within π
    // of the previous one, 0), replacing what records held (its storage is reused); returns
    // their number. Should records fail to grow, the curve ends at the last record kept.
    int Subdivide(std::vector<float>& records, float lenTol, float angTol) const;

    // The number of origins n.
    unsigned GetOrgNum() const { return n_; }
    const OL_2dFloatPoint& GetOrg(unsigned i) const { return origins_.at(i); }
    const OL_2dFloatPoint& GetCtlPt(unsigned i) const { return controls_.at(i); }
    float GetKnot(unsigned i) const { return knots_.at(i); }

private:
    // Span i as a cubic Bezier.
    OL_Bezier SpanAsBezier(unsigned i) const;
    // Flattens span i, calling emit(piece) for every flat piece in order.
    template <class Emit>
    void FlattenSpan(unsigned i, float chordLimit, float lenTol, float angTol, Emit emit) const;

    std::vector<float> knots_;
    std::vector<OL_2dFloatPoint> controls_;
    std::vector<OL_2dFloatPoint> origins_;
    uint32_t n_ = 0;
};
