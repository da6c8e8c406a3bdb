// Knife compensation: the holder path that makes a trailing drag knife cut the drawn lines.
//
// Method: the blade point trails the holder axis by the offset a along the knife direction.
// Each sub-polyline is walked chord by chord: a chord from vertex s is grown over the next
// vertices up to 2a long (as long as they progress along it) and classed as short or long
// straight, arc (its bulge fits a circle of radius about 2a or more) or wavy. A turn sharper
// than pi/7.8 from the knife direction makes a separate turning piece (MauIndex 130): the
// knife swings on the spot about a point `lead` before the corner. Short and wavy chords are
// written as offset points (vertex + a·direction); long and arc chords are followed on the
// line itself with the blade trailing, closed by a catch-up point. Every cut piece is
// extended by `tail` past its end. Small circular holes get a stroke through the centre and
// a hole path of their own.
//
// Units: plotter units (40 per mm); over-cuts arrive in mm. Preconditions: none; repeated
// points are passed over, empty sub-polylines give nothing.
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"
#include "preprocess/chord_compensation.h"
#include "preprocess/point_sequence.h"

#include "plotmodel/shape_runs.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <numbers>
#include <vector>

namespace {

using preprocess::NonNegative;
using preprocess::Unit;

constexpr double kPi = std::numbers::pi;
using preprocess::kCornerAngle;
// Turning arcs are divided into steps of at most 15 degrees.
constexpr double kTurnStep = 0.2617993877991494;
constexpr double kUnitsPerMm = 40.0;
// Small holes: circle tolerance and the radius below which a circle gets a hole path.
constexpr float kCircleTolerance = 3.0f;
constexpr float kSmallHoleRadius = 120.0f;
// The restart search of closed shapes: within 10 degrees of the x axis, at least 160 units.
constexpr float kLevelTangent = 0.17632698070846498f;
constexpr float kLevelMinLength = 160.0f;
// Bisection tolerances of the distance point.
constexpr double kDistanceTolerance = 1e-6;
constexpr double kSegmentTolerance = 0.1;

enum class ChordKind { kShortStraight, kLongStraight, kArc, kWavy };

// The working storage of the chord walk, one set per thread, kept from shape to shape: the
// distinct points of a sub-polyline, the points of an arc chord and the piece being built.
// A piece is handed over as an exact copy, so each costs one allocation for the shape and at
// most one for its points, however it grew.
struct ChordWalkBuffers {
    std::vector<CFloatPoint> points;
    std::vector<float> chord;
    PlotShape piece;
};

ChordWalkBuffers& ThreadChordWalkBuffers()
{
    thread_local ChordWalkBuffers buffers;
    return buffers;
}

// The chord walk of one sub-polyline; appends its pieces to out.
class ChordWalk {
public:
    ChordWalk(const PlotShape& source, PlotShapeList& out, double offset, CFloatPoint& dir,
              const preprocess::ChordWalkOptions& options, ChordWalkBuffers& buffers)
        : source_(source), out_(out), a_(offset), dir_(dir), lead_(options.leadUnits), tail_(options.tailUnits),
          arcEntryPoint_(options.arcEntryPoint), offsetRunCorner_(options.offsetRunCornerAngle),
          piece_(buffers.piece), chord_(buffers.chord)
    {
    }

    void Run(const std::vector<CFloatPoint>& p);

private:
    // A new piece with the attributes a new shape has, starting at q.
    void StartPiece(const CFloatPoint& q)
    {
        piece_.ClearKeepingStorage();
        Add(q);
    }
    // A new cut piece with the source's attributes, starting at q.
    void StartCutPiece(const CFloatPoint& q)
    {
        piece_.ClearKeepingStorage();
        piece_.CopyAttrib(source_);
        Add(q);
    }
    void Add(const CFloatPoint& q) { piece_.AddPointAtLastPl(static_cast<float>(q.x), static_cast<float>(q.y)); }
    // Hands a copy of the current piece to out with its bounds.
    void Emit()
    {
        piece_.CalArea();
        out_.AddTail(piece_.NewCopy());
    }
    // Makes the current piece a turning piece and hands it over.
    void EmitTurn()
    {
        piece_.SetMauIndex(CutModeIndex::kFourthDepth);
        Emit();
    }
    CFloatPoint Offset(const CFloatPoint& q) const { return q + dir_ * a_; }

