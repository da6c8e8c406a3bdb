// Resuming the print traversal at a pulse count: break points, the snap onto the reported
// position, and the replay property over generated jobs.
#include "plotmodel/plot_shape_cut_list.h"

#include "traversal_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using namespace plot_fixtures;
namespace R = GetNextPathResult;
namespace RA = GetNextPathAtResult;

Group G(int code, std::vector<CPoint> pts) { return {code, std::move(pts)}; }

// The knife job, walked once: travel 200 pulses, lower 20, path 400, raise 20.
void MakeWalkedKnifeJob(PlotShapeCutList& l)
{
    AddShape(l, {{100.7f, 200.2f}, {300.9f, 200.5f}, {300.2f, -0.7f}}, CutModeIndex::kCut);
    l.InitPrint(10, 20, 30, 40);
    Motion(WalkDepth(l));
}

struct ResumeCase {
    int32_t pulses;
    Group first;
};

TEST(CutListResume, FindsTheGroupThePulseCountLiesInAndGoesOnFromThere)
{
    const ResumeCase cases[] = {
        {50, G(R::kTravel, {{25, 50}, {100, 200}})},  // y leads; x by half the pulses
        {205, Depth(-15)},                            // 15 of the 20 pulses of the plunge are left
        {270, G(CutModeIndex::kCut, {{150, 200}, {300, 200}, {300, 0}})},
        {630, Depth(10)},  // inside the final raise
    };
    const std::vector<Group> tail = {
        Depth(-20), G(2, {{100, 200}, {300, 200}, {300, 0}}), Depth(20), G(R::kNoShapeLeft, {})};
    for (const ResumeCase& c : cases) {
        PlotShapeCutList l;
        MakeWalkedKnifeJob(l);
        l.ResumePrint(c.pulses);
        EXPECT_EQ(l.GetResumePulses(), c.pulses);
        CArray<CPoint> g;
        int code = l.GetBreakPointPath(g);
        EXPECT_EQ(ToGroup(code, g), c.first) << c.pulses;
        EXPECT_EQ(l.GetResumePulses(), 0);
        EXPECT_FALSE(l.IsFinished());
        // The rest of the job is the tail of the first walk after the resumed group.
        std::vector<Group> rest = WalkDepth(l);
        size_t skip = c.pulses < 200 ? 0 : c.pulses < 220 ? 1 : c.pulses < 620 ? 2 : 3;
        EXPECT_EQ(rest, std::vector<Group>(tail.begin() + skip, tail.end())) << c.pulses;
    }
}

TEST(CutListResume, BeyondTheJobFinishes)
{
    for (int32_t n : {640, 641, 100000}) {
        PlotShapeCutList l;
        MakeWalkedKnifeJob(l);
        l.ResumePrint(n);
        CArray<CPoint> g;
        EXPECT_EQ(l.GetNextPath(g), R::kNoShapeLeft) << n;
        EXPECT_EQ(g.GetSize(), 0);
        EXPECT_EQ(l.GetNextPath(g), R::kFinished);
    }
}

TEST(CutListResume, ZeroPulsesLeaveTheWalkWhereItIs)
{
    PlotShapeCutList l;
    AddShape(l, {{100.7f, 200.2f}, {300.9f, 200.5f}, {300.2f, -0.7f}}, CutModeIndex::kCut);
    l.InitPrint(10, 20, 30, 40);
    CArray<CPoint> g;
    l.GetNextPath(g);
    l.ResumePrint(0);
    g.RemoveAll();
    EXPECT_EQ(ToGroup(l.GetNextPath(g), g), Depth(-20));
}

struct SnapCase {
    int32_t pulses;
    CPoint reported;
    CPoint first;  // the group's first point after the snap
};

