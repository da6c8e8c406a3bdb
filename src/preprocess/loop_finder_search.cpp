// CLoopFinder::LoopFinder and LoopFinderRounds: chain open strokes end to end into closed loops.
//
// Method of one round at tolerance tol: the strokes are put into vertical bands of 8000 units
// from the leftmost stroke (list order within a band). Clusters of strokes connected end to
// end (within tol per axis) are taken band by band from the left. In a cluster the loop search
// starts at the leftmost stroke and extends a chain depth first, at each free end trying the
// touching strokes in the order of their turn (sharpest turn to the right first), until the
// chain's free end comes back to its start. A closed chain of at least 100 mm² becomes one
// new shape; its strokes are deleted. Strokes that lead nowhere are set aside until the next
// loop is found; three failed searches in a row end the cluster, whose strokes stay for the
// next round in the order they joined the cluster.
//
// The rounds of a widening sequence of tolerances share what does not change between them:
// the strokes are read once into arrays, and each end's neighbours are listed once up to the
// largest tolerance (StrokeEndNeighbours), so a round visits only its own strokes' lists and
// moves no shape between lists until the last round ends. Each round gives exactly what a
// LoopFinder call on the list the round before left would: the same clusters in the same
// order, the same loops, the same order of what is left. Reading the strokes, listing the
// neighbours and renumbering run on the worker threads; the rounds run on the calling thread.
//
// Band arithmetic is 64-bit so coordinates near the ends of the 32-bit range stay ordered.
// The depth-first search keeps its own stack, so a chain of any length fits.
#include "preprocess/loop_finder.h"

#include "plotmodel/shape_runs.h"
#include "preprocess/stroke_end_neighbours.h"
#include "preprocess/stroke_ends.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

using stroke_ends::Vertex;

// A relative direction this close above the negative x axis counts as on it (y < 0.008·|x|).
constexpr double kBackwardsSlope = 0.008;
// Clusters of up to this many strokes order their loop starts by sorting; larger ones take
// them from the order of all strokes, ranked once.
constexpr size_t kSortedClusterShare = 16;
// Rounds between two renumberings of the strokes in the order they were left (the first
// after the second round).
constexpr size_t kRoundsPerRenumbering = 4;
// Strokes or search steps between two calls of the caller's proceed.
constexpr uint32_t kStepsPerProceed = 1u << 14;
// The fewest strokes a run of work on a worker thread takes.
constexpr size_t kMinStrokesPerRun = size_t{1} << 13;

// What the rounds know of one joinable stroke, read once.
struct StrokeFacts {
    PlotShape* shape;  // null once the stroke is joined into a loop and deleted
    int32_t xmin, xmax;
    // x of the leftmost vertex, and the slope of the steepest segment there (infinite for a
    // vertical one): the order in which loop searches start.
    double minX;
    double steepness;
};

bool StartsBefore(const StrokeFacts& a, const StrokeFacts& b)
{
    return a.minX < b.minX || (a.minX == b.minX && a.steepness > b.steepness);
}

bool Unranked(const StrokeFacts& s) { return std::isnan(s.minX) || std::isnan(s.steepness); }

// What the rounds read of the strokes, by id: their facts, their ends (two per stroke) and
// the vertices next to the ends.
struct StrokesRead {
    std::vector<StrokeFacts> facts;
    std::vector<StrokeEnd> ends, nextTo;
};

// One link of the chain: a stroke of the cluster (its index there) and whether it runs
// reversed.
struct Link {
    uint32_t stroke;
    bool reversed;
};

class LoopRounds {
public:
    // The strokes in list order, which is also the order of their ids: strokes that follow
    // each other in the list mostly join each other, so a round's reads stay close together.
    // The strokes are read, and their arrays renumbered, on threads worker threads.
    LoopRounds(CLoopFinder& finder, const std::vector<PlotShape*>& strokes, const std::vector<float>& tolerances,
               int threads);

    // The round of that index; loops found go to loops. False when proceed said stop.
    bool Round(size_t round, PlotShapeList& loops, const CLoopFinder::RoundProceed& proceed);
    bool AnyLeft() const { return !order_.empty(); }
    // Numbers the strokes left anew in their order and forgets the joined ones, so the next
    // rounds, which meet the strokes in about that order, read their arrays in order.
    void Renumber();
    // The strokes left, in their order; the rounds keep none.
    std::vector<PlotShape*> TakeLeft();

private:
    LoopRounds(CLoopFinder& finder, StrokesRead read, const std::vector<float>& tolerances, int threads);

