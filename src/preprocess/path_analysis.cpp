// B-spline path fitting: corner search, control polygons and resampling of cut shapes.
#include "preprocess/path_analysis.h"

#include "geometry/ol_bspline.h"
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"
#include "preprocess/point_sequence.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
// A corner whose neighbouring turns are below this share of its own is isolated.
constexpr double kNeighbourShare = 0.25;
// Corner deviations (units) of a smooth bend and of a corner that breaks on its own.
constexpr double kBendDeviation = 20.0;
constexpr double kCornerDeviation = 25.0;
// The break angles and sampling of BsplineFit.
constexpr float kFitSmallTurn = 9.0f;
constexpr float kFitLargeTurn = 60.0f;
constexpr float kFitCorner = 1.5f;
constexpr float kFitTolerance = 10.0f;
constexpr float kFitAngleTolerance = 0.034906585f;
// Pens of alternate pieces when ShapeBreak colours them.
constexpr int kFirstPiecePen = 3;
constexpr int kSecondPiecePen = 4;

// The conjugate quotient v / u of two segments: (u·v, u×v).
struct Turn {
    double dot;
    double cross;
};

Turn TurnAt(const float* p, int before, int at, int after)
{
    double ux = static_cast<double>(p[2 * at]) - p[2 * before], uy = static_cast<double>(p[2 * at + 1]) - p[2 * before + 1];
    double vx = static_cast<double>(p[2 * after]) - p[2 * at], vy = static_cast<double>(p[2 * after + 1]) - p[2 * at + 1];
    return {ux * vx + uy * vy, ux * vy - uy * vx};
}

// The signed turn atan(cross / dot); 0 where a segment has no length.
double SignedTurn(Turn r)
{
    if (r.dot == 0.0 && r.cross == 0.0) return 0.0;
    return std::atan(r.cross / r.dot);
}

double SegmentLength(const float* p, int from, int to)
{
    return std::hypot(static_cast<double>(p[2 * to]) - p[2 * from], static_cast<double>(p[2 * to + 1]) - p[2 * from + 1]);
}

// Straight runs: a segment may change either component of its direction (normalised by its
// larger component) by at most tan 3 degrees, and the run's spread of either component stays
// below tan 8 degrees.
constexpr double kLineStepTangent = 0.052407779283041196;
constexpr double kLineSpreadTangent = 0.14054083470239145;

// The direction of segment from -> to divided by its larger component's size; false for a
// segment without length.
bool RunDirection(const float* p, int from, int to, double& dx, double& dy)
{
    dx = static_cast<double>(p[2 * to]) - p[2 * from];
    dy = static_cast<double>(p[2 * to + 1]) - p[2 * from + 1];
    double m = std::max(std::fabs(dx), std::fabs(dy));
    if (m == 0.0) return false;
    dx /= m;
    dy /= m;
    return true;
}

// The end of the straight run from vertex i in the given direction (+1 or -1) over n points.
int StraightRunEnd(const float* p, int n, int i, int step)
{
    if (!p || i < 0 || i >= n || i + step < 0 || i + step >= n) return -1;
    int end = i + step;
    bool started = false;
    double px = 0, py = 0, minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (int k = i; k + step >= 0 && k + step < n; k += step) {
        double dx, dy;
        // A segment without length has no direction and continues the run.
        if (!RunDirection(p, k, k + step, dx, dy)) {
            end = k + step;
            continue;
        }
        if (started) {
            if (std::fabs(dx - px) > kLineStepTangent || std::fabs(dy - py) > kLineStepTangent) break;
            minX = std::min(minX, dx), maxX = std::max(maxX, dx);
            minY = std::min(minY, dy), maxY = std::max(maxY, dy);
            if (maxX - minX >= kLineSpreadTangent || maxY - minY >= kLineSpreadTangent) break;
        } else {
            minX = maxX = dx;
            minY = maxY = dy;
            started = true;
        }
        px = dx;
        py = dy;
        end = k + step;
    }
    return end;
}