TEST(CutListResume, SnapsTheFirstPointOntoTheReportedPositionAlongTheLesserAxis)
{
    // Travel (0,0)->(100,200) at 50 pulses: (25,50), y moves farther. Path at 270: (150,200)
    // towards (300,200), x moves farther. Diagonal travel (0,0)->(100,100) at 40: (40,40).
    const SnapCase knife[] = {
        {270, {150, 200}, {150, 200}},  // the machine stopped where we expected
        {270, {152, 203}, {150, 203}},  // y taken over: x moves farther on this segment
        {270, {152, 400}, {150, 200}},  // too far from the segment's end: no snap
        {50, {27, 49}, {27, 50}},       // x taken over
        {50, {300, 50}, {25, 50}},
    };
    for (const SnapCase& c : knife) {
        PlotShapeCutList l;
        MakeWalkedKnifeJob(l);
        l.SetReportedPosition(c.reported.x, c.reported.y, 0);
        l.ResumePrint(c.pulses);
        CArray<CPoint> g;
        l.GetNextPath(g);
        ASSERT_GE(g.GetSize(), 2);
        EXPECT_EQ(g[0], c.first) << c.pulses << " reported " << c.reported.x << "," << c.reported.y;
    }
    const SnapCase diagonal[] = {
        {40, {40, 45}, {40, 45}},  // x agrees: the y rule
        {40, {43, 40}, {43, 40}},  // y agrees: the x rule
        {40, {43, 45}, {40, 40}},  // neither agrees
    };
    for (const SnapCase& c : diagonal) {
        PlotShapeCutList l;
        AddShape(l, {{100, 100}, {200, 100}});
        l.InitPrint(0, 0, 0, 0);
        l.SetReportedPosition(c.reported.x, c.reported.y, 0);
        l.ResumePrint(c.pulses);
        CArray<CPoint> g;
        EXPECT_EQ(l.GetNextPath(g), R::kTravel);
        ASSERT_EQ(g.GetSize(), 2);
        EXPECT_EQ(g[0], c.first) << c.reported.x << "," << c.reported.y;
        EXPECT_EQ(g[1], CPoint(100, 100));
    }
}

TEST(CutListResume, InsideTheFirstRaiseTheRestOfItComesFirstAndTheJobStartsOver)
{
    for (int32_t z0 : {12, -12}) {
        PlotShapeCutList l;
        AddShape(l, {{10, 10}, {20, 10}});
        l.InitPrint(3, 20, 30, 40);
        l.SetHeadPosition(5, 5, z0);
        l.SetCurrentDepth(z0);
        std::vector<Group> first = WalkDepth(l);
        ASSERT_TRUE(l.IsFinished());

        l.ResumePrint(5);
        CArray<CPoint> g;
        EXPECT_EQ(ToGroup(l.GetNextPath(g), g), Depth(z0 > 0 ? -7 : 7));
        EXPECT_FALSE(l.IsStarted());
        // The finished list starts over instead of answering -1.
        std::vector<Group> again = WalkDepth(l);
        EXPECT_EQ(again, std::vector<Group>(first.begin() + 1, first.end())) << z0;
    }
}

TEST(CutListResume, AListNeverWalkedGoesOnFromTheResumePlace)
{
    PlotShapeCutList l;
    AddShape(l, {{100.7f, 200.2f}, {300.9f, 200.5f}, {300.2f, -0.7f}}, CutModeIndex::kCut);
    l.InitPrint(10, 20, 30, 40);
    l.SetReportedPosition(25, 50, 0);
    l.ResumePrint(50);
    CArray<CPoint> g;
    EXPECT_EQ(ToGroup(l.GetNextPath(g), g), G(R::kTravel, {{25, 50}, {100, 200}}));
    g.RemoveAll();
    EXPECT_EQ(ToGroup(l.GetNextPath(g), g), Depth(-20)) << "not the travel from the head again";
}

TEST(CutListResume, TheRestOfADepthChangeBetweenTwoCutDepthsKeepsItsDirection)
{
    PlotShapeCutList l;
    AddShape(l, {{0, 0}, {10, 0}}, CutModeIndex::kCut);      // -20
    AddShape(l, {{10, 0}, {20, 0}}, CutModeIndex::kHalfCut);  // -7, joined
    l.InitPrint(0, 20, 7, 0);
    std::vector<Group> first = Motion(WalkDepth(l));
    ASSERT_EQ(first.size(), 5u);
    EXPECT_EQ(first[2], Depth(13));
    l.ResumePrint(35);  // 5 of the 13 pulses up were made
    CArray<CPoint> g;
    EXPECT_EQ(ToGroup(l.GetNextPath(g), g), Depth(8));
    EXPECT_EQ(l.GetCurrentDepth(), -7);
}

TEST(CutListResume, APathBreakPointLiesExactlyTheGivenPulsesAlong)
{
    // 1 / 49 × 49 is just below 1 in double precision.
    PlotShapeCutList l;
    AddShape(l, {{0, 0}, {49, 0}, {49, 49}});
    l.InitPrint(0, 0, 0, 0);
    for (int32_t n = 1; n < 49; ++n) {
        l.ResumePrint(n);
        CArray<CPoint> g;
        ASSERT_EQ(l.GetBreakPointPath(g), 1);
        ASSERT_EQ(g.GetSize(), 3);
        EXPECT_EQ(g[0], CPoint(n, 0));
    }
}