    // Per cluster (indices are places in the cluster, in the order the strokes joined it).
    PlotShape* FindLoop();
    bool Extend();
    PlotShape* Connect();
    // Appends the free strokes at the end to out as links, ordered by the angle of their
    // leaving direction taken relative to reference (no reference: absolute).
    void Candidates(uint32_t end, const CFloatPoint* reference, std::vector<Link>& out);
    void Touching(uint32_t end, std::vector<uint32_t>& out);
    int FirstFree();
    void RankStarts();
    void RankAll();
    void SearchCluster(PlotShapeList& loops);
    bool Proceed();

    uint32_t Id(uint32_t k) const { return members_[k]; }
    uint32_t StartEnd(uint32_t k) const { return 2 * Id(k); }
    uint32_t FinishEnd(uint32_t k) const { return 2 * Id(k) + 1; }
    uint32_t StartOf(const Link& l) const { return l.reversed ? FinishEnd(l.stroke) : StartEnd(l.stroke); }
    uint32_t EndOf(const Link& l) const { return l.reversed ? StartEnd(l.stroke) : FinishEnd(l.stroke); }
    CFloatPoint Point(uint32_t end) const { return {ends_.End(end).x, ends_.End(end).y}; }
    bool Close(uint32_t a, uint32_t b) const { return StrokeEndNeighbours::Within(ends_.End(a), ends_.End(b), tol_); }
    // The direction in which the stroke leaves its start / arrives at its end, as linked: from
    // the end to the vertex next to it, and back.
    CFloatPoint Leaving(const Link& l) const { return Point(nextTo_, StartOf(l)) - Point(StartOf(l)); }
    CFloatPoint Arriving(const Link& l) const { return Point(EndOf(l)) - Point(nextTo_, EndOf(l)); }
    static CFloatPoint Point(const std::vector<StrokeEnd>& at, uint32_t end) { return {at[end].x, at[end].y}; }
    bool Used(uint32_t k) const { return (flags_[k] & kUsed) != 0; }
    bool Aside(uint32_t k) const { return (flags_[k] & kAside) != 0; }
    bool InChain(uint32_t k) const { return (flags_[k] & kInChain) != 0; }
    bool Free(uint32_t k) const { return flags_[k] == 0; }
    void SetInChain(uint32_t k, bool in)
    {
        flags_[k] = static_cast<uint8_t>(in ? flags_[k] | kInChain : flags_[k] & ~kInChain);
    }
    void SetAside(uint32_t k)
    {
        flags_[k] |= kAside;
        asideList_.push_back(k);
    }
    void SetUsed(uint32_t k)
    {
        flags_[k] |= kUsed;
        stamp_[Id(k)] = kJoined;
        ++usedCount_;
    }
    void ClearAside()
    {
        for (uint32_t k : asideList_) flags_[k] &= static_cast<uint8_t>(~kAside);
        asideList_.clear();
    }
    bool AnyFree() const { return usedCount_ + asideList_.size() < members_.size(); }

    static constexpr uint8_t kUsed = 1, kAside = 2, kInChain = 4;
    // stamp_ of a stroke joined into a loop.
    static constexpr uint32_t kJoined = 0xFFFFFFFFu;

    CLoopFinder& finder_;
    int threads_;  // the worker threads a renumbering runs on
    std::vector<StrokeFacts> facts_;
    StrokeEndNeighbours ends_;
    // By end: the vertex next to it on its stroke (the second, or the last but one).
    std::vector<StrokeEnd> nextTo_;
    // The strokes of all clusters by start order (StartsBefore, ties by index), unranked ones
    // left out; made when a large cluster first needs it.
    std::vector<uint32_t> byStartAll_;
    // The strokes left, in list order.
    std::vector<uint32_t> order_;

