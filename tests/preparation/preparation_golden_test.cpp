// The preparation stages on seeded sheets give the joins, page contents and cut order they
// gave with the plain list scans they replaced: each case's result is hashed (every shape's
// pen, cut mode and points, in order) and compared with the hash the scans gave.
//
// The sheets mix random walks, short strokes, rectangles of loose sides with gaps that close
// at different tolerances of the loop finder's sequence (some nested), and a lattice of
// slanted strokes, all shuffled, over a sheet small enough for the scans to finish.
// CORVANE_PRINT_PREPARATION_HASHES=1 prints the hashes a run gives.
#include "app/contour_recognition.h"
#include "app/job_geometry.h"
#include "app/pagination.h"
#include "machinelink/net_machine.h"
#include "plotmodel/plot_page.h"
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "plotmodel/plot_shape_list.h"
#include "preparation/knife_machine_values.h"
#include "preprocess/loop_finder.h"
#include "preprocess/plot_loop.h"
#include "reference_loop_finder.h"
#include "support/spread_sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace corvane_test {
namespace {

constexpr auto& kPenTable = kPreparationPenTable;
constexpr int32_t kPageWidth = 4000;

class Hash {
public:
    void Add(uint64_t v)
    {
        for (int i = 0; i < 8; ++i) {
            h_ ^= (v >> (8 * i)) & 0xFF;
            h_ *= 1099511628211ULL;
        }
    }
    void Add(const PlotShape& s)
    {
        Add(static_cast<uint64_t>(s.GetPenIndex()) << 16 | static_cast<uint64_t>(s.GetMauIndex()) << 8);
        Add(static_cast<uint64_t>(s.GetPlNum()));
        for (int k = 0; k < s.GetPlNum(); ++k) {
            int32_t n = 0;
            const float* p = s.GetPl(k, n);
            Add(static_cast<uint64_t>(n));
            for (int32_t i = 0; p && i < 2 * n; ++i) {
                uint32_t bits = 0;
                std::memcpy(&bits, &p[i], sizeof bits);
                Add(bits);
            }
        }
    }
    void Add(const PlotShapeList& list)
    {
        Add(0xA11ULL);
        for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) Add(*s);
    }
    uint64_t Value() const { return h_; }

private:
    uint64_t h_ = 1469598103934665603ULL;
};

// One seeded sheet, its strokes shuffled and every third one reversed.
void MakeSheet(uint32_t seed, PlotShapeList& list)
{
    WalkSheetOptions walks;
    walks.seed = seed;
    walks.strokes = 40;
    walks.pointsPerStroke = 60;
    walks.widthMm = 300;
    walks.heightMm = 150;
    std::vector<SheetStroke> strokes = WalkSheet(walks);
    for (auto part : {ShortStrokeSheet(seed, 150, 300, 150, 4),
                      BrokenRectangleSheet(seed, 12, {0.0f, 1.0f, 1.6f, 3.0f, 7.5f, 20.0f, 35.0f}, 2000.0f, 1),
                      BrokenRectangleSheet(seed + 1, 6, {0.5f, 2.5f, 12.0f}, 2000.0f, 4),
                      LatticeSheet(100, 60.0f, 30.0f, 90.0f, 1)})
        strokes.insert(strokes.end(), part.begin(), part.end());
    std::mt19937 rng(seed);
    std::shuffle(strokes.begin(), strokes.end(), rng);
    for (size_t i = 0; i < strokes.size(); i += 3) {
        std::vector<float>& xy = strokes[i].xy;
        std::vector<float> r;
        for (size_t k = xy.size(); k >= 2; k -= 2) r.insert(r.end(), {xy[k - 2], xy[k - 1]});
        xy = r;
    }
    AppendSheet(strokes, list);
}

uint64_t ClusterHash(uint32_t seed)
{
    PlotShapeList shapes, out;
    MakeSheet(seed, shapes);
    CLoopFinder finder;
    finder.BreakAtAngle(shapes, 20.0f);
    finder.CurveClusterFind(shapes, out, 2.2f);
    Hash h;
    h.Add(out);
    return h.Value();
}

uint64_t PageHash(uint32_t seed)
{
    PlotShapeList shapes;
    MakeSheet(seed, shapes);
    PageMachineValues machine;
    machine.cutWidth = kPageWidth;
    machine.cutHeight = 40000;
    machine.xRangeMax = 1000000.0;
    machine.feedAllowanceMm = 10.0f;
    std::copy(std::begin(kPenTable), std::end(kPenTable), machine.penTable);
    PlotPageList pages;
    EXPECT_EQ(PaginateByWidth(shapes, pages, kPageWidth, machine), 1);
    Hash h;
    for (PlotPage* p = pages.HeadPage(); p; p = pages.PageAfter(p)) {
        h.Add(p->DrawList());
        h.Add(p->CutList());
    }
    return h.Value();
}

uint64_t CutOrderHash(uint32_t seed)
{
    PlotShapeList shapes, cut;
    MakeSheet(seed, shapes);
    SplitShapesByTool(shapes, cut, kPenTable);
    OrderCutsByLoops(cut, kPenTable);
    Hash h;
    h.Add(shapes);
    h.Add(cut);
    return h.Value();
}