TEST(CutListResume, RaiseToolShapesResumeWithTheirOwnCodes)
{
    struct Case {
        unsigned char mau;
        Polyline pts;
        int depthCode;
        int atCode;
    };
    const Case cases[] = {
        {99, {{0, 0}, {0, 100}}, R::kResumedJetFirst, R::kResumedJetFirst},
        {100, {{0, 0}, {0, 100}}, R::kResumedJetFirst, R::kResumedJetFirst},
        {101, {{0, 0}, {0, 100}}, R::kResumedJetLast, R::kResumedJetLast},
        {102, {{0, 0}, {0, 100}}, R::kResumedJetLast, R::kResumedJetLast},
        {99, {{0, 0}, {100, 100}}, R::kTravel, R::kResumedJetFirst},  // first two x differ
        {130, {{0, 0}, {0, 100}}, 130, RA::kFourthDepth},
        {8, {{0, 0}, {0, 100}}, R::kDrawPath, RA::kNoCompensation},
    };
    for (const Case& c : cases) {
        PlotShapeCutList l;
        AddShape(l, c.pts, c.mau);
        l.InitPrint(0, 0, 0, 0);
        CArray<CPoint> g;
        CArray<CFloatPoint> angles;
        l.ResumePrint(30);
        EXPECT_EQ(l.GetBreakPointPath(g), c.depthCode) << int(c.mau);
        g.RemoveAll();
        l.ResumePrint(30);
        EXPECT_EQ(l.GetBreakPointPath_at(g, angles, nullptr), c.atCode) << int(c.mau);
    }
}