    // The round.
    float tol_ = 0.0f;
    const CLoopFinder::RoundProceed* proceed_ = nullptr;
    size_t round_ = 0;
    uint32_t steps_ = 0;
    bool stopped_ = false;
    std::vector<uint32_t> placeInBands_;  // by stroke id
    // By stroke id: the number of the round whose cluster took it, or kJoined.
    std::vector<uint32_t> stamp_;
    uint32_t roundNumber_ = 0;
    // By stroke id: its last cluster's number, and its place there.
    struct ClusterPlace {
        uint32_t cluster = 0;
        uint32_t place = 0;
    };
    std::vector<ClusterPlace> clusterOf_;
    uint32_t clusterNumber_ = 0;

    // The cluster being searched: its strokes' ids by place, and their flags.
    std::vector<uint32_t> members_;
    std::vector<uint8_t> flags_;
    std::vector<uint32_t> asideList_;
    size_t usedCount_ = 0;
    std::vector<uint32_t> byStart_;
    size_t nextStart_ = 0;
    bool ranked_ = true;
    std::vector<Link> chain_;
    std::vector<uint32_t> touching_;
    struct Ordered {
        Link link;
        CFloatPoint direction;
    };
    std::vector<Ordered> ordered_;
    // The depth-first search: the candidates of every level on one stack, each level its
    // first candidate there and how many it has tried. A level's candidates run to the top
    // of the stack, since only the top level is being tried.
    struct Level {
        size_t begin, next;
    };
    std::vector<Link> candidateStack_;
    std::vector<Level> levelStack_;
};

// Reads the strokes in runs on threads worker threads, each stroke into its own slots.
StrokesRead ReadStrokes(const std::vector<PlotShape*>& strokes, int threads)
{
    const size_t n = strokes.size();
    StrokesRead read{std::vector<StrokeFacts>(n), std::vector<StrokeEnd>(2 * n), std::vector<StrokeEnd>(2 * n)};
    ForEachIndexRun(n, kMinStrokesPerRun, threads, [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
            PlotShape* s = strokes[i];
            int32_t count = 0;
            const float* p = s->GetPl(0, count);
            read.ends[2 * i] = {p[0], p[1]};
            read.ends[2 * i + 1] = {p[2 * count - 2], p[2 * count - 1]};
            read.nextTo[2 * i] = {p[2], p[3]};
            read.nextTo[2 * i + 1] = {p[2 * count - 4], p[2 * count - 3]};
            const int32_t left = stroke_ends::LeftmostVertex(p, count);
            double steep = 0.0;
            for (int32_t k : {left - 1, left + 1}) {
                if (k < 0 || k >= count) continue;
                CFloatPoint d = Vertex(p, k) - Vertex(p, left);
                steep = std::max(steep, d.x == 0 ? std::numeric_limits<double>::infinity() : std::fabs(d.y / d.x));
            }
            read.facts[i] = {s, s->GetArea().xmin, s->GetArea().xmax, p[2 * left], steep};
        }
    });
    return read;
}

LoopRounds::LoopRounds(CLoopFinder& finder, const std::vector<PlotShape*>& strokes, const std::vector<float>& tolerances,
                       int threads)
    : LoopRounds(finder, ReadStrokes(strokes, threads), tolerances, threads)
{
}

LoopRounds::LoopRounds(CLoopFinder& finder, StrokesRead read, const std::vector<float>& tolerances, int threads)
    : finder_(finder), threads_(threads), facts_(std::move(read.facts)),
      ends_(std::move(read.ends), tolerances, threads), nextTo_(std::move(read.nextTo))
{
    const size_t n = facts_.size();
    order_.resize(n);
    for (uint32_t i = 0; i < n; ++i) order_[i] = i;
    placeInBands_.assign(n, 0);
    stamp_.assign(n, 0);
    clusterOf_.assign(n, ClusterPlace{});
}

bool LoopRounds::Proceed()
{
    if (stopped_) return false;
    if (++steps_ % kStepsPerProceed != 0 || !*proceed_) return true;
    stopped_ = !(*proceed_)(round_);
    return !stopped_;
}

// The free strokes of the cluster with an end within tol of the end, ascending by place.
void LoopRounds::Touching(uint32_t end, std::vector<uint32_t>& out)
{
    out.clear();
    ends_.ForEachWithin(end, round_, [&](uint32_t other) {
        const ClusterPlace& at = clusterOf_[other / 2];
        if (at.cluster == clusterNumber_ && Free(at.place)) out.push_back(at.place);
    });
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
}

