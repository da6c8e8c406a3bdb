// Quadratic Bezier evaluation, halving and flattening into a buffer that grows as it fills.
#include "geometry/ol_qbezier.h"

#include <cmath>
#include <cstdlib>

namespace {

// Writes one point into the record, growing the buffer when it is full.
void AppendPoint(CRVE_DIVIDE* rec, const OL_2dFloatPoint& p)
{
    if (rec->full) return;
    if (rec->count >= rec->capacity) {
        int grown = rec->capacity < 32 ? 64 : rec->capacity * 2;
        auto* bigger = static_cast<float*>(std::realloc(rec->buffer, sizeof(float) * 2 * static_cast<size_t>(grown)));
        if (!bigger) {
            rec->full = true;
            return;
        }
        rec->buffer = bigger;
        rec->capacity = grown;
    }
    rec->buffer[2 * rec->count] = p.x;
    rec->buffer[2 * rec->count + 1] = p.y;
    ++rec->count;
}

}  // namespace

void OL_QBezier::SplitAtMid(OL_QBezier& left, OL_QBezier& right) const
{
    OL_2dFloatPoint a = (P0 + P1) * 0.5f, b = (P1 + P2) * 0.5f;
    OL_2dFloatPoint mid = (a + b) * 0.5f;
    OL_2dFloatPoint start = P0, end = P2;
    left = OL_QBezier(start, a, mid);
    right = OL_QBezier(mid, b, end);
}

OL_2dFloatPoint OL_QBezier::PtAt(float t) const
{
    if (!(t >= 0.0f && t <= 1.0f)) return {0.0f, 0.0f};
    float s = 1.0f - t;
    return P0 * (s * s) + P1 * (2.0f * t * s) + P2 * (t * t);
}

int OL_QBezier::CanBeALine(float chordLimit, float acrossTol, float ratioTol) const
{
    OL_2dFloatPoint chord = P2 - P0;
    float length = chord.Length();
    if (length < chordLimit) return 1;
    OL_2dFloatPoint u = chord / length;
    OL_2dFloatPoint leg = P1 - P0;
    float along = leg.x * u.x + leg.y * u.y;
    float across = std::fabs(leg.x * u.y - leg.y * u.x);
    return across < 2.0f * acrossTol || across / along < ratioTol ? 1 : 0;
}

int OL_QBezier::Subdivide(float*& out, float chordLimit, float acrossTol, float ratioTol) const
{
    // The estimate from the control polygon is only the first size: the buffer grows as
    // the flattening fills it, so no point is ever written past its end.
    double polygon = std::fabs(P1.x - P0.x) + std::fabs(P1.y - P0.y) + std::fabs(P2.x - P1.x) + std::fabs(P2.y - P1.y);
    double estimate = polygon / chordLimit;
    int capacity = 2;
    if (estimate > capacity) capacity = estimate < 65536.0 ? static_cast<int>(estimate) : 65536;
    CRVE_DIVIDE rec;
    rec.buffer = static_cast<float*>(std::malloc(sizeof(float) * 2 * static_cast<size_t>(capacity)));
    out = rec.buffer;
    if (!rec.buffer) return 0;
    rec.capacity = capacity;
    rec.chordLimit = chordLimit;
    rec.acrossTol = acrossTol;
    rec.ratioTol = ratioTol;
    AppendPoint(&rec, P0);
    SubdivideBySplit(&rec);
    out = rec.buffer;
    return rec.count;
}

void OL_QBezier::SubdivideBySplit(CRVE_DIVIDE* rec) const
{
    if (!rec) return;
    if (rec->depth >= kMaxDepth || CanBeALine(rec->chordLimit, rec->acrossTol, rec->ratioTol)) {
        AppendPoint(rec, P2);
        return;
    }
    OL_QBezier left, right;
    SplitAtMid(left, right);
    ++rec->depth;
    left.SubdivideBySplit(rec);
    right.SubdivideBySplit(rec);
    --rec->depth;
}
