// The loop finder's round as it was before the rounds shared their work: one call per
// tolerance, the strokes moved between lists, a grid of ends made anew for each call. Kept
// for the tests only, as the reference the shared rounds must match exactly.
#include "reference_loop_finder.h"

#include "preprocess/end_point_grid.h"
#include "preprocess/stroke_ends.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace corvane_test {
namespace {

using stroke_ends::Vertex;

// A relative direction this close above the negative x axis counts as on it (y < 0.008·|x|).
constexpr double kBackwardsSlope = 0.008;

using EndGrid = EndPointGrid<int>;

// PLOT_SHAPE_SECTION: the strokes waiting for a cluster, in band order (bands of 8000 units
// from the strokes' xmin by left edge, list order within a band), owned by one list. The
// band scan of a cluster's free end visits strokes in this order; the end-point grid finds
// the same strokes without visiting the others.
struct PLOT_SHAPE_SECTION {
    int64_t bandWidth = CLoopFinder::kBandWidth;
    int64_t bandCount = 1;
    // Index of the first stroke not yet taken (the head of the current band).
    size_t current = 0;
    PlotShapeList owner;
    std::vector<PlotShape*> strokes;
    // The strokes' first and last points, in band order, read once.
    std::vector<CFloatPoint> starts, finishes;
    std::vector<bool> taken;
    EndGrid ends;

    explicit PLOT_SHAPE_SECTION(float tol) : ends(tol) {}

    // Files the strokes into bands; a stroke goes to band (xmin − list xmin) / 8000, one
    // lower when its xmin lies on a band border, at most the last band. 64-bit throughout.
    void Fill(PlotShapeList& from)
    {
        CArea bounds = from.CalArea(0);
        int64_t width = static_cast<int64_t>(bounds.xmax) - bounds.xmin;
        bandCount = std::max<int64_t>(width / bandWidth + 1 + (width % bandWidth != 0 ? 1 : 0), 1);
        std::vector<std::pair<int64_t, PlotShape*>> byBand;
        for (PlotShape* s = from.HeadShape(); s; s = from.ShapeAfter(s)) {
            int32_t xmin = s->GetArea().xmin;
            int64_t band = (static_cast<int64_t>(xmin) - bounds.xmin) / bandWidth;
            if (band > 0 && xmin % bandWidth == 0) --band;
            byBand.push_back({std::min(band, bandCount - 1), s});
        }
        std::stable_sort(byBand.begin(), byBand.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& [band, s] : byBand) {
            s->GoOut();
            owner.AddTail(s);
            strokes.push_back(s);
            starts.push_back(s->Start());
            finishes.push_back(s->End());
            ends.Add(starts.back(), static_cast<int>(strokes.size()) - 1);
            ends.Add(finishes.back(), static_cast<int>(strokes.size()) - 1);
        }
        taken.assign(strokes.size(), false);
    }
};

// A stroke of the cluster being searched and what the search knows of it.
struct Stroke {
    PlotShape* shape;
    CFloatPoint start, end;
    double minX;
    // Slope of the steepest segment at the leftmost vertex (infinite for a vertical one).
    double steepness;
    bool aside = false;
    bool used = false;
    bool inChain = false;
};

// One link of the chain: a stroke and whether it runs reversed.
struct Link {
    int stroke;
    bool reversed;
};

// The cluster being searched: its strokes (owned by a list while they wait) and, for a large
// cluster, an index of their end points by grid cell, so the strokes touching a point are
// found without a scan.
class Cluster {
public:
    explicit Cluster(float tol) : tol_(tol) {}

    PlotShapeList& Owner() { return owner_; }
    std::vector<Stroke>& Strokes() { return strokes_; }

    void Add(PlotShape* s)
    {
        s->GoOut();
        owner_.AddTail(s);
        int32_t n = 0;
        const float* p = s->GetPl(0, n);
        int32_t left = stroke_ends::LeftmostVertex(p, n);
        double steep = 0.0;
        for (int32_t k : {left - 1, left + 1}) {
            if (k < 0 || k >= n) continue;
            CFloatPoint d = Vertex(p, k) - Vertex(p, left);
            steep = std::max(steep, d.x == 0 ? std::numeric_limits<double>::infinity() : std::fabs(d.y / d.x));
        }
        strokes_.push_back({s, Vertex(p, 0), Vertex(p, n - 1), p[2 * left], steep});
    }