void LoopRounds::Candidates(uint32_t end, const CFloatPoint* reference, std::vector<Link>& out)
{
    Touching(end, touching_);
    std::vector<Ordered>& ordered = ordered_;
    ordered.clear();
    for (uint32_t k : touching_) {
        const Link l{k, !Close(StartEnd(k), end)};
        CFloatPoint d = Leaving(l);
        if (reference) {
            d = d / *reference;
            if (d.x < 0 && d.y > 0 && d.y < kBackwardsSlope * std::fabs(d.x)) d.y = 0;
        }
        ordered.push_back({l, d});
        // Inserted in order, after its equals: the few candidates of a point sort stably.
        for (size_t i = ordered.size() - 1;
             i > 0 && CLoopFinder::VectorComp_N180P180(ordered[i].direction, ordered[i - 1].direction) < 0; --i)
            std::swap(ordered[i], ordered[i - 1]);
    }
    for (const Ordered& o : ordered) out.push_back(o.link);
}

// Orders all strokes by StartsBefore, ties by index, sorted with their keys at hand (as a
// stable sort of the indices would), once; the unranked ones are left out.
void LoopRounds::RankAll()
{
    struct Keyed {
        double minX, steepness;
        uint32_t id;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(facts_.size());
    for (uint32_t i = 0; i < facts_.size(); ++i)
        if (!Unranked(facts_[i])) keyed.push_back({facts_[i].minX, facts_[i].steepness, i});
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        if (a.minX != b.minX) return a.minX < b.minX;
        if (a.steepness != b.steepness) return a.steepness > b.steepness;
        return a.id < b.id;
    });
    byStartAll_.reserve(keyed.size());
    for (const Keyed& k : keyed) byStartAll_.push_back(k.id);
}

// Orders the cluster's strokes as FirstFree takes them, once: by StartsBefore, on ties by
// place. A cluster with a coordinate that is no number has no such order and is scanned.
void LoopRounds::RankStarts()
{
    byStart_.clear();
    nextStart_ = 0;
    ranked_ = std::none_of(members_.begin(), members_.end(), [this](uint32_t id) { return Unranked(facts_[id]); });
    if (!ranked_) return;
    if (members_.size() * kSortedClusterShare <= order_.size()) {
        byStart_.resize(members_.size());
        for (uint32_t k = 0; k < members_.size(); ++k) byStart_[k] = k;
        std::stable_sort(byStart_.begin(), byStart_.end(),
                         [this](uint32_t a, uint32_t b) { return StartsBefore(facts_[Id(a)], facts_[Id(b)]); });
        return;
    }
    // A large cluster: its strokes in the order of all, then each run of equal starts by place.
    if (byStartAll_.empty()) RankAll();
    for (uint32_t id : byStartAll_)
        if (clusterOf_[id].cluster == clusterNumber_) byStart_.push_back(clusterOf_[id].place);
    for (size_t a = 0; a < byStart_.size();) {
        size_t b = a + 1;
        while (b < byStart_.size() && !StartsBefore(facts_[Id(byStart_[a])], facts_[Id(byStart_[b])])) ++b;
        if (b - a > 1) std::sort(byStart_.begin() + static_cast<ptrdiff_t>(a), byStart_.begin() + static_cast<ptrdiff_t>(b));
        a = b;
    }
}

// The free stroke a loop search starts at: the smallest leftmost x, on equal x the steepest
// segment at the leftmost vertex, on equal both the first; -1 when none is free.
int LoopRounds::FirstFree()
{
    if (!ranked_) {
        int first = -1;
        for (uint32_t k = 0; k < members_.size(); ++k) {
            if (Used(k) || Aside(k)) continue;
            if (first < 0 || StartsBefore(facts_[Id(k)], facts_[Id(static_cast<uint32_t>(first))])) first = static_cast<int>(k);
        }
        return first;
    }
    while (nextStart_ < byStart_.size() && Used(byStart_[nextStart_])) ++nextStart_;
    for (size_t i = nextStart_; i < byStart_.size(); ++i) {
        const uint32_t k = byStart_[i];
        if (!Used(k) && !Aside(k)) return static_cast<int>(k);
    }
    return -1;
}