// Straight sections. Near a diagonal the straight-run search is twice as strict (the larger
// component changes axis there), so a section whose direction lies within 8 degrees of a
// diagonal (smaller normalised component at least tan 37) takes in the following straight
// runs that lie within 3 degrees of the same diagonal (at least tan 42).
const double kNearDiagonalShare = 1.0 - std::tan(37.0 * kDegree);
const double kOnDiagonalShare = 1.0 - std::tan(42.0 * kDegree);
// Ring section turns: tangents of the same-line and corner angles.
const double kSameLineTangent = std::tan(3.5 * kDegree);
const double kCornerTangent = std::tan(80.0 * kDegree);
constexpr int kRingEntries = 6;
// Curve sections: a section longer than this is a line of its own; a curve stops growing at
// the longer length.
constexpr double kLongSection = 840.0;
constexpr double kLongestCurve = 1200.0;
// Pens of line, curve and short curve sections.
constexpr int kSectionPens[] = {3, 4, 5};
// The earlier break search: tangents of its two angles and its deviation limit.
const double kEarlierBreakTangent = std::tan(61.0 * kDegree);
const double kEarlierSignTangent = std::tan(25.0 * kDegree);
constexpr double kEarlierDeviation = 40.0;

// True when the normalised direction (dx, dy) lies within share of the diagonal (sx, sy).
bool OnDiagonal(double dx, double dy, double sx, double sy, double share)
{
    return (dx > 0) == (sx > 0) && (dy > 0) == (sy > 0) && 1.0 - std::min(std::fabs(dx), std::fabs(dy)) <= share;
}

// The turn class from section a's direction to section b's.
int32_t SectionTurnBetween(const LINE_SECTION_V1& a, const LINE_SECTION_V1& b)
{
    double dot = static_cast<double>(a.dx) * b.dx + static_cast<double>(a.dy) * b.dy;
    double cross = static_cast<double>(a.dx) * b.dy - static_cast<double>(a.dy) * b.dx;
    // A section without length has no direction and continues its neighbour.
    if (dot == 0.0 && cross == 0.0) return kSectionSameLine;
    if (dot <= 0.0) return kSectionCorner;
    double t = std::fabs(cross / dot);
    if (t < kSameLineTangent) return kSectionSameLine;
    return t < kCornerTangent ? kSectionBend : kSectionCorner;
}

// A new shape holding n points of p as one sub-polyline, its buffers sized to them: a piece
// is not grown once it is cut.
PlotShape* PieceOf(const float* p, int n)
{
    auto* piece = new PlotShape;
    piece->ReserveExactly(1, n);
    piece->Append(p, n);
    return piece;
}

}  // namespace

void CPathAnalysis::SetCrv(float* pts, int n)
{
    points = pts;
    count = pts ? n : 0;
    cursor = 0;
    ringHead = 0;
    ringTail = 0;
}

int CPathAnalysis::GetNextBreakPoint_t(int start) const
{
    if (start < 0 || start >= count - 1) return -1;
    if (start + 1 == count - 1) return start + 1;
    const double t1 = std::tan(smallTurn * kDegree), t2 = std::tan(largeTurn * kDegree);
    const float* p = points;
    for (int i = start + 2; i < count; ++i) {
        Turn r = TurnAt(p, i - 2, i - 1, i);
        if (r.dot <= 0.0) return i - 1;
        double s = std::fabs(r.cross / r.dot);
        if (s > t2) return i - 1;
        if (s < t1) continue;
        // d(L): how far a corner arc across a segment of length L departs from the vertex.
        auto deviation = [s](double L) {
            double h = (L / 2.0) / s;
            return std::sqrt(h * h + (L / 2.0) * (L / 2.0)) - h;
        };
        double theta = std::atan(r.cross / r.dot);
        double lu = SegmentLength(p, i - 2, i - 1), lv = SegmentLength(p, i - 1, i);
        bool hasBefore = i - 3 >= start, hasAfter = i + 1 < count;
        double shareBefore = hasBefore ? std::fabs(SignedTurn(TurnAt(p, i - 3, i - 2, i - 1)) / theta) : 0.0;
        double shareAfter = hasAfter ? std::fabs(SignedTurn(TurnAt(p, i - 1, i, i + 1)) / theta) : 0.0;
        if (hasBefore && shareBefore > kNeighbourShare && deviation(lu) < kBendDeviation) continue;
        if (hasAfter && shareAfter > kNeighbourShare && deviation(lv) < kBendDeviation) continue;
        bool isolated = (hasBefore || hasAfter) && (!hasBefore || shareBefore < kNeighbourShare) &&
                        (!hasAfter || shareAfter < kNeighbourShare);
        if (isolated) return i - 1;
        if (deviation(std::min(lu, lv)) > kCornerDeviation) return i - 1;
    }
    return count - 1;
}

