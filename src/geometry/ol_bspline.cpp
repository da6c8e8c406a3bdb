// Clamped cubic B-spline: building, interpolation through points, span conversion to Bezier
// pieces and adaptive flattening.
#include "geometry/ol_bspline.h"

#include "geometry/ol_bezier.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <new>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;
// Data points closer than this are one origin.
constexpr double kMinChord = 0.1;
// Spans shorter than this in knot value are skipped when flattening.
constexpr float kMinSpan = 1e-6f;
// The flattening's chord limits: points for the import, direction records for fitting.
constexpr float kPointChordLimit = 8.0f;
constexpr float kRecordChordLimit = 4.0f;
// The first buffer size and its growth step, in points or records.
constexpr size_t kFirstCapacity = 10240;
constexpr size_t kGrowth = 1024;
// Halvings kept pending while one span is flattened.
constexpr int kStackDepth = 40;
// The end-tangent bisection stops when its test distance changes by less than this, and
// after kMaxBisections halvings at the latest.
constexpr double kBisectionStep = 0.1;
constexpr int kMaxBisections = 60;

// a / b, or 0 where the knots coincide (a vanishing basis term).
double Ratio(double a, double b) { return b != 0.0 ? a / b : 0.0; }

using Poly = std::array<double, 4>;  // coefficients of u^0 .. u^3

Poly Times(const Poly& p, double c0, double c1)
{
    Poly r{};
    for (int k = 0; k < 4; ++k) {
        r[k] += p[k] * c0;
        if (k + 1 < 4) r[k + 1] += p[k] * c1;
    }
    return r;
}

// A growable malloc'ed float buffer handed to the caller.
class FloatBuffer {
public:
    explicit FloatBuffer(size_t floatsPerItem) : per_(floatsPerItem) {}
    ~FloatBuffer() { std::free(data_); }
    bool Reserve(size_t items)
    {
        data_ = static_cast<float*>(std::malloc(sizeof(float) * per_ * items));
        capacity_ = data_ ? items : 0;
        return data_ != nullptr;
    }
    // Room for one more item; false when the buffer could not grow.
    bool Room()
    {
        if (count_ < capacity_) return true;
        auto* grown = static_cast<float*>(std::realloc(data_, sizeof(float) * per_ * (capacity_ + kGrowth)));
        if (!grown) return false;
        data_ = grown;
        capacity_ += kGrowth;
        return true;
    }
    float* Next() { return data_ + per_ * count_++; }
    size_t Count() const { return count_; }
    float* Release()
    {
        float* d = data_;
        data_ = nullptr;
        return d;
    }

private:
    size_t per_;
    float* data_ = nullptr;
    size_t capacity_ = 0;
    size_t count_ = 0;
};

}  // namespace

void OL_BSpline::Destroy()
{
    std::vector<float>().swap(knots_);
    std::vector<OL_2dFloatPoint>().swap(controls_);
    std::vector<OL_2dFloatPoint>().swap(origins_);
    n_ = 0;
}

int OL_BSpline::CreateByCtlPt(const CArray<OL_2dFloatPoint>& pts)
{
    int m = pts.GetSize();
    if (m < 4) return 0;
    n_ = static_cast<uint32_t>(m - 2);
    controls_.assign(pts.begin(), pts.end());
    knots_.assign(n_ + 6, 0.0f);
    for (uint32_t j = 1; j + 1 < n_; ++j) knots_[j + 3] = static_cast<float>(j);
    for (uint32_t k = n_ + 2; k < n_ + 6; ++k) knots_[k] = static_cast<float>(n_ - 1);
    origins_.assign(n_, OL_2dFloatPoint());
    origins_[0] = controls_[0];
    for (uint32_t k = 1; k + 1 < n_; ++k) origins_[k] = CalOrg(k);
    origins_[n_ - 1] = controls_.back();
    return 1;
}