    // The free strokes (not used, not aside, not in the chain) with an end within tol of q,
    // ascending. A small cluster is scanned; a larger one files its ends in a grid once.
    void Touching(const CFloatPoint& q, std::vector<int>& out)
    {
        out.clear();
        auto consider = [&](int i) {
            const Stroke& s = strokes_[static_cast<size_t>(i)];
            if (s.used || s.aside || s.inChain) return;
            if (s.start.IsCloseTo(q, tol_) || s.end.IsCloseTo(q, tol_)) out.push_back(i);
        };
        if (strokes_.size() <= kScannedClusterSize) {
            for (int i = 0; i < static_cast<int>(strokes_.size()); ++i) consider(i);
            return;
        }
        if (!grid_) {
            grid_ = std::make_unique<EndGrid>(tol_);
            for (int i = 0; i < static_cast<int>(strokes_.size()); ++i) {
                grid_->Add(strokes_[static_cast<size_t>(i)].start, i);
                grid_->Add(strokes_[static_cast<size_t>(i)].end, i);
            }
        }
        grid_->Near(q, consider);
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
    }

    // Marks a free stroke (or one of the chain) as leading nowhere / as joined into a loop.
    void SetAside(int i)
    {
        strokes_[static_cast<size_t>(i)].aside = true;
        aside_.push_back(i);
    }
    void SetUsed(int i)
    {
        strokes_[static_cast<size_t>(i)].used = true;
        ++usedCount_;
    }
    // Frees every stroke set aside (after a loop was found).
    void ClearAside()
    {
        for (int i : aside_) strokes_[static_cast<size_t>(i)].aside = false;
        aside_.clear();
    }
    bool AnyFree() const { return usedCount_ + aside_.size() < strokes_.size(); }

    // The free stroke a loop search starts at: the smallest leftmost x, on equal x the
    // steepest segment at the leftmost vertex, on equal both the first; -1 when none is free.
    int FirstFree()
    {
        if (byStart_.empty()) Rank();
        if (!ranked_) {
            int first = -1;
            for (int i = 0; i < static_cast<int>(strokes_.size()); ++i) {
                const Stroke& s = strokes_[static_cast<size_t>(i)];
                if (s.used || s.aside) continue;
                if (first < 0 || StartsBefore(s, strokes_[static_cast<size_t>(first)])) first = i;
            }
            return first;
        }
        while (nextStart_ < byStart_.size() && strokes_[static_cast<size_t>(byStart_[nextStart_])].used) ++nextStart_;
        for (size_t k = nextStart_; k < byStart_.size(); ++k) {
            const Stroke& s = strokes_[static_cast<size_t>(byStart_[k])];
            if (!s.used && !s.aside) return byStart_[k];
        }
        return -1;
    }

private:
    static bool StartsBefore(const Stroke& a, const Stroke& b)
    {
        return a.minX < b.minX || (a.minX == b.minX && a.steepness > b.steepness);
    }
    // Orders the strokes as FirstFree takes them, once; a cluster with a coordinate that is no
    // number has no such order and is scanned instead.
    void Rank()
    {
        byStart_.resize(strokes_.size());
        for (size_t i = 0; i < strokes_.size(); ++i) {
            byStart_[i] = static_cast<int>(i);
            if (std::isnan(strokes_[i].minX) || std::isnan(strokes_[i].steepness)) ranked_ = false;
        }
        if (ranked_)
            std::stable_sort(byStart_.begin(), byStart_.end(), [this](int a, int b) {
                return StartsBefore(strokes_[static_cast<size_t>(a)], strokes_[static_cast<size_t>(b)]);
            });
    }

    // Clusters of up to this many strokes are scanned rather than filed in a grid.
    static constexpr size_t kScannedClusterSize = 24;

    float tol_;
    PlotShapeList owner_;
    std::vector<Stroke> strokes_;
    std::unique_ptr<EndGrid> grid_;
    std::vector<int> aside_;
    size_t usedCount_ = 0;
    std::vector<int> byStart_;
    size_t nextStart_ = 0;  // byStart_ before it holds used strokes only
    bool ranked_ = true;
};

class LoopSearch {
public:
    LoopSearch(CLoopFinder& finder, Cluster& cluster, float tol) : finder_(finder), cluster_(cluster), tol_(tol) {}