int CPathAnalysis::GetNextLine(int i) const { return StraightRunEnd(points, count, i, 1); }

int CPathAnalysis::GetPresLine(int i) const { return StraightRunEnd(points, count, i, -1); }

void CPathAnalysis::CurveSplit(PlotShapeList* out)
{
    if (!out) return;
    for (int i = 0;;) {
        int e = GetNextBreakPoint_t(i);
        if (e <= 0) return;
        out->AddTail(PieceOf(points + 2 * i, e - i + 1));
        i = e;
    }
}

void ShapeBreak(PlotShape* shape, PlotShapeList* out, float smallTurn, float largeTurn, int colour)
{
    if (!shape || !out) return;
    int pieceNumber = 0;
    for (int pl = 0; pl < shape->GetPlNum(); ++pl) {
        int32_t n = 0;
        float* p = shape->GetPl(pl, n);
        if (n <= 0) continue;
        PlotShapeList pieces;
        if (n == 1) {
            // A lone point has no segment to break; it stays a piece of its own.
            pieces.AddTail(PieceOf(p, 1));
        } else {
            CPathAnalysis analysis;
            analysis.smallTurn = smallTurn;
            analysis.largeTurn = largeTurn;
            analysis.SetCrv(p, n);
            analysis.CurveSplit(&pieces);
        }
        for (PlotShape* piece = pieces.HeadShape(); piece; piece = pieces.ShapeAfter(piece)) {
            piece->CopyAttrib(*shape);
            if (colour != 0) piece->SetPenIndex(pieceNumber % 2 == 0 ? kFirstPiecePen : kSecondPiecePen);
            ++pieceNumber;
        }
        out->Append(&pieces);
    }
}

int CalPathInfo1(CurveFitBuffers& buffers, int count, const float* points, float corner, float tolerance)
{
    std::vector<float>& records = buffers.records;
    records.clear();
    const std::vector<CFloatPoint>& p = buffers.points;
    preprocess::DistinctPoints(points, count, buffers.points);
    const int n = static_cast<int>(p.size());
    if (n < 2) return 0;
    if (n == 2) {
        CFloatPoint d = p[1] - p[0];
        float alpha = static_cast<float>(d.Angle());
        records.assign({static_cast<float>(p[0].x), static_cast<float>(p[0].y), alpha, 0.0f,
                        static_cast<float>(p[1].x), static_cast<float>(p[1].y), alpha, static_cast<float>(d.Length())});
        return 2;
    }
    CArray<OL_2dFloatPoint>& controls = buffers.controls;
    controls.RemoveAll();
    auto add = [&controls](const CFloatPoint& q) { controls.Add(OL_2dFloatPoint(static_cast<float>(q.x), static_cast<float>(q.y))); };
    add(p[0]);
    add((p[0] + p[1]) * 0.5);
    for (int i = 2; i < n; ++i) {
        const CFloatPoint& pa = p[static_cast<size_t>(i - 2)];
        const CFloatPoint& pb = p[static_cast<size_t>(i - 1)];
        const CFloatPoint& pc = p[static_cast<size_t>(i)];
        CFloatPoint u = pb - pa, v = pc - pb;
        double lu = u.Length(), lv = v.Length();
        CFloatPoint q = v / u;
        double cosPhi = q.x / q.Length();
        double half = (1.0 - cosPhi) / 2.0;
        // g: the distance from the vertex at which a corner arc about corner deep begins;
        // a straight vertex has none.
        double g = half > 0.0 ? corner / std::sqrt(half) : HUGE_VAL;
        if (g < lu / 3.0) add(pb - u * (g / lu));
        else if (g < lu / 2.0) add(pa + u * (2.0 / 3.0));
        add(pb);
        if (g < lv / 3.0) add(pb + v * (g / lv));
        else if (g < lv / 2.0) add(pb + v * (1.0 / 3.0));
        add((pb + pc) * 0.5);
    }
    add(p.back());
    OL_BSpline& curve = buffers.curve;
    if (!curve.CreateByCtlPt(controls)) return 0;
    const int m = curve.Subdivide(records, tolerance, kFitAngleTolerance);
    if (m <= 0) return 0;
    double length = 0.0;
    records[3] = 0.0f;
    for (int k = 1; k < m; ++k) {
        const float* a = records.data() + 4 * (k - 1);
        float* b = records.data() + 4 * k;
        length += std::hypot(static_cast<double>(b[0]) - a[0], static_cast<double>(b[1]) - a[1]);
        b[3] = static_cast<float>(length);
    }
    return m;
}