// Extends chain_ depth first until it closes; false when every way leads nowhere (or the
// caller said stop).
bool LoopRounds::Extend()
{
    const uint32_t start = StartOf(chain_.front());
    std::vector<Link>& candidates = candidateStack_;
    std::vector<Level>& levels = levelStack_;
    candidates.clear();
    levels.clear();
    CFloatPoint incoming = Arriving(chain_.back());
    levels.push_back({0, 0});
    Candidates(EndOf(chain_.back()), &incoming, candidates);
    while (!levels.empty()) {
        if (!Proceed()) return false;
        Level& level = levels.back();
        if (level.begin + level.next >= candidates.size()) {
            // Every way on from here failed: the stroke that led here leads nowhere.
            candidates.resize(level.begin);
            levels.pop_back();
            SetInChain(chain_.back().stroke, false);
            SetAside(chain_.back().stroke);
            chain_.pop_back();
            continue;
        }
        const Link l = candidates[level.begin + level.next++];
        if (!Free(l.stroke)) continue;
        SetInChain(l.stroke, true);
        chain_.push_back(l);
        if (Close(EndOf(l), start)) return true;
        incoming = Arriving(l);
        levels.push_back({candidates.size(), 0});
        Candidates(EndOf(l), &incoming, candidates);
    }
    return false;
}

// Joins the chain into one new shape: null (strokes set aside) when the join is refused or
// the outline is below the minimum area.
PlotShape* LoopRounds::Connect()
{
    auto* loop = new PlotShape;
    *loop = *facts_[Id(chain_.front().stroke)].shape;
    if (chain_.front().reversed) loop->Reverse();
    bool joined = true;
    for (size_t i = 1; i < chain_.size() && joined; ++i) {
        PlotShape piece;
        piece = *facts_[Id(chain_[i].stroke)].shape;
        if (chain_[i].reversed) piece.Reverse();
        joined = loop->AddAtLast(piece) != 0;
    }
    // A refused join is no loop: the strokes stay as they are.
    if (!joined || loop->CalArea().Area() < CLoopFinder::kMinLoopAreaMm2) {
        delete loop;
        for (const Link& l : chain_) {
            SetInChain(l.stroke, false);
            SetAside(l.stroke);
        }
        return nullptr;
    }
    for (const Link& l : chain_) {
        SetUsed(l.stroke);
        SetInChain(l.stroke, false);
        StrokeFacts& s = facts_[Id(l.stroke)];
        delete s.shape;
        s.shape = nullptr;
    }
    if (finder_.LoopDirection(loop) == 1) loop->Reverse();
    return loop;
}

// Searches one loop: the new loop shape (or the closed stroke itself, taken out), or null
// when none was found.
PlotShape* LoopRounds::FindLoop()
{
    chain_.clear();
    const int found = FirstFree();
    if (found < 0) return nullptr;
    const uint32_t first = static_cast<uint32_t>(found);
    StrokeFacts& s = facts_[Id(first)];
    if (s.shape->IsClose(tol_)) {
        SetUsed(first);
        PlotShape* loop = s.shape;
        s.shape = nullptr;
        if (finder_.LoopDirection(loop) == 1) loop->Reverse();
        return loop;
    }
    const int direction = finder_.CalLoopDirection(s.shape);
    if (direction == 0 || direction == 1) {
        chain_.push_back({first, direction == 1});
    } else {
        std::vector<Link>& candidates = candidateStack_;
        candidates.clear();
        Candidates(direction == 2 ? StartEnd(first) : FinishEnd(first), nullptr, candidates);
        if (candidates.size() <= 1) {
            SetAside(first);  // a dangling end
            return nullptr;
        }
        chain_.push_back(candidates.front());
    }
    SetInChain(chain_.front().stroke, true);
    if (!Extend()) return nullptr;
    return Connect();
}

void LoopRounds::SearchCluster(PlotShapeList& loops)
{
    const size_t m = members_.size();
    flags_.assign(m, 0);
    asideList_.clear();
    usedCount_ = 0;
    RankStarts();
    int failures = 0;
    for (;;) {
        PlotShape* loop = FindLoop();
        if (loop) {
            loops.AddTail(loop);
            ClearAside();
            failures = 0;
            continue;
        }
        if (stopped_ || !AnyFree() || failures > 1) break;
        ++failures;
    }
}