    // Searches one loop: the new loop shape (or the closed stroke itself, taken out of the
    // cluster), or null when none was found.
    PlotShape* Find();

private:
    Stroke& At(int i) { return cluster_.Strokes()[static_cast<size_t>(i)]; }
    CFloatPoint StartOf(const Link& l) { return l.reversed ? At(l.stroke).end : At(l.stroke).start; }
    CFloatPoint EndOf(const Link& l) { return l.reversed ? At(l.stroke).start : At(l.stroke).end; }
    // The direction in which the stroke leaves its start / arrives at its end, as linked.
    CFloatPoint Leaving(const Link& l);
    CFloatPoint Arriving(const Link& l);
    // The link of stroke i leaving point q (reversed when its end is the one at q).
    Link LinkAt(int i, const CFloatPoint& q) { return {i, !At(i).start.IsCloseTo(q, tol_)}; }
    // The free strokes at q as links, ordered by the angle of their leaving direction taken
    // relative to reference (no reference: absolute).
    std::vector<Link> Candidates(const CFloatPoint& q, const CFloatPoint* reference);
    // Extends chain_ depth first until it closes; false when every way leads nowhere.
    bool Extend();
    // Joins the chain into one new shape: null (strokes set aside) when the join is refused
    // or the outline is below the minimum area.
    PlotShape* Connect();

    CLoopFinder& finder_;
    Cluster& cluster_;
    float tol_;
    std::vector<Link> chain_;
    std::vector<int> touching_;
};

CFloatPoint LoopSearch::Leaving(const Link& l)
{
    int32_t n = 0;
    const float* p = At(l.stroke).shape->GetPl(0, n);
    return l.reversed ? Vertex(p, n - 2) - Vertex(p, n - 1) : Vertex(p, 1) - Vertex(p, 0);
}

CFloatPoint LoopSearch::Arriving(const Link& l)
{
    int32_t n = 0;
    const float* p = At(l.stroke).shape->GetPl(0, n);
    return l.reversed ? Vertex(p, 0) - Vertex(p, 1) : Vertex(p, n - 1) - Vertex(p, n - 2);
}

std::vector<Link> LoopSearch::Candidates(const CFloatPoint& q, const CFloatPoint* reference)
{
    cluster_.Touching(q, touching_);
    struct Ordered {
        Link link;
        CFloatPoint direction;
    };
    std::vector<Ordered> ordered;
    for (int i : touching_) {
        Link l = LinkAt(i, q);
        CFloatPoint d = Leaving(l);
        if (reference) {
            d = d / *reference;
            if (d.x < 0 && d.y > 0 && d.y < kBackwardsSlope * std::fabs(d.x)) d.y = 0;
        }
        ordered.push_back({l, d});
    }
    std::stable_sort(ordered.begin(), ordered.end(), [](const Ordered& a, const Ordered& b) {
        return CLoopFinder::VectorComp_N180P180(a.direction, b.direction) < 0;
    });
    std::vector<Link> out;
    for (const Ordered& o : ordered) out.push_back(o.link);
    return out;
}

bool LoopSearch::Extend()
{
    const CFloatPoint start = StartOf(chain_.front());
    struct Level {
        std::vector<Link> candidates;
        size_t next = 0;
    };
    std::vector<Level> levels;
    CFloatPoint incoming = Arriving(chain_.back());
    levels.push_back({Candidates(EndOf(chain_.back()), &incoming)});
    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.next >= level.candidates.size()) {
            // Every way on from here failed: the stroke that led here leads nowhere.
            levels.pop_back();
            At(chain_.back().stroke).inChain = false;
            cluster_.SetAside(chain_.back().stroke);
            chain_.pop_back();
            continue;
        }
        Link l = level.candidates[level.next++];
        Stroke& s = At(l.stroke);
        if (s.aside || s.inChain || s.used) continue;
        s.inChain = true;
        chain_.push_back(l);
        if (EndOf(l).IsCloseTo(start, tol_)) return true;
        incoming = Arriving(l);
        levels.push_back({Candidates(EndOf(l), &incoming)});
    }
    return false;
}

PlotShape* LoopSearch::Connect()
{
    auto* loop = new PlotShape;
    *loop = *At(chain_.front().stroke).shape;
    if (chain_.front().reversed) loop->Reverse();
    bool joined = true;
    for (size_t k = 1; k < chain_.size() && joined; ++k) {
        PlotShape piece;
        piece = *At(chain_[k].stroke).shape;
        if (chain_[k].reversed) piece.Reverse();
        joined = loop->AddAtLast(piece) != 0;
    }
    // A refused join is no loop: the strokes stay as they are.
    if (!joined || loop->CalArea().Area() < CLoopFinder::kMinLoopAreaMm2) {
        delete loop;
        for (const Link& l : chain_) {
            At(l.stroke).inChain = false;
            cluster_.SetAside(l.stroke);
        }
        return nullptr;
    }
    for (const Link& l : chain_) {
        Stroke& s = At(l.stroke);
        cluster_.SetUsed(l.stroke);
        s.inChain = false;
        delete s.shape;
        s.shape = nullptr;
    }
    if (finder_.LoopDirection(loop) == 1) loop->Reverse();
    return loop;
}