    const PlotShape& source_;
    PlotShapeList& out_;
    double a_;
    CFloatPoint& dir_;
    double lead_;
    double tail_;
    bool arcEntryPoint_;
    double offsetRunCorner_;
    PlotShape& piece_;
    std::vector<float>& chord_;
};

// Grows the chord from p[s] vertex by vertex while it stays shorter than 2a; i, L and dev are
// those of the last accepted chord.
void LookAhead(const std::vector<CFloatPoint>& p, int s, int& i, double& L, float& dev, double a)
{
    const int n = static_cast<int>(p.size());
    for (int next = i + 1; next < n; ++next) {
        CFloatPoint d = p[static_cast<size_t>(next)] - p[static_cast<size_t>(s)];
        double D = d.Length();
        // A chord that closes back on its start (a loop shorter than 2a) has no direction.
        if (!(D > 0.0)) return;
        CFloatPoint u = d * (1.0 / D);
        double previousAlong = 0.0, maxAcross = 0.0;
        for (int k = s + 1; k < next; ++k) {
            CFloatPoint w = p[static_cast<size_t>(k)] - p[static_cast<size_t>(s)];
            double along = u.x * w.x + u.y * w.y;
            if (along < previousAlong || along > D) return;
            previousAlong = along;
            double across = w.y * u.x - w.x * u.y;
            if (std::fabs(across) > std::fabs(maxAcross)) maxAcross = across;
        }
        i = next;
        L = D;
        dev = static_cast<float>(maxAcross);
        if (D > 2.0 * a) return;
    }
}

void ChordWalk::Run(const std::vector<CFloatPoint>& p)
{
    const int n = static_cast<int>(p.size());
    if (n == 0) return;
    StartCutPiece(Offset(p[0]));
    if (n == 1) {
        Emit();
        return;
    }
    auto at = [&p](int k) -> const CFloatPoint& { return p[static_cast<size_t>(k)]; };
    int s = 0, i = 1;
    float arcBias = 0.0f;
    ChordKind kind = ChordKind::kLongStraight;
    while (i < n) {
        double L = (at(i) - at(s)).Length();
        float dev = 0.0f;
        if (L < 2.0 * a_) LookAhead(p, s, i, L, dev, a_);

        CFloatPoint X;
        int j = 0;
        if (dev == 0.0f) {
            kind = L < a_ ? ChordKind::kShortStraight : ChordKind::kLongStraight;
            arcBias = -0.2f;
        } else {
            double R = (L * L / 4.0 + static_cast<double>(dev) * dev) / (2.0 * std::fabs(dev));
            if (R >= a_ * (2.0 + arcBias) && L >= a_ && !arcEntryPoint_) {
                // Without the arc's entry point an arc is cut as an offset run.
                kind = ChordKind::kWavy;
                arcBias = -0.2f;
            } else if (R >= a_ * (2.0 + arcBias) && L >= a_) {
                kind = ChordKind::kArc;
                arcBias = -0.2f;
                chord_.clear();
                for (int k = s; k <= i; ++k) chord_.insert(chord_.end(), {static_cast<float>(at(k).x), static_cast<float>(at(k).y)});
                j = PlotShape::CalCompensateArc(X, chord_.data(), i - s, static_cast<float>(a_));
                // The chord is at least a long, so a vertex that far always exists; should
                // rounding deny it, the chord is cut as a wavy one.
                if (j < 1) kind = ChordKind::kWavy;
            } else {
                kind = ChordKind::kWavy;
                arcBias = 0.5f;
            }
        }

        CFloatPoint v;
        switch (kind) {
        case ChordKind::kShortStraight:
        case ChordKind::kWavy: v = at(s + 1) - at(s); break;
        case ChordKind::kLongStraight: v = at(i) - at(s); break;
        case ChordKind::kArc: v = X - at(s); break;
        }

        bool offsetRun = kind == ChordKind::kShortStraight || kind == ChordKind::kWavy;
        if (std::fabs(CFloatPoint::CalAngle(dir_, v)) > (offsetRun ? offsetRunCorner_ : kCornerAngle)) {
            if (piece_.GetTolPtNum() > 1) {
                piece_.ExtendAtEnd(static_cast<float>(tail_));
                Emit();
                StartPiece(Offset(at(s)));
            }
            CFloatPoint back(-v.x, -v.y);
            CFloatPoint q = at(s) + Unit(back, CFloatPoint(0.0, 0.0)) * lead_;
            CFloatPoint first = Offset(q);
            piece_.ReplaceVertex(0, static_cast<float>(first.x), static_cast<float>(first.y));
            piece_.CalCompensateArc(q, dir_, v, static_cast<float>(a_));
            dir_ = Unit(v, dir_);
            Add(Offset(q));
            EmitTurn();
            StartCutPiece(Offset(q));
            if (kind == ChordKind::kArc) {
                Add(X);
                Add(at(s + j));
                dir_ = Unit(at(s + j) - X, dir_);
            }
        } else if (kind == ChordKind::kArc) {
            Add(X);
            if (s == 0) {
                EmitTurn();
                StartCutPiece(X);
            }
            Add(at(s + j));
            dir_ = Unit(at(s + j) - X, dir_);
        } else if (kind != ChordKind::kWavy && s == 0) {
            dir_ = Unit(v, dir_);
            Add(Offset(at(0)));
            EmitTurn();
            StartCutPiece(Offset(at(0)));
        }

        if (offsetRun) {
            for (int k = s + 1; k <= i; ++k) {
                dir_ = Unit(at(k) - at(k - 1), dir_);
                Add(Offset(at(k)));
            }
            s = i;
            i = i + 1;
            continue;
        }
        if (kind == ChordKind::kLongStraight) {
            dir_ = Unit(at(i) - at(i - 1), dir_);
            Add(at(i));
        } else {
            for (int k = s + j + 1; k <= i; ++k) {
                Add(at(k));
                dir_ = Unit(at(k) - at(k - 1), dir_);
            }
        }
        // Follow the line itself while it turns less than the corner angle.
        int k = i + 1;
        for (; k < n; ++k) {
            CFloatPoint seg = at(k) - at(k - 1);
            if (std::fabs(CFloatPoint::CalAngle(dir_, seg)) >= kCornerAngle) break;
            Add(at(k));
            dir_ = Unit(seg, dir_);
        }
        Add(Offset(at(k - 1)));
        s = k - 1;
        i = k;
    }

    if (piece_.GetTolPtNum() > 1) {
        if (kind == ChordKind::kWavy) {
            int m = piece_.GetTolPtNum();
            dir_ = Unit(piece_.Point(m - 1) - piece_.Point(m - 2), dir_);
        }
        piece_.ExtendAtEnd(static_cast<float>(tail_));
        Emit();
    }
}

}  // namespace