int OL_BSpline::Create(const std::vector<float>& knots, const CArray<OL_2dFloatPoint>& controls,
                       const CArray<OL_2dFloatPoint>* origins)
{
    int k = controls.GetSize();
    if (k < 4 || knots.size() != static_cast<size_t>(k) + 4) return 0;
    if (origins && origins->GetSize() != k - 2) return 0;
    Destroy();
    n_ = static_cast<uint32_t>(k - 2);
    controls_.assign(controls.begin(), controls.end());
    knots_ = knots;
    if (origins) {
        origins_.assign(origins->begin(), origins->end());
        return 1;
    }
    origins_.resize(n_);
    origins_[0] = controls_[0];
    for (uint32_t i = 1; i + 1 < n_; ++i) origins_[i] = CalOrg(i);
    origins_[n_ - 1] = controls_.back();
    return 1;
}

OL_2dFloatPoint OL_BSpline::CalOrg(unsigned i) const
{
    if (i >= n_) return {0.0f, 0.0f};
    const std::vector<float>& t = knots_;
    double a = Ratio(t[i + 4] - t[i + 3], t[i + 4] - t[i + 1]);
    double b = Ratio(t[i + 5] - t[i + 3], t[i + 5] - t[i + 2]);
    double c = Ratio(t[i + 4] - t[i + 3], t[i + 4] - t[i + 2]);
    const OL_2dFloatPoint &p0 = controls_[i], &p1 = controls_[i + 1], &p2 = controls_[i + 2];
    double ax = a * p0.x + (1 - a) * p1.x, ay = a * p0.y + (1 - a) * p1.y;
    double bx = b * p1.x + (1 - b) * p2.x, by = b * p1.y + (1 - b) * p2.y;
    return {static_cast<float>(c * ax + (1 - c) * bx), static_cast<float>(c * ay + (1 - c) * by)};
}

int OL_BSpline::SplitAtOrg(unsigned i, OL_2dFloatPoint& first, OL_2dFloatPoint& second) const
{
    // Inner origins exist only from two spans on (n >= 3); n - 2 is never taken below zero.
    if (n_ < 3 || i == 0 || i > n_ - 2) return 0;
    const std::vector<float>& t = knots_;
    double a = Ratio(t[i + 4] - t[i + 3], t[i + 4] - t[i + 1]);
    double b = Ratio(t[i + 5] - t[i + 3], t[i + 5] - t[i + 2]);
    const OL_2dFloatPoint &p0 = controls_[i], &p1 = controls_[i + 1], &p2 = controls_[i + 2];
    first = OL_2dFloatPoint(static_cast<float>(a * p0.x + (1 - a) * p1.x), static_cast<float>(a * p0.y + (1 - a) * p1.y));
    second = OL_2dFloatPoint(static_cast<float>(b * p1.x + (1 - b) * p2.x), static_cast<float>(b * p1.y + (1 - b) * p2.y));
    return 1;
}

void OL_BSpline::CalCoff(float m[4][4], unsigned i) const
{
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 4; ++j) m[k][j] = 0.0f;
    if (n_ < 2 || i > n_ - 2) return;
    // Cox-de Boor on the span t(i+3) .. t(i+4), with t = t(i+3) + h u.
    const std::vector<float>& t = knots_;
    const double start = t[i + 3], h = static_cast<double>(t[i + 4]) - t[i + 3];
    // basis[j - i] holds N(j) of the current degree for j = i .. i + 4.
    std::array<Poly, 5> basis{};
    basis[3] = Poly{1.0, 0.0, 0.0, 0.0};
    for (unsigned p = 1; p <= 3; ++p) {
        std::array<Poly, 5> next{};
        for (unsigned j = i + 3 - p; j <= i + 3; ++j) {
            const unsigned local = j - i;
            double left = static_cast<double>(t[j + p]) - t[j];
            double right = static_cast<double>(t[j + p + 1]) - t[j + 1];
            Poly a = Times(basis[local], Ratio(start - t[j], left), Ratio(h, left));
            Poly b = Times(basis[local + 1], Ratio(t[j + p + 1] - start, right), Ratio(-h, right));
            for (int k = 0; k < 4; ++k) next[local][k] = a[k] + b[k];
        }
        basis = next;
    }
    for (int j = 0; j < 4; ++j)
        for (int k = 0; k < 4; ++k) m[k][j] = static_cast<float>(basis[j][k]);
}