uint64_t ContourHash(uint32_t seed)
{
    PlotShapeList shapes;
    MakeSheet(seed, shapes);
    OL_List loops;
    PlotShape* outer = nullptr;
    RecogniseContourWithClusters(shapes, loops, outer);
    Hash h;
    h.Add(shapes);
    for (OL_Object* o = loops.GetHead(); o; o = loops.GetNext(o)) h.Add(static_cast<PlotLoop*>(o)->Shapes());
    if (outer) h.Add(*outer);
    delete outer;
    return h.Value();
}

// The whole geometry preparation of a page: smoothing and fitting, clipping, dashes, knife
// compensation, the jet travel path, offsets, scale and mirror.
uint64_t GeometryHash(uint32_t seed)
{
    PlotShapeList shapes;
    MakeSheet(seed, shapes);
    PrepareMachineValues m = KnifeMachineValues(400, 200, 14000, 7000);
    m.cutOffsetXMm = 1.5f;
    PlotShapeCutList A, B;
    NET_Machine bandSource;
    Limit_PARAM range;
    int32_t clipOffset = 0;
    JetTaskValues jet;
    EXPECT_EQ(PrepareJobGeometry(A, B, shapes, m, 1, bandSource, range, clipOffset, jet), 1);
    Hash h;
    h.Add(A);
    h.Add(B);
    return h.Value();
}

struct GoldenCase {
    const char* stage;
    uint64_t (*run)(uint32_t seed);
    uint64_t hashes[4];  // seeds 1 to 4
};

const GoldenCase kCases[] = {
    {"CurveClusterFind", ClusterHash, {0xc5153fe9c0bf80e4ULL, 0x5588119bf00f273fULL, 0x02ddcaa387fe8aaeULL, 0x0026e2d3005f1909ULL}},
    {"PaginateByWidth", PageHash, {0xf834b7d1e3cf7bc9ULL, 0x0c02a98e9b59493cULL, 0xc3afa1e8014f2dfdULL, 0xd3c96ae6bf7a59efULL}},
    {"OrderCutsByLoops", CutOrderHash, {0x5d77e61009efd004ULL, 0xbc36b1f32317badfULL, 0x942aecff734df1e7ULL, 0x1f4c767942502e64ULL}},
    {"RecogniseContourWithClusters", ContourHash, {0x2e4c84bc1afb3d30ULL, 0x8c48616462413489ULL, 0x178251a8b8f9b52bULL, 0xf6f5df659c7b8e1dULL}},
    {"PrepareJobGeometry", GeometryHash, {0xe7f1a7c9dda098a4ULL, 0x1543363341c59e93ULL, 0x303fc52784c25645ULL, 0xe5e8c9527a2f72ceULL}},
};

TEST(PreparationGolden, SeededSheetsGiveTheResultsOfThePlainScans)
{
    const bool print = std::getenv("CORVANE_PRINT_PREPARATION_HASHES") != nullptr;
    for (const GoldenCase& c : kCases) {
        for (uint32_t seed = 1; seed <= 4; ++seed) {
            const uint64_t got = c.run(seed);
            if (print) std::printf("%s seed %u: 0x%016llxULL\n", c.stage, seed, static_cast<unsigned long long>(got));
            EXPECT_EQ(got, c.hashes[seed - 1]) << c.stage << " seed " << seed;
        }
    }
}

// The loop finder's rounds, shared, against one reference call per tolerance on what the call
// before left: the same loops and the same strokes left, in the same order.

// Walks crossing each other often, so one cluster holds most strokes at wide tolerances.
std::vector<SheetStroke> DenseWalks(uint32_t seed, int strokes)
{
    WalkSheetOptions walks;
    walks.seed = seed;
    walks.strokes = strokes;
    walks.pointsPerStroke = 120;
    walks.widthMm = 120;
    walks.heightMm = 80;
    return WalkSheet(walks);
}

// Ends crowded on a few spots (more than any end lists), axis-parallel strokes whose turns tie,
// and strokes with a coordinate that is no number.
std::vector<SheetStroke> CrowdsAndTies(uint32_t seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> jitter(-1.5f, 1.5f), spot(0.0f, 3000.0f);
    std::vector<SheetStroke> out;
    for (int crowd = 0; crowd < 4; ++crowd) {
        const float cx = spot(rng), cy = spot(rng);
        for (int k = 0; k < 40; ++k) {
            const float a = 6.2831853f * static_cast<float>(k) / 40.0f;
            const float x0 = cx + (k % 3 == 0 ? 0.0f : jitter(rng)), y0 = cy + (k % 3 == 0 ? 0.0f : jitter(rng));
            out.push_back({1, {x0, y0, std::round(cx + 200 * std::cos(a)), std::round(cy + 200 * std::sin(a))}});
        }
    }
    for (int row = 0; row < 12; ++row)
        for (int col = 0; col < 12; ++col) {
            const float x = 4000.0f + 80.0f * col, y = 80.0f * row;
            out.push_back({1, {x, y, x + 80.0f - static_cast<float>(row % 4), y}});
            out.push_back({1, {x, y, x, y + 80.0f - static_cast<float>(col % 3)}});
        }
    const float nan = std::numeric_limits<float>::quiet_NaN();
    out.push_back({1, {nan, 10.0f, 20.0f, 10.0f, 20.0f, 30.0f}});
    out.push_back({1, {20.0f, 30.0f, 25.0f, nan}});
    return out;
}