TEST(CutListResume, AtBreakPointAnglesTakeTheFirstStepFromTheSegmentStart)
{
    PlotShapeCutList l;
    AddShape(l, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    l.InitPrint(0, 0, 0, 0);
    l.ResumePrint(15);
    CArray<CPoint> g;
    CArray<CFloatPoint> angles;
    const float aspect[2] = {1.0f, 1.0f};
    EXPECT_EQ(l.GetNextPath_at(g, angles, aspect), RA::kTravelOrDraw);
    EXPECT_EQ(ToGroup(0, g), G(0, {{10, 5}, {10, 10}, {0, 10}}));
    ASSERT_EQ(angles.GetSize(), 3);
    EXPECT_NEAR(angles[0].x, M_PI / 2, 1e-9);
    EXPECT_NEAR(angles[1].x, M_PI / 2, 1e-9);
    EXPECT_NEAR(angles[1].y, 10.0, 1e-9) << "measured from (10, 0), the segment's start";
    EXPECT_NEAR(angles[2].x, M_PI, 1e-9);
    EXPECT_NEAR(angles[2].y, 20.0, 1e-9);
}

// ---- replay property over generated jobs ----

// A job of a few shapes with joins, several sub-polylines, repeated and one-point
// sub-polylines, shapes without points and every kind of cut mode, walked from a lowered head.
void MakeGeneratedJob(PlotShapeCutList& l, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> coord(-30.0f, 70.0f);
    const unsigned char modes[] = {2, 4, 5, 127, 130, 99, 101, 1, 8};
    Pt last{coord(rng), coord(rng)};
    for (int k = 0; k < 7; ++k) {
        if (rng() % 8 == 0) {
            l.AddTail(new PlotShape);
            continue;
        }
        auto* s = new PlotShape;
        int polylines = 1 + static_cast<int>(rng() % 3);
        for (int i = 0; i < polylines; ++i) {
            Pt p = rng() % 2 ? last : Pt{coord(rng), coord(rng)};
            s->AddPoint(p.x, p.y, 1);
            int points = 1 + static_cast<int>(rng() % 4);
            for (int j = 1; j < points; ++j) {
                p = rng() % 4 == 0 ? Pt{p.x + 0.4f, p.y - 0.3f} : Pt{coord(rng), coord(rng)};
                s->AddPoint(p.x, p.y, 0);
            }
            last = p;
        }
        s->SetMauIndex(modes[rng() % std::size(modes)]);
        s->CalArea();
        l.AddTail(s);
    }
    l.InitPrint(3, 7, 5, 4);
    l.SetHeadPosition(13, -4, 6);
    l.SetCurrentDepth(6);
}

// Checks that a resume at every pulse count continues the first walk: the first group is
// the rest of the group the count lies in, the groups after it are the first walk's, and
// the pulses before and after the count add up to the total.
void CheckReplay(PlotShapeCutList& l, const std::vector<Group>& walk, int64_t total,
                 const std::function<int(CArray<CPoint>&)>& search, const std::function<int(CArray<CPoint>&)>& step,
                 const std::function<bool(const Group& original, int resumedCode)>& codeFits)
{
    std::vector<int64_t> prefix{0};
    for (const Group& g : walk) prefix.push_back(prefix.back() + Pulses(g));
    ASSERT_EQ(prefix.back(), total);
    size_t j = 0;
    for (int64_t n = 1; n <= total; ++n) {
        while (j < walk.size() && prefix[j + 1] <= n) ++j;
        l.ResumePrint(static_cast<int32_t>(n));
        CArray<CPoint> pts;
        int code = search(pts);
        Group first = ToGroup(code, pts);
        if (n == total) {
            EXPECT_EQ(code, R::kNoShapeLeft);
            continue;
        }
        if (j == 1 && prefix[1] == n && walk[0].pts.size() == 1) {
            // A stop at the very end of the first raise still answers with its (empty) rest
            // and starts the job over.
            ASSERT_EQ(first, Depth(0));
            ASSERT_EQ(Motion(WalkAll(step)), std::vector<Group>(walk.begin() + 1, walk.end()));
            continue;
        }
        const Group& original = walk[j];
        const int64_t left = prefix[j + 1] - n;
        ASSERT_EQ(Pulses(first), left) << "at " << n << ": " << first << " in " << original;
        ASSERT_TRUE(codeFits(original, code)) << "at " << n << ": " << first << " in " << original;
        if (original.pts.size() == 1) {
            ASSERT_EQ(first.pts.size(), 1u);
            ASSERT_EQ(first.pts[0].x > 0, original.pts[0].x > 0) << "at " << n;
        } else {
            ASSERT_GE(first.pts.size(), 2u);
            ASSERT_LE(first.pts.size(), original.pts.size());
            std::vector<CPoint> rest(first.pts.begin() + 1, first.pts.end());
            std::vector<CPoint> tail(original.pts.end() - static_cast<ptrdiff_t>(rest.size()), original.pts.end());
            ASSERT_EQ(rest, tail) << "at " << n << ": " << first << " in " << original;
        }
        std::vector<Group> after = Motion(WalkAll(step));
        ASSERT_EQ(after, std::vector<Group>(walk.begin() + static_cast<ptrdiff_t>(j) + 1, walk.end())) << "at " << n;
        int64_t sum = n + Pulses(first);
        for (const Group& g : after) sum += Pulses(g);
        ASSERT_EQ(sum, total) << "at " << n;
    }
}

class CutListReplay : public ::testing::TestWithParam<unsigned> {};

TEST_P(CutListReplay, DepthWalkResumesOnTheReplayedPathAtEveryPulse)
{
    PlotShapeCutList l;
    MakeGeneratedJob(l, GetParam());
    std::vector<Group> walk = Motion(WalkDepth(l));
    int64_t total = l.GetToltalPulseNum();
    CheckReplay(
        l, walk, total, [&l](CArray<CPoint>& g) { return l.GetBreakPointPath(g); },
        [&l](CArray<CPoint>& g) { return l.GetNextPath(g); },
        [](const Group& original, int code) {
            if (original.code >= 99 && original.code <= 102)
                return code == R::kTravel || code == (original.code <= 100 ? R::kResumedJetFirst : R::kResumedJetLast);
            return code == original.code;
        });
}

TEST_P(CutListReplay, WalkWithoutDepthResumesOnTheReplayedPathAtEveryPulse)
{
    PlotShapeCutList l;
    MakeGeneratedJob(l, GetParam());
    const float aspect[2] = {1.25f, 1.0f};
    CArray<CFloatPoint> angles;
    auto step = [&](CArray<CPoint>& g) { return l.GetNextPath_at(g, angles, aspect); };
    std::vector<Group> walk = Motion(WalkAll(step));
    int64_t total = l.GetToltalPulseNum_at();
    CheckReplay(
        l, walk, total, [&](CArray<CPoint>& g) { return l.GetBreakPointPath_at(g, angles, aspect); }, step,
        [](const Group& original, int code) {
            if (original.code == RA::kJoinMove) return code == RA::kTravelOrDraw;
            if (original.code == 99 || original.code == 100) return code == R::kResumedJetFirst;
            if (original.code == 101 || original.code == 102) return code == R::kResumedJetLast;
            return code == original.code;
        });
}

TEST_P(CutListReplay, AxisParallelWalkResumesOnTheReplayedPathAtEveryPulse)
{
    PlotShapeCutList l;
    MakeGeneratedJob(l, GetParam());
    // Depths by pen: give every shape its cut mode's pen, so that the pens choose the depths.
    short pen = 0;
    for (PlotShape* s : Shapes(l)) s->SetPenIndex(pen++ % 7);
    auto step = [&l](CArray<CPoint>& g) { return l.GetNextPath_Angle(g); };
    std::vector<Group> walk = Motion(WalkAll(step));
    int64_t total = 0;
    for (const Group& g : walk) total += Pulses(g);
    CheckReplay(
        l, walk, total, [&l](CArray<CPoint>& g) { return l.GetBreakPointPath_Angle(g); }, step,
        [](const Group& original, int code) { return code == original.code; });
}

INSTANTIATE_TEST_SUITE_P(Seeds, CutListReplay, ::testing::Values(1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u));

}  // namespace