OL_2dFloatPoint OL_BSpline::EndCondition(const OL_2dFloatPoint& p0, const OL_2dFloatPoint& p1, const OL_2dFloatPoint& p2)
{
    double d1x = static_cast<double>(p1.x) - p0.x, d1y = static_cast<double>(p1.y) - p0.y;
    double d2x = static_cast<double>(p2.x) - p0.x, d2y = static_cast<double>(p2.y) - p0.y;
    double l1 = std::hypot(d1x, d1y), l2 = std::hypot(d2x, d2y);
    double cross = d1x * d2y - d1y * d2x;
    OL_2dFloatPoint chord(static_cast<float>(d1x), static_cast<float>(d1y));
    if (l1 == 0.0 || l2 == 0.0 || std::fabs(cross) <= 1e-6 * l1 * l2) return chord;
    // The tangent leaves the chord p0 -> p1 by an angle δ away from p2's side; the arc
    // tangent to it at p0 through p1 has radius l1 / (2 sin δ). The test distance is how far
    // p2 lies outside that arc: negative while the arc is too flat. It grows with δ on
    // (0, π/2], so δ is found by bisection.
    const double side = cross > 0.0 ? 1.0 : -1.0;
    const double ux = d1x / l1, uy = d1y / l1;
    auto tangentAt = [&](double delta, double& tx, double& ty) {
        double c = std::cos(-side * delta), s = std::sin(-side * delta);
        tx = ux * c - uy * s;
        ty = ux * s + uy * c;
    };
    auto outside = [&](double delta) {
        double tx, ty;
        tangentAt(delta, tx, ty);
        double nx = -side * ty, ny = side * tx;  // towards p2's side
        double radius = l1 / (2.0 * std::sin(delta));
        double cx = nx * radius - d2x, cy = ny * radius - d2y;
        return std::hypot(cx, cy) - radius;
    };
    double low = 1e-9, high = kPi / 2.0, previous = outside(high);
    double delta = high;
    for (int k = 0; k < kMaxBisections; ++k) {
        delta = (low + high) / 2.0;
        double g = outside(delta);
        if (g < 0.0)
            low = delta;
        else
            high = delta;
        bool settled = std::fabs(g - previous) < kBisectionStep;
        previous = g;
        if (settled) break;
    }
    double tx, ty;
    tangentAt(delta, tx, ty);
    return {static_cast<float>(tx * l1), static_cast<float>(ty * l1)};
}

int OL_BSpline::Inverse(const float* matrices, const OL_2dFloatPoint* startTangent, const OL_2dFloatPoint* endTangent)
{
    if (n_ < 2) return 0;
    const uint32_t n = n_;
    controls_.assign(n + 2, OL_2dFloatPoint());
    controls_[0] = origins_[0];
    controls_[n + 1] = origins_[n - 1];
    if (n == 2) {
        OL_2dFloatPoint a = origins_[0], d = origins_[1] - origins_[0];
        controls_[1] = a + d / 3.0f;
        controls_[2] = a + d * (2.0f / 3.0f);
        return 1;
    }
    if (!matrices) return 0;
    OL_2dFloatPoint ts = startTangent ? *startTangent : EndCondition(origins_[0], origins_[1], origins_[2]);
    OL_2dFloatPoint te = endTangent ? *endTangent : EndCondition(origins_[n - 1], origins_[n - 2], origins_[n - 3]);
    // Rows for the unknown control points 1 .. n: lower, diagonal, upper and right-hand side.
    std::vector<double> lower(n, 0.0), diagonal(n, 3.0), upper(n, 0.0), rx(n), ry(n);
    rx[0] = 3.0 * origins_[0].x + ts.x;
    ry[0] = 3.0 * origins_[0].y + ts.y;
    rx[n - 1] = 3.0 * origins_[n - 1].x + te.x;
    ry[n - 1] = 3.0 * origins_[n - 1].y + te.y;
    for (uint32_t r = 1; r + 1 < n; ++r) {
        const float* m = matrices + 16 * static_cast<size_t>(r);  // span r at u = 0
        lower[r] = m[0];
        diagonal[r] = m[1];
        upper[r] = m[2];
        rx[r] = origins_[r].x;
        ry[r] = origins_[r].y;
    }
    for (uint32_t r = 1; r < n; ++r) {
        if (diagonal[r - 1] == 0.0) return 0;
        double f = lower[r] / diagonal[r - 1];
        diagonal[r] -= f * upper[r - 1];
        rx[r] -= f * rx[r - 1];
        ry[r] -= f * ry[r - 1];
    }
    if (diagonal[n - 1] == 0.0) return 0;
    double x = rx[n - 1] / diagonal[n - 1], y = ry[n - 1] / diagonal[n - 1];
    controls_[n] = OL_2dFloatPoint(static_cast<float>(x), static_cast<float>(y));
    for (uint32_t r = n - 1; r-- > 0;) {
        x = (rx[r] - upper[r] * x) / diagonal[r];
        y = (ry[r] - upper[r] * y) / diagonal[r];
        controls_[r + 1] = OL_2dFloatPoint(static_cast<float>(x), static_cast<float>(y));
    }
    return 1;
}