// Runs the rounds both ways on a copy of the same strokes, broken at corners as the
// preparation breaks them, and says where they differ.
void ExpectRoundsMatch(const std::vector<SheetStroke>& strokes, const std::vector<float>& tolerances,
                       const char* name)
{
    PlotShapeList shared, reference;
    AppendSheet(strokes, shared);
    CLoopFinder finder;
    finder.BreakAtAngle(shared, 20.0f);
    shared.CalArea(1);
    reference = shared;

    PlotShapeList referenceLoops, open, pending;
    open.Append(&reference);
    for (float tol : tolerances) {
        pending.Append(&open);
        ReferenceLoopFinder(finder, pending, referenceLoops, open, tol);
    }
    PlotShapeList sharedLoops, sharedLeft;
    EXPECT_TRUE(finder.LoopFinderRounds(shared, sharedLoops, sharedLeft, tolerances, {}));

    Hash expectLoops, gotLoops, expectLeft, gotLeft;
    expectLoops.Add(referenceLoops);
    gotLoops.Add(sharedLoops);
    expectLeft.Add(open);
    gotLeft.Add(sharedLeft);
    EXPECT_EQ(sharedLoops.Count(), referenceLoops.Count()) << name;
    EXPECT_EQ(gotLoops.Value(), expectLoops.Value()) << name << ": the loops differ";
    EXPECT_EQ(sharedLeft.Count(), open.Count()) << name;
    EXPECT_EQ(gotLeft.Value(), expectLeft.Value()) << name << ": the strokes left differ";
}

std::vector<float> WideRounds()
{
    std::vector<float> tolerances;
    for (float tol = 2.1f; tol < 40.0f; tol += 1.0f) tolerances.push_back(tol);
    return tolerances;
}

TEST(LoopFinderRounds, SharedRoundsGiveWhatOneCallPerRoundGave)
{
    const std::vector<float> narrowing = {6.0f, 1.1f, 2.1f, 2.1f};
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        std::vector<SheetStroke> mixed;
        PlotShapeList golden;
        MakeSheet(seed, golden);
        for (PlotShape* s = golden.HeadShape(); s; s = golden.ShapeAfter(s)) {
            int32_t n = 0;
            const float* p = s->GetPl(0, n);
            mixed.push_back({s->GetPenIndex(), std::vector<float>(p, p + 2 * n)});
        }
        const std::string at = " seed " + std::to_string(seed);
        ExpectRoundsMatch(DenseWalks(seed, 40), WideRounds(), ("dense walks" + at).c_str());
        ExpectRoundsMatch(CrowdsAndTies(seed), WideRounds(), ("crowds and ties" + at).c_str());
        ExpectRoundsMatch(mixed, WideRounds(), ("mixed sheet" + at).c_str());
        ExpectRoundsMatch(mixed, narrowing, ("mixed sheet, narrowing" + at).c_str());
        ExpectRoundsMatch(mixed, {1.1f}, ("mixed sheet, one round" + at).c_str());
    }
}

TEST(LoopFinderRounds, AStopInARoundKeepsEveryStrokeNotJoined)
{
    PlotShapeList strokes;
    AppendSheet(DenseWalks(7, 200), strokes);
    CLoopFinder finder;
    finder.BreakAtAngle(strokes, 20.0f);
    strokes.CalArea(1);
    PlotShapeList copy;
    copy = strokes;
    const int pieces = strokes.Count();

    // A run to its end, counting how often it asks whether to go on.
    PlotShapeList loops, left;
    size_t asked = 0, rounds = 0;
    ASSERT_TRUE(finder.LoopFinderRounds(strokes, loops, left, WideRounds(), [&](size_t round) {
        ++asked;
        rounds = std::max(rounds, round + 1);
        return true;
    }));
    ASSERT_GT(asked, rounds) << "the sheet is too small to be asked within a round";

    // Stopped half-way: false, and whatever is not in a loop is left, each piece once.
    PlotShapeList stoppedLoops, stoppedLeft;
    size_t calls = 0;
    EXPECT_FALSE(finder.LoopFinderRounds(copy, stoppedLoops, stoppedLeft, WideRounds(),
                                         [&](size_t) { return ++calls < asked / 2; }));
    EXPECT_EQ(calls, asked / 2);
    EXPECT_EQ(copy.Count(), 0);
    EXPECT_GE(stoppedLeft.Count(), left.Count());
    EXPECT_LE(stoppedLeft.Count(), pieces);
    int points = 0;
    for (PlotShapeList* list : {&stoppedLoops, &stoppedLeft})
        for (PlotShape* s = list->HeadShape(); s; s = list->ShapeAfter(s)) points += s->GetTolPtNum();
    EXPECT_GT(points, 0);
}

}  // namespace
}  // namespace corvane_test