void preprocess::CompensateByChords(const PlotShape& source, PlotShapeList& out, float offset, CFloatPoint& dir,
                                    const ChordWalkOptions& options)
{
    dir = Unit(dir, CFloatPoint(1.0, 0.0));
    double a = NonNegative(offset);
    ChordWalkBuffers& buffers = ThreadChordWalkBuffers();
    for (int pl = 0; pl < source.GetPlNum(); ++pl) {
        int32_t n = 0;
        const float* xy = source.GetPl(pl, n);
        preprocess::DistinctPoints(xy, n, buffers.points);
        ChordWalk(source, out, a, dir, options, buffers).Run(buffers.points);
    }
}

namespace {

// Moves the pieces of pieces to the tail of out, each not turning piece with mau as its MauIndex.
void MovePieces(PlotShapeList& out, PlotShapeList& pieces, unsigned char mau)
{
    while (PlotShape* piece = pieces.HeadShape()) {
        piece->GoOut();
        if (piece->GetMauIndex() != CutModeIndex::kFourthDepth) piece->SetMauIndex(mau);
        out.AddTail(piece);
    }
}

// Appends the replacement of the small circular hole d to out: a stroke through its centre
// and a hole path.
void CompensateSmallHole(PlotShapeList& out, const PlotShape& d, float radius, float a, CFloatPoint& dir)
{
    OL_Box box;
    d.CalBox(box);
    CFloatPoint m = box.Center();
    PlotShape circle;
    circle.CreateCircle(radius / static_cast<float>(kUnitsPerMm));
    circle.Move(static_cast<float>(m.x), static_cast<float>(m.y));
    circle.CalArea();
    PlotShape stroke;
    float reach = 2.0f * radius / 3.0f;
    stroke.AddPoint(0.0f, -reach, 1);
    stroke.AddPoint(0.0f, reach, 0);
    stroke.Move(static_cast<float>(m.x), static_cast<float>(m.y));
    stroke.CalArea();

    PlotShapeList pieces;
    stroke.KnifeCompensate_cut4(pieces, a, dir, 0.0f, 0.0f);
    auto hole = std::make_unique<PlotShape>();
    hole->CopyAttrib(d);
    int32_t n = 0;
    const float* ring = circle.GetPl(0, n);
    hole->CalCompensateSmallArc_slick(ring, n, dir, a);
    hole->CalArea();
    MovePieces(out, pieces, d.GetMauIndex());
    out.AddTail(hole.release());
}

// The compensation of a run of consecutive shapes: its pieces in out, in order, where each
// shape kept as it is (MauIndex 8) stands as an empty placeholder until Commit puts the shape
// itself there. The run's own shapes stay, but for their repeated points (removing them again
// changes nothing), so that a run started from a wrong direction can be compensated again.
struct CompensatedRun {
    PlotShapeList out;
    std::vector<std::pair<PlotShape*, PlotShape*>> kept;  // placeholder, shape
    CFloatPoint dirIn;
    CFloatPoint dirOut;