void BreakForFit(PlotShape* shape, PlotShapeList* pieces) { ShapeBreak(shape, pieces, kFitSmallTurn, kFitLargeTurn, 0); }

void FitPiece(PlotShape* piece, PlotShapeList* out, CurveFitBuffers& buffers)
{
    int32_t n = 0;
    const float* p = piece->GetPl(0, n);
    const int m = CalPathInfo1(buffers, n, p, kFitCorner, kFitTolerance);
    piece->GoOut();
    // A piece with no curve to fit (a lone point, or all its points in one place) is kept as
    // it stands rather than lost.
    if (m > 0) {
        // The fitted curve takes the piece's place in the piece itself: its storage is kept
        // when it holds the curve, else it grows to exactly the curve's size.
        piece->ClearPoints();
        piece->ReserveExactly(1, m);
        const float* records = buffers.records.data();
        for (int k = 0; k < m; ++k) piece->AddPoint(records[4 * k], records[4 * k + 1], k == 0 ? 1 : 0);
        piece->CalArea();
    }
    out->AddTail(piece);
}

void BsplineFit(PlotShape* shape, PlotShapeList* out)
{
    if (!shape || !out) return;
    PlotShapeList pieces;
    BreakForFit(shape, &pieces);
    CurveFitBuffers buffers;
    while (PlotShape* piece = pieces.HeadShape()) FitPiece(piece, out, buffers);
}

int CPathAnalysis::GetNextLineSection(int i, LINE_SECTION_V1* section) const
{
    if (!points || !section || i < 0 || i >= count - 1) return -1;
    int last = GetNextLine(i);
    if (last <= i) return -1;
    double sx = 0.0, sy = 0.0;
    if (RunDirection(points, i, last, sx, sy) && OnDiagonal(sx, sy, sx, sy, kNearDiagonalShare)) {
        for (int next = GetNextLine(last); next > last; next = GetNextLine(last)) {
            double nx = 0.0, ny = 0.0;
            if (!RunDirection(points, last, next, nx, ny) || !OnDiagonal(nx, ny, sx, sy, kOnDiagonalShare)) break;
            last = next;
        }
    }
    double dx = static_cast<double>(points[2 * last]) - points[2 * i], dy = static_cast<double>(points[2 * last + 1]) - points[2 * i + 1];
    double len = std::hypot(dx, dy);
    section->first = i;
    section->last = last;
    section->dx = len > 0.0 ? static_cast<float>(dx / len) : 0.0f;
    section->dy = len > 0.0 ? static_cast<float>(dy / len) : 0.0f;
    section->lengthUnits = static_cast<float>(len);
    section->turnToNext = kSectionEnd;
    return last;
}

int CPathAnalysis::RingSize() const { return (ringTail - ringHead + kRingEntries) % kRingEntries; }

int CPathAnalysis::FillArray()
{
    // One entry stays free so that a full ring differs from an empty one.
    while (RingSize() < kRingEntries - 1) {
        LINE_SECTION_V1 next;
        int last = GetNextLineSection(cursor, &next);
        if (last < 0) break;
        sections[ringTail] = next;
        ringTail = static_cast<uint8_t>((ringTail + 1) % kRingEntries);
        cursor = last;
    }
    int size = RingSize();
    return size == 0 ? -1 : size;
}