PlotShape* LoopSearch::Find()
{
    chain_.clear();
    const int first = cluster_.FirstFree();
    if (first < 0) return nullptr;
    Stroke& s = At(first);
    if (s.shape->IsClose(tol_)) {
        cluster_.SetUsed(first);
        PlotShape* loop = s.shape;
        s.shape = nullptr;
        loop->GoOut();
        if (finder_.LoopDirection(loop) == 1) loop->Reverse();
        return loop;
    }
    int direction = finder_.CalLoopDirection(s.shape);
    if (direction == 0 || direction == 1) {
        chain_.push_back({first, direction == 1});
    } else {
        CFloatPoint at = direction == 2 ? s.start : s.end;
        std::vector<Link> candidates = Candidates(at, nullptr);
        if (candidates.size() <= 1) {
            cluster_.SetAside(first);  // a dangling end
            return nullptr;
        }
        chain_.push_back(candidates.front());
    }
    At(chain_.front().stroke).inChain = true;
    if (!Extend()) return nullptr;
    return Connect();
}

// Takes out the first stroke of the leftmost band that has one and every stroke connected
// to it end to end (within tol); false when no stroke is left. Its own stack of free ends,
// so a chain of any length fits.
bool FindCrvCluster(PLOT_SHAPE_SECTION& section, Cluster& cluster, float tol)
{
    while (section.current < section.strokes.size() && section.taken[section.current]) ++section.current;
    if (section.current >= section.strokes.size()) return false;
    auto take = [&](size_t i) {
        section.taken[i] = true;
        cluster.Add(section.strokes[i]);
    };
    std::vector<CFloatPoint> freeEnds{section.starts[section.current], section.finishes[section.current]};
    take(section.current);
    std::vector<int> near;
    while (!freeEnds.empty()) {
        CFloatPoint q = freeEnds.back();
        freeEnds.pop_back();
        near.clear();
        section.ends.Near(q, [&](int i) {
            if (!section.taken[static_cast<size_t>(i)]) near.push_back(i);
        });
        // In band order, as a scan of the bands up to that of q.x + tol would meet them: a
        // stroke touching q starts at most tol right of it.
        std::sort(near.begin(), near.end());
        near.erase(std::unique(near.begin(), near.end()), near.end());
        for (int i : near) {
            const CFloatPoint a = section.starts[static_cast<size_t>(i)], b = section.finishes[static_cast<size_t>(i)];
            bool atStart = a.IsCloseTo(q, tol), atEnd = b.IsCloseTo(q, tol);
            if (!atStart && !atEnd) continue;
            take(static_cast<size_t>(i));
            if (atStart) freeEnds.push_back(b);
            if (atEnd) freeEnds.push_back(a);
        }
    }
    return true;
}

}  // namespace

void ReferenceLoopFinder(CLoopFinder& finder, PlotShapeList& shapes, PlotShapeList& loops, PlotShapeList& rest, float tol)
{
    PLOT_SHAPE_SECTION section(tol);
    PlotShapeList strokes;
    while (PlotShape* s = shapes.HeadShape()) {
        s->GoOut();
        // Only strokes of one sub-polyline with 2 or more points can join; the others go to
        // rest untouched rather than losing their points in a join.
        (stroke_ends::CanJoin(*s) ? strokes : rest).AddTail(s);
    }
    if (strokes.Count() == 0) return;
    section.Fill(strokes);
    for (;;) {
        Cluster cluster(tol);
        if (!FindCrvCluster(section, cluster, tol)) break;
        LoopSearch search(finder, cluster, tol);
        int failures = 0;
        for (;;) {
            PlotShape* loop = search.Find();
            if (loop) {
                loops.AddTail(loop);
                cluster.ClearAside();
                failures = 0;
                continue;
            }
            if (!cluster.AnyFree() || failures > 1) break;
            ++failures;
        }
        rest.Append(&cluster.Owner());
    }
}

}  // namespace corvane_test