    // Compensates the shapes of source from first on, from the knife direction dir; false
    // when control stops it.
    bool Compensate(const PlotShapeList& source, PlotShape* first, float a, float lead, float tail, CFloatPoint dir,
                    ShapeRunControl* control);
    // Puts the kept shapes in their places (the run's list keeps the rest, to be deleted).
    void Commit();
};

bool CompensatedRun::Compensate(const PlotShapeList& source, PlotShape* first, float a, float lead, float tail,
                                CFloatPoint dir, ShapeRunControl* control)
{
    out.Clear();
    kept.clear();
    dirIn = dir;
    for (PlotShape* d = first; d; d = source.ShapeAfter(d)) {
        if (control && !control->Next()) return false;
        d->DeleteRepeatPoint();
        if (d->GetMauIndex() == CutModeIndex::kNoCompensation) {
            auto* placeholder = new PlotShape;
            out.AddTail(placeholder);
            kept.emplace_back(placeholder, d);
            continue;
        }
        float radius = 0.0f;
        if (d->IsCircle(&radius, kCircleTolerance) && radius < kSmallHoleRadius) {
            CompensateSmallHole(out, *d, radius, a, dir);
            continue;
        }
        // A closed line restarts in the middle of its longest level segment. Only a line of
        // one sub-polyline that still has more than 3 points is restarted: the restart would
        // join several sub-polylines across their travel, and a line folded to 3 points or
        // fewer has no segment to restart in.
        const PlotShape* subject = d;
        std::unique_ptr<PlotShape> restarted;
        if (d->IsClose()) {
            int e = d->FindVerticalLine(kLevelTangent, kLevelMinLength);
            if (e >= 0 && d->GetPlNum() == 1 && d->GetTolPtNum() > 3) {
                restarted = std::make_unique<PlotShape>();
                d->StartAtMidVertex(e, restarted.get());
                subject = restarted.get();
            }
        }
        PlotShapeList pieces;
        subject->KnifeCompensate_cut4(pieces, a, dir, lead, tail);
        MovePieces(out, pieces, subject->GetMauIndex());
    }
    dirOut = dir;
    return true;
}

void CompensatedRun::Commit()
{
    for (auto& [placeholder, shape] : kept) {
        shape->GoOut();
        out.Replace(shape, placeholder);
        delete placeholder;
    }
    kept.clear();
}

bool SameDirection(const CFloatPoint& a, const CFloatPoint& b)
{
    return std::memcmp(&a.x, &b.x, sizeof a.x) == 0 && std::memcmp(&a.y, &b.y, sizeof a.y) == 0;
}

// A run's direction is guessed from the last shapes of the run before it, compensated from
// the x direction: a shape's outgoing direction mostly depends on its own last segments alone.
constexpr int kGuessShapes = 2;

}  // namespace

void PlotShape::KnifeCompensate_cut4(PlotShapeList& out, float offset, CFloatPoint& dir, float startOverCutMm,
                                     float endOverCutMm) const
{
    preprocess::ChordWalkOptions options;
    options.leadUnits = NonNegative(startOverCutMm) * kUnitsPerMm;
    options.tailUnits = NonNegative(endOverCutMm) * kUnitsPerMm;
    preprocess::CompensateByChords(*this, out, offset, dir, options);
}

void PlotShape::KnifeCompensate_cut3(PlotShapeList& out, float offset, CFloatPoint& dir) const
{
    preprocess::CompensateByChords(*this, out, offset, dir, preprocess::ChordWalkOptions{});
}