void CPathAnalysis::AngleScanArray()
{
    for (int k = 0; k + 1 < RingSize(); ++k) {
        LINE_SECTION_V1& a = sections[(ringHead + k) % kRingEntries];
        a.turnToNext = SectionTurnBetween(a, sections[(ringHead + k + 1) % kRingEntries]);
    }
    if (RingSize() > 0) sections[(ringHead + RingSize() - 1) % kRingEntries].turnToNext = kSectionEnd;
}

int CPathAnalysis::GetNextCrvSection(SECTION* section)
{
    if (!section) return 0;
    auto refill = [this]() {
        int size = FillArray();
        AngleScanArray();
        return size;
    };
    if (refill() <= 0) return 0;
    LINE_SECTION_V1 head = sections[ringHead];
    auto pop = [this]() { ringHead = static_cast<uint8_t>((ringHead + 1) % kRingEntries); };
    pop();
    section->first = head.first;
    section->last = head.last;
    section->lengthUnits = head.lengthUnits;
    const bool curve = head.lengthUnits <= kLongSection && head.turnToNext == kSectionBend;
    const bool line = head.lengthUnits > kLongSection || head.turnToNext == kSectionSameLine;
    section->kind = curve ? 1 : line ? 0 : 2;
    if (section->kind == 2) return 1;
    // Joins the following sections while the turn into them fits the section's kind.
    for (int32_t turn = head.turnToNext; refill() > 0;) {
        const LINE_SECTION_V1& next = sections[ringHead];
        bool joins = curve ? turn == kSectionBend && next.lengthUnits <= kLongSection &&
                                 section->lengthUnits + next.lengthUnits <= kLongestCurve
                           : turn == kSectionSameLine;
        if (!joins) break;
        section->last = next.last;
        section->lengthUnits += next.lengthUnits;
        turn = next.turnToNext;
        pop();
    }
    return 1;
}

int CPathAnalysis::GetSectPoint(PlotShapeList* out)
{
    if (!out) return 0;
    int made = 0;
    SECTION section;
    while (GetNextCrvSection(&section)) {
        auto* piece = new PlotShape;
        piece->Append(points + 2 * section.first, section.last - section.first + 1);
        piece->SetPenIndex(kSectionPens[section.kind]);
        out->AddTail(piece);
        ++made;
    }
    return made;
}

int CPathAnalysis::GetShapePoint(PlotShape* shape) const
{
    if (!shape || !points || count <= 0) return 0;
    shape->AddPoint(points[0], points[1], 1);
    int written = 1;
    LINE_SECTION_V1 section;
    for (int i = 0, last; (last = GetNextLineSection(i, &section)) > i; i = last) {
        shape->AddPointAtLastPl(points[2 * last], points[2 * last + 1]);
        ++written;
    }
    shape->CalArea();
    return written;
}

int CPathAnalysis::GetNextBreakPoint(int start) const
{
    if (!points || start < 0 || start >= count - 1) return -1;
    if (start + 1 == count - 1) return start + 1;
    const float* p = points;
    for (int i = start + 2; i < count; ++i) {
        Turn r = TurnAt(p, i - 2, i - 1, i);
        // A segment without length has no turn.
        if (r.dot == 0.0 && r.cross == 0.0) continue;
        if (r.dot <= 0.0) return i - 1;
        double s = std::fabs(r.cross / r.dot);
        if (s > kEarlierBreakTangent) return i - 1;
        if (s == 0.0) continue;
        double theta = std::atan(r.cross / r.dot);
        if (s >= kEarlierSignTangent) {
            // A turn whose neighbours turn the other way is a corner between two lines.
            double before = i - 3 >= start ? SignedTurn(TurnAt(p, i - 3, i - 2, i - 1)) : 0.0;
            double after = i + 1 < count ? SignedTurn(TurnAt(p, i - 1, i, i + 1)) : 0.0;
            if (before * theta < 0.0 || after * theta < 0.0) return i - 1;
        }
        double half = std::min(SegmentLength(p, i - 2, i - 1), SegmentLength(p, i - 1, i)) / 2.0;
        double h = half / s;
        if (std::sqrt(h * h + half * half) - h > kEarlierDeviation) return i - 1;
    }
    return count - 1;
}