bool LoopRounds::Round(size_t round, PlotShapeList& loops, const CLoopFinder::RoundProceed& proceed)
{
    tol_ = ends_.Tolerance(round);
    proceed_ = &proceed;
    round_ = round;
    ++roundNumber_;
    const size_t n = order_.size();

    // Bands: a stroke goes to band (xmin − list xmin) / 8000, one lower when its xmin lies on
    // a band border, at most the last band; list order within a band.
    int64_t listXmin = CArea::kInvalidMin, listXmax = CArea::kInvalidMax;
    for (uint32_t id : order_) {
        listXmin = std::min<int64_t>(listXmin, facts_[id].xmin);
        listXmax = std::max<int64_t>(listXmax, facts_[id].xmax);
    }
    const int64_t bandWidth = CLoopFinder::kBandWidth;
    const int64_t width = listXmax - listXmin;
    const int64_t bandCount = std::max<int64_t>(width / bandWidth + 1 + (width % bandWidth != 0 ? 1 : 0), 1);
    std::vector<int64_t> bands(n);
    int64_t lowest = std::numeric_limits<int64_t>::max(), highest = std::numeric_limits<int64_t>::min();
    for (size_t i = 0; i < n; ++i) {
        const int32_t xmin = facts_[order_[i]].xmin;
        int64_t band = (static_cast<int64_t>(xmin) - listXmin) / bandWidth;
        if (band > 0 && xmin % bandWidth == 0) --band;
        bands[i] = std::min(band, bandCount - 1);
        lowest = std::min(lowest, bands[i]);
        highest = std::max(highest, bands[i]);
    }
    std::vector<uint32_t> inBands(n);
    if (n > 0 && static_cast<uint64_t>(highest - lowest) <= n + 1024) {
        // Counted into place: bands are few.
        std::vector<size_t> start(static_cast<size_t>(highest - lowest) + 2, 0);
        for (int64_t b : bands) ++start[static_cast<size_t>(b - lowest) + 1];
        for (size_t b = 1; b < start.size(); ++b) start[b] += start[b - 1];
        for (size_t i = 0; i < n; ++i) inBands[start[static_cast<size_t>(bands[i] - lowest)]++] = order_[i];
    } else {
        std::vector<uint32_t> places(n);
        for (uint32_t i = 0; i < n; ++i) places[i] = i;
        std::stable_sort(places.begin(), places.end(), [&](uint32_t a, uint32_t b) { return bands[a] < bands[b]; });
        for (size_t i = 0; i < n; ++i) inBands[i] = order_[places[i]];
    }
    std::vector<int64_t>().swap(bands);
    for (uint32_t i = 0; i < n; ++i) placeInBands_[inBands[i]] = i;


    std::vector<uint32_t> left;
    left.reserve(n);
    std::vector<uint32_t> freeEnds, near;
    // Taken by a cluster of this round, or joined into a loop.
    const auto taken = [&](uint32_t id) { return stamp_[id] >= roundNumber_; };
    for (size_t current = 0;;) {
        // The first stroke of the leftmost band not yet taken, and every stroke connected to
        // it end to end.
        while (current < n && taken(inBands[current])) ++current;
        if (current >= n) break;
        ++clusterNumber_;
        members_.clear();
        const auto take = [&](uint32_t id) {
            stamp_[id] = roundNumber_;
            clusterOf_[id] = {clusterNumber_, static_cast<uint32_t>(members_.size())};
            members_.push_back(id);
        };
        const uint32_t first = inBands[current];
        take(first);
        freeEnds.assign({2 * first, 2 * first + 1});
        while (!freeEnds.empty()) {
            if (!Proceed()) break;
            const uint32_t q = freeEnds.back();
            freeEnds.pop_back();
            near.clear();
            ends_.ForEachWithin(q, round, [&](uint32_t other) {
                // Joined strokes are stamped kJoined: never of this round.
                const uint32_t id = other / 2;
                if (stamp_[id] < roundNumber_) near.push_back(id);
            });
            // In band order, as a scan of the bands would meet them.
            std::sort(near.begin(), near.end(),
                      [this](uint32_t a, uint32_t b) { return placeInBands_[a] < placeInBands_[b]; });
            near.erase(std::unique(near.begin(), near.end()), near.end());
            for (uint32_t id : near) {
                const bool atStart = Close(2 * id, q), atEnd = Close(2 * id + 1, q);
                if (!atStart && !atEnd) continue;
                take(id);
                if (atStart) freeEnds.push_back(2 * id + 1);
                if (atEnd) freeEnds.push_back(2 * id);
            }
        }
        if (!stopped_) SearchCluster(loops);
        for (uint32_t id : members_)
            if (facts_[id].shape != nullptr) left.push_back(id);
        if (stopped_) {
            // Stopped: what was not reached keeps its place after what was.
            for (size_t i = current; i < n; ++i)
                if (!taken(inBands[i])) left.push_back(inBands[i]);
            order_ = std::move(left);
            return false;
        }
    }
    order_ = std::move(left);
    return true;
}