int PlotShape::CalCompensateSmallArc_slick(const float* pts, int n, CFloatPoint& dir, float offset)
{
    std::vector<CFloatPoint> q = preprocess::DistinctPoints(pts, n);
    if (q.size() < 3) return 0;
    double a = NonNegative(offset);
    const CFloatPoint u0 = Unit(q[1] - q[0], dir);
    CalCompensateArc(q[0], dir, u0, static_cast<float>(a));
    AddPointAtLastPl(static_cast<float>(q[0].x + a * u0.x), static_cast<float>(q[0].y + a * u0.y));
    for (size_t k = 1; k + 1 < q.size(); ++k) {
        CFloatPoint u = Unit(q[k + 1] - q[k], dir);
        AddPointAtLastPl(static_cast<float>(q[k].x + a * u.x), static_cast<float>(q[k].y + a * u.y));
        dir = u;
    }
    CalCompensateArc(q[0], dir, u0, static_cast<float>(a));
    AddPointAtLastPl(static_cast<float>(q[0].x + a * u0.x), static_cast<float>(q[0].y + a * u0.y));
    dir = u0;
    return 0;
}

int PlotShape::CalCompensateSmallArc(const float* pts, int n, CFloatPoint& dir, float offset)
{
    std::vector<CFloatPoint> q = preprocess::DistinctPoints(pts, n);
    if (q.size() < 3) return 0;
    double a = NonNegative(offset);
    const CFloatPoint u0 = Unit(q[1] - q[0], dir);
    CalCompensateArc(q[0], dir, u0, static_cast<float>(a));
    AddPointAtLastPl(static_cast<float>(q[0].x + a * u0.x), static_cast<float>(q[0].y + a * u0.y));
    for (size_t k = 0; k + 1 < q.size(); ++k) {
        CFloatPoint u = Unit(q[k + 1] - q[k], dir);
        CalCompensateArc(q[k], dir, u, static_cast<float>(a));
        AddPointAtLastPl(static_cast<float>(q[k].x + a * u.x), static_cast<float>(q[k].y + a * u.y));
        dir = u;
    }
    CalCompensateArc(q[0], dir, u0, static_cast<float>(a));
    AddPointAtLastPl(static_cast<float>(q[0].x + a * u0.x), static_cast<float>(q[0].y + a * u0.y));
    dir = u0;
    return 0;
}

int PlotShape::CalCompensateArc(CFloatPoint& x, const float* pts, int last, float dist)
{
    if (!pts || last < 1) return -1;
    auto at = [pts](int k) { return CFloatPoint(pts[2 * k], pts[2 * k + 1]); };
    const CFloatPoint q0 = at(0);
    int j = 1;
    while (j <= last && (at(j) - q0).Length() < dist) ++j;
    if (j > last) return -1;
    const CFloatPoint A = at(j - 1);
    const CFloatPoint S = at(j) - A;
    const double span = S.Length();
    double t = 0.5, lo = 0.0, hi = 1.0;
    CFloatPoint X = A + S * t;
    if (span > kSegmentTolerance) {
        do {
            double h = (X - q0).Length();
            if (h > dist) {
                if (h - dist < kDistanceTolerance) break;
                hi = t;
                t = (t + lo) / 2.0;
            } else {
                if (dist - h < kDistanceTolerance) break;
                lo = t;
                t = (t + hi) / 2.0;
            }
            X = A + S * t;
        } while ((hi - lo) * span > kSegmentTolerance);
    }
    x = X;
    return j;
}

void PlotShape::CalCompensateArc(CFloatPoint pivot, const CFloatPoint& from, const CFloatPoint& to, float radius)
{
    double a0 = from.Angle(), a1 = to.Angle();
    double delta = std::fabs(a1 - a0);
    if (delta > kPi) delta = 2.0 * kPi - delta;
    // A non-finite direction has no turn to draw.
    if (!std::isfinite(delta)) return;
    int steps = static_cast<int>(delta / kTurnStep + 1.0);
    bool counterClockwise = (a1 > a0 && a1 - a0 < kPi) || (a1 < a0 && a0 - a1 > kPi);
    double step = (counterClockwise ? delta : -delta) / steps;
    double c = std::cos(step), s = std::sin(step);
    CFloatPoint w = from;
    for (int k = 1; k < steps; ++k) {
        w = CFloatPoint(w.x * c - w.y * s, w.x * s + w.y * c);
        AddPointAtLastPl(static_cast<float>(pivot.x + radius * w.x), static_cast<float>(pivot.y + radius * w.y));
    }
}