int OL_BSpline::Interpolate(const CArray<OL_2dFloatPoint>& data)
{
    Destroy();
    if (data.GetSize() < 2) return 0;
    std::vector<double> chordAt{0.0};
    origins_.push_back(data[0]);
    double total = 0.0;
    for (int k = 1; k < data.GetSize(); ++k) {
        total += data[k].DistanceTo(data[k - 1]);
        bool close = data[k].DistanceTo(data[k - 1]) < kMinChord;
        bool last = k + 1 == data.GetSize();
        if (!close) {
            origins_.push_back(data[k]);
            chordAt.push_back(total);
        } else if (last && origins_.size() >= 2) {
            origins_.back() = data[k];
            chordAt.back() = total;
        }
    }
    if (total < kMinChord || origins_.size() < 2) {
        Destroy();
        return 0;
    }
    n_ = static_cast<uint32_t>(origins_.size());
    knots_.assign(n_ + 6, 0.0f);
    for (uint32_t k = 1; k < n_; ++k) knots_[k + 3] = static_cast<float>(chordAt[k] / total);
    for (uint32_t k = n_ + 3; k < n_ + 6; ++k) knots_[k] = 1.0f;
    knots_[n_ + 2] = 1.0f;
    controls_.assign(n_ + 2, OL_2dFloatPoint());
    std::vector<float> matrices(16 * static_cast<size_t>(n_ - 1));
    for (uint32_t i = 0; i + 1 < n_; ++i) {
        float m[4][4];
        CalCoff(m, i);
        for (int k = 0; k < 4; ++k)
            for (int j = 0; j < 4; ++j) matrices[16 * i + 4 * k + j] = m[k][j];
    }
    if (!Inverse(matrices.data(), nullptr, nullptr)) {
        Destroy();
        return 0;
    }
    return 1;
}

OL_Bezier OL_BSpline::SpanAsBezier(unsigned i) const
{
    OL_2dFloatPoint unusedFirst, p1, p2, unusedSecond;
    if (i == 0 || !SplitAtOrg(i, unusedFirst, p1)) p1 = controls_[1];
    if (i + 2 >= n_ || !SplitAtOrg(i + 1, p2, unusedSecond)) p2 = controls_[n_];
    return OL_Bezier(origins_[i], p1, p2, origins_[i + 1]);
}

template <class Emit>
void OL_BSpline::FlattenSpan(unsigned i, float chordLimit, float lenTol, float angTol, Emit emit) const
{
    OL_Bezier pending[kStackDepth];
    int top = 0;
    OL_Bezier current = SpanAsBezier(i);
    for (;;) {
        while (top < kStackDepth && !current.IsFlat(chordLimit, lenTol, angTol)) {
            OL_Bezier left, right;
            current.SplitAtMid(left, right);
            pending[top++] = right;
            current = left;
        }
        if (!emit(current)) return;
        if (top == 0) return;
        current = pending[--top];
    }
}