void LoopRounds::Renumber()
{
    ends_.KeepStrokes(order_);
    std::vector<StrokeFacts> facts(order_.size());
    std::vector<StrokeEnd> nextTo(2 * order_.size());
    std::vector<uint32_t> newId(facts_.size(), kJoined);
    ForEachIndexRun(order_.size(), kMinStrokesPerRun, threads_, [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
            const uint32_t id = order_[i];
            facts[i] = facts_[id];
            nextTo[2 * i] = nextTo_[2 * id];
            nextTo[2 * i + 1] = nextTo_[2 * id + 1];
            newId[id] = static_cast<uint32_t>(i);
        }
    });
    // The start order keeps its order by key; among equal keys the places decide.
    std::vector<uint32_t> byStart;
    byStart.reserve(order_.size());
    for (uint32_t id : byStartAll_)
        if (newId[id] != kJoined) byStart.push_back(newId[id]);
    facts_ = std::move(facts);
    nextTo_ = std::move(nextTo);
    byStartAll_ = std::move(byStart);
    const size_t n = order_.size();
    for (uint32_t i = 0; i < n; ++i) order_[i] = i;
    placeInBands_.assign(n, 0);
    stamp_.assign(n, 0);
    clusterOf_.assign(n, ClusterPlace{});
}

std::vector<PlotShape*> LoopRounds::TakeLeft()
{
    std::vector<PlotShape*> left;
    left.reserve(order_.size());
    for (uint32_t id : order_) left.push_back(facts_[id].shape);
    order_.clear();
    return left;
}

}  // namespace

bool CLoopFinder::LoopFinderRounds(PlotShapeList& shapes, PlotShapeList& loops, PlotShapeList& rest,
                                   const std::vector<float>& tolerances, const RoundProceed& proceed)
{
    std::vector<PlotShape*> strokes;
    while (PlotShape* s = shapes.HeadShape()) {
        s->GoOut();
        // Only strokes of one sub-polyline with 2 or more points can join; the others go to
        // rest untouched rather than losing their points in a join.
        if (stroke_ends::CanJoin(*s))
            strokes.push_back(s);
        else
            rest.AddTail(s);
    }
    if (strokes.empty() || tolerances.empty()) {
        for (PlotShape* s : strokes) rest.AddTail(s);
        return true;
    }
    // The rounds share their lists of neighbours while the tolerances widen; a sequence that
    // narrows somewhere runs as rounds of their own, one after the other.
    const bool widening = std::is_sorted(tolerances.begin(), tolerances.end()) &&
                          tolerances.size() <= StrokeEndNeighbours::kMaxRounds;
    const size_t shared = widening ? tolerances.size() : 1;
    const int threads = ShapeWorkerThreads(0);
    bool finished = true;
    for (size_t from = 0; from < tolerances.size() && finished && !strokes.empty(); from += shared) {
        const std::vector<float> own(tolerances.begin() + static_cast<ptrdiff_t>(from),
                                     tolerances.begin() + static_cast<ptrdiff_t>(from + shared));
        LoopRounds rounds(*this, strokes, own, threads);
        for (size_t round = 0; round < own.size() && rounds.AnyLeft(); ++round) {
            const auto told = [&](size_t) { return !proceed || proceed(from + round); };
            if (!told(round) || !rounds.Round(round, loops, told)) {
                finished = false;
                break;
            }
            if (round % kRoundsPerRenumbering == 1) rounds.Renumber();
        }
        strokes = rounds.TakeLeft();
    }
    for (PlotShape* s : strokes) rest.AddTail(s);
    return finished;
}

void CLoopFinder::LoopFinder(PlotShapeList& shapes, PlotShapeList& loops, PlotShapeList& rest, int32_t, float tol)
{
    LoopFinderRounds(shapes, loops, rest, {tol}, {});
}