// Moves an end point of the shape by length along its end direction. The direction is taken
// from the nearest point that differs from the end point: with an offset of 0 the catch-up
// point equals the vertex before it, and a zero segment has no direction. Nothing moves when
// all points coincide.
static void ExtendEnd(PlotShape& s, float length, bool atEnd)
{
    int n = s.GetTolPtNum();
    if (n < 2) return;
    int endIndex = atEnd ? n - 1 : 0;
    int step = atEnd ? -1 : 1;
    CFloatPoint end = s.Point(endIndex);
    for (int k = endIndex + step; k >= 0 && k < n; k += step) {
        CFloatPoint d = end - s.Point(k);
        double len = d.Length();
        if (len > 0.0) {
            CFloatPoint moved = end + d * (length / len);
            s.ReplaceVertex(endIndex, static_cast<float>(moved.x), static_cast<float>(moved.y));
            return;
        }
    }
}

void PlotShape::ExtendAtEnd(float length) { ExtendEnd(*this, length, true); }

void PlotShape::ExtendAtStart(float length) { ExtendEnd(*this, length, false); }

void PlotShapeList::ProKnifeCompensate(float offset, float startOverCutMm, float endOverCutMm)
{
    ProKnifeCompensate(offset, startOverCutMm, endOverCutMm, 1, {});
}

bool PlotShapeList::ProKnifeCompensate(float offset, float startOverCutMm, float endOverCutMm, int threads,
                                       const std::function<bool(int64_t)>& poll)
{
    const float a = NonNegative(offset);
    const float lead = NonNegative(startOverCutMm), tail = NonNegative(endOverCutMm);
    auto runs = SplitIntoRuns(*this, RunsForThreads(threads));
    const size_t count = runs.size();
    std::vector<CompensatedRun> done(count);
    // Each run after the first starts from the direction its guess shapes end with; the
    // guesses read the run before, so they are all made before any run is compensated.
    std::vector<CFloatPoint> start(count, CFloatPoint(1.0, 0.0));
    if (count > 1) {
        const auto guess = [&](int r, ShapeRunControl&) {
            const PlotShapeList& before = *runs[static_cast<size_t>(r)];
            auto* from = static_cast<PlotShape*>(before.GetTail());
            for (int k = 1; k < kGuessShapes && before.GetPres(from); ++k) from = static_cast<PlotShape*>(before.GetPres(from));
            CompensatedRun trial;
            trial.Compensate(before, from, a, lead, tail, CFloatPoint(1.0, 0.0), nullptr);
            start[static_cast<size_t>(r) + 1] = trial.dirOut;
        };
        RunShapeRuns(static_cast<int>(count) - 1, threads, guess, {});
    }
    // The runs are settled in order as they finish: a run whose start is the direction the
    // run before ended with is committed and its own shapes are freed at once, so that the
    // shapes and their pieces are not all held together.
    std::mutex settling;
    std::vector<char> finished(count, 0);
    size_t settled = 0;
    CFloatPoint dir(1.0, 0.0);
    const auto settle = [&](std::vector<size_t>& freed) {
        while (settled < count && finished[settled] && SameDirection(done[settled].dirIn, dir)) {
            dir = done[settled].dirOut;
            done[settled].Commit();
            freed.push_back(settled++);
        }
    };
    const auto compensate = [&](int r, ShapeRunControl& control) {
        const size_t k = static_cast<size_t>(r);
        if (!done[k].Compensate(*runs[k], runs[k]->HeadShape(), a, lead, tail, start[k], &control)) return;
        std::vector<size_t> freed;
        {
            std::lock_guard<std::mutex> hold(settling);
            finished[k] = 1;
            settle(freed);
        }
        for (size_t f : freed) runs[f]->Clear();
    };
    if (!RunShapeRuns(static_cast<int>(count), threads, compensate, poll)) return false;
    // A run whose guess was not the direction the run before it ended with is compensated
    // again from that direction, on this thread.
    while (settled < count) {
        done[settled].Compensate(*runs[settled], runs[settled]->HeadShape(), a, lead, tail, dir, nullptr);
        std::vector<size_t> freed;
        settle(freed);
        for (size_t f : freed) runs[f]->Clear();
    }
    for (CompensatedRun& run : done) Append(&run.out);
    return true;
}