int OL_BSpline::Subdivide(float*& xs, float*& ys, unsigned* spanEnds, float lenTol, float angTol,
                          size_t pointLimit, bool* pastLimit) const
{
    if (pastLimit) *pastLimit = false;
    if (!(lenTol > 0.0f) || !(angTol > 0.0f) || !(angTol < 1.0471975511965976) || xs || ys || n_ < 2) return 0;
    if (pointLimit != SIZE_MAX) {
        // Counted first, keeping no point: a curve past the limit costs its walk, not its memory.
        size_t needed = 1;
        for (unsigned span = 0; span + 1 < n_ && needed <= pointLimit; ++span)
            if (knots_[span + 4] - knots_[span + 3] >= kMinSpan)
                FlattenSpan(span, kPointChordLimit, lenTol, angTol, [&](const OL_Bezier&) { return ++needed <= pointLimit; });
        if (needed > pointLimit) {
            if (pastLimit) *pastLimit = true;
            return 0;
        }
    }
    FloatBuffer points(2);
    if (!points.Reserve(kFirstCapacity) || !points.Room()) return 0;
    float* first = points.Next();
    first[0] = origins_[0].x;
    first[1] = origins_[0].y;
    bool complete = true;
    // Stays true while the points are within pointLimit.
    bool withinLimit = true;
    for (unsigned span = 0; span + 1 < n_ && complete; ++span) {
        if (knots_[span + 4] - knots_[span + 3] >= kMinSpan) {
            FlattenSpan(span, kPointChordLimit, lenTol, angTol, [&](const OL_Bezier& piece) {
                if (points.Count() >= pointLimit) return complete = withinLimit = false;
                if (!points.Room()) return complete = false;
                float* p = points.Next();
                p[0] = piece.P3.x;
                p[1] = piece.P3.y;
                return true;
            });
        }
        if (spanEnds) spanEnds[span] = static_cast<unsigned>(points.Count() - 1);
    }
    size_t count = points.Count();
    float* pairs = points.Release();
    if (!withinLimit) {
        std::free(pairs);
        if (pastLimit) *pastLimit = true;
        return 0;
    }
    xs = static_cast<float*>(std::malloc(sizeof(float) * std::max<size_t>(count, kFirstCapacity)));
    ys = static_cast<float*>(std::malloc(sizeof(float) * std::max<size_t>(count, kFirstCapacity)));
    if (!xs || !ys) {
        std::free(pairs);
        std::free(xs);
        std::free(ys);
        xs = ys = nullptr;
        return 0;
    }
    for (size_t k = 0; k < count; ++k) {
        xs[k] = pairs[2 * k];
        ys[k] = pairs[2 * k + 1];
    }
    std::free(pairs);
    return static_cast<int>(count);
}

int OL_BSpline::Subdivide(std::vector<float>& records, float lenTol, float angTol) const
{
    records.clear();
    if (!(lenTol > 0.0f) || !(angTol > 0.0f) || !(angTol < 1.0471975511965976) || n_ < 2) return 0;
    const auto add = [&records](float x, float y, float direction) { records.insert(records.end(), {x, y, direction, 0.0f}); };
    try {
        add(origins_[0].x, origins_[0].y, (controls_[1] - controls_[0]).Angle());
        for (unsigned span = 0; span + 1 < n_; ++span) {
            if (knots_[span + 4] - knots_[span + 3] < kMinSpan) continue;
            FlattenSpan(span, kRecordChordLimit, lenTol, angTol, [&](const OL_Bezier& piece) {
                double previous = records[records.size() - 2];
                double direction = (piece.P3 - piece.P0).Angle();
                while (direction - previous > kPi) direction -= kTwoPi;
                while (direction - previous < -kPi) direction += kTwoPi;
                add(piece.P3.x, piece.P3.y, static_cast<float>(direction));
                return true;
            });
        }
    } catch (const std::bad_alloc&) {
        // The records kept so far stand: a failed growth leaves them whole.
    }
    return static_cast<int>(records.size() / 4);
}
