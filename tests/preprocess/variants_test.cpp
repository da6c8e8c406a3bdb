// The earlier compensation, smoothing and rebuild variants: worked paths, kept points, bad input.
#include "preprocess/compensation_variants.h"

#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"
#include "plotmodel/shape_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>

using namespace plot_fixtures;

namespace {

constexpr double kPi = std::numbers::pi;
constexpr unsigned char kTurn = CutModeIndex::kFourthDepth;

void ExpectPoints(const Polyline& actual, const Polyline& expected, float tol = 0.001f)
{
    ASSERT_EQ(actual.size(), expected.size()) << ::testing::PrintToString(actual);
    for (size_t k = 0; k < expected.size(); ++k) {
        EXPECT_NEAR(actual[k].x, expected[k].x, tol) << "point " << k;
        EXPECT_NEAR(actual[k].y, expected[k].y, tol) << "point " << k;
    }
}

// The inner points of the 90-degree turn about (400, 0) from (1, 0) to (0, 1), radius 20.
Polyline QuarterTurn()
{
    Polyline p{{420, 0}};
    for (int k = 1; k < 7; ++k) {
        double t = kPi / 2 * k / 7;
        p.push_back({static_cast<float>(400 + 20 * std::cos(t)), static_cast<float>(20 * std::sin(t))});
    }
    p.push_back({400, 20});
    return p;
}

const Polyline kRightAngle{{0, 0}, {400, 0}, {400, 400}};

TEST(ScanCrv, ClassifiesLongSegmentsChordsAndTheLastSegment)
{
    float pts[] = {0, 0, 100, 0, 105, 0, 110, 3, 200, 3};
    float straight[] = {0, 0, 5, 0, 10, 0, 15, 0, 16, 0};
    struct Case {
        float* points;
        int start;
        int ret, end, kind;
        float length;
    } cases[] = {
        {pts, 0, 1, 1, kCrvLongSegment, 100},
        {pts, 1, 1, 4, kCrvCurved, std::hypot(100.0f, 3.0f)},
        {pts, 3, 1, 4, kCrvLastSegment, 90},
        {pts, 4, 0, 0, 0, 0},
        {straight, 0, 1, 4, kCrvStraight, 16},
    };
    for (const Case& c : cases) {
        CRV_TYPE crv;
        crv.offset = 20;
        crv.points = c.points;
        crv.count = 5;
        crv.start = c.start;
        SCOPED_TRACE(c.start);
        ASSERT_EQ(PlotShape::ScanCrv(crv), c.ret);
        if (!c.ret) continue;
        EXPECT_EQ(crv.end, c.end);
        EXPECT_EQ(crv.kind, c.kind);
        EXPECT_NEAR(crv.length, c.length, 1e-3);
    }
}

// The pieces of one polyline compensated by form from direction dir, offset 20.
std::vector<PlotShape*> Compensated(PlotShapeList& out, const Polyline& line,
                                    const std::function<void(PlotShape&, PlotShapeList&, CFloatPoint&)>& form,
                                    CFloatPoint dir = CFloatPoint(1, 0))
{
    PlotShape s;
    Fill(s, {line});
    s.SetPenIndex(6);
    form(s, out, dir);
    return Shapes(out);
}

TEST(WnifeCompensateCut, RightAngleTurnsAboutTheVertex)
{
    auto cut = [](PlotShape& s, PlotShapeList& out, CFloatPoint& dir) { s.WnifeCompensate_cut(out, 20, dir); };
    auto cut2 = [](PlotShape& s, PlotShapeList& out, CFloatPoint& dir) { s.WnifeCompensate_cut2(out, 20, dir); };
    struct Case {
        const char* name;
        std::function<void(PlotShape&, PlotShapeList&, CFloatPoint&)> form;
        Polyline first, last;
    } cases[] = {
        {"cut", cut, {{20, 0}, {400, 0}, {420, 0}}, {{400, 20}, {400, 400}, {400, 420}}},
        {"cut2", cut2, {{20, 0}, {420, 0}}, {{400, 20}, {400, 420}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlotShapeList out;
        auto pieces = Compensated(out, kRightAngle, c.form);
        ASSERT_EQ(pieces.size(), 3u);
        ExpectPoints(AllPoints(*pieces[0]), c.first);
        ExpectPoints(AllPoints(*pieces[1]), QuarterTurn());
        ExpectPoints(AllPoints(*pieces[2]), c.last);
        EXPECT_EQ(pieces[1]->GetMauIndex(), kTurn);
        EXPECT_EQ(pieces[0]->GetPenIndex(), 6);
        EXPECT_EQ(pieces[2]->GetPenIndex(), 6);
    }
}

TEST(WnifeCompensateCut, SkipsVerticesCloserThanTheOffsetAndRemovesRepeats)
{
    PlotShape s;
    Fill(s, {{{0, 0}, {0, 0}, {5, 1}, {100, 0}}});
    PlotShapeList out;
    CFloatPoint dir(1, 0);
    s.WnifeCompensate_cut(out, 20, dir);
    EXPECT_EQ(s.GetTolPtNum(), 3) << "the source's repeated points go first";
    auto pieces = Shapes(out);
    ASSERT_EQ(pieces.size(), 1u);
    ExpectPoints(AllPoints(*pieces[0]), {{20, 0}, {100, 0}, {120, 0}});
}

TEST(WnifeCompensateCut1, EqualsCut3WithoutArcsAndTakesOffsetRunTurnsUpTo45Degrees)
{
    PlotShapeList a, b;
    auto cut1 = Compensated(a, kRightAngle, [](PlotShape& s, PlotShapeList& out, CFloatPoint& d) { s.WnifeCompensate_cut1(out, 20, d); });
    auto cut3 = Compensated(b, kRightAngle, [](PlotShape& s, PlotShapeList& out, CFloatPoint& d) { s.KnifeCompensate_cut3(out, 20, d); });
    ASSERT_EQ(cut1.size(), cut3.size());
    for (size_t k = 0; k < cut1.size(); ++k) EXPECT_EQ(AllPoints(*cut1[k]), AllPoints(*cut3[k]));

    // A short segment turning 30 degrees after a long one: a corner for the program's form,
    // taken while cutting by the earlier one.
    const Polyline bend{{0, 0}, {100, 0}, {100 + 10 * std::cos(kPi / 6), 10 * std::sin(kPi / 6)}};
    auto turns = [](const std::vector<PlotShape*>& pieces) {
        return std::count_if(pieces.begin(), pieces.end(), [](PlotShape* p) { return p->GetMauIndex() == kTurn; });
    };
    PlotShapeList c, d;
    auto bend1 = Compensated(c, bend, [](PlotShape& s, PlotShapeList& out, CFloatPoint& dir) { s.WnifeCompensate_cut1(out, 20, dir); });
    auto bend3 = Compensated(d, bend, [](PlotShape& s, PlotShapeList& out, CFloatPoint& dir) { s.KnifeCompensate_cut3(out, 20, dir); });
    EXPECT_EQ(turns(bend3), 2);
    EXPECT_EQ(turns(bend1), 1) << "only the first swing";
}

// ---- smoothing passes ----

using SmoothPass = void (PlotShape::*)(PlotShape&) const;

TEST(SmoothingPasses, ThinZigZagsKeepCornersEndsAndAttributes)
{
    Polyline zigzag;
    for (int k = 0; k <= 40; ++k) zigzag.push_back({static_cast<float>(k), 0.5f * static_cast<float>(k % 2)});
    const Polyline corner{{0, 0}, {10, 0}, {10, 10}};
    struct Case {
        const char* name;
        SmoothPass pass;
    } cases[] = {{"Slick", &PlotShape::Slick}, {"Slick1", &PlotShape::Slick1}, {"Slick2", &PlotShape::Slick2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlotShape s;
        Fill(s, {zigzag, corner, {{7, 7}, {7, 7}}});
        s.SetPenIndex(5);
        s.SetMauIndex(CutModeIndex::kHalfCut);
        PlotShape out;
        (s.*c.pass)(out);
        auto lines = Polylines(out);
        ASSERT_EQ(lines.size(), 3u) << "one sub-polyline per source one";
        EXPECT_LE(lines[0].size(), zigzag.size() / 2 + 1);
        EXPECT_EQ(lines[0].front(), zigzag.front());
        EXPECT_EQ(lines[0].back(), zigzag.back());
        EXPECT_EQ(lines[1], corner);
        EXPECT_EQ(lines[2], (Polyline{{7, 7}})) << "a repeated point is passed over, the point kept";
        EXPECT_EQ(out.GetPenIndex(), 5);
        EXPECT_EQ(out.GetMauIndex(), CutModeIndex::kHalfCut);
        EXPECT_EQ(out.GetArea().xmax, 40);
        EXPECT_EQ(s.GetTolPtNum(), static_cast<int>(zigzag.size() + corner.size() + 2)) << "the source stays";
    }
}

// ---- rebuilds ----

// A regular polygon arc of n chords about (0, 0), radius r, from angle 0 to sweep.
Polyline Arc(int n, double r, double sweep)
{
    Polyline p;
    for (int k = 0; k <= n; ++k)
        p.push_back({static_cast<float>(r * std::cos(sweep * k / n)), static_cast<float>(r * std::sin(sweep * k / n))});
    return p;
}

void ExpectNearCircle(const Polyline& p, double r, double tol)
{
    for (const Pt& q : p) EXPECT_NEAR(std::hypot(q.x, q.y), r, tol) << q;
}

TEST(RebuildBy, FitsCurvesKeepsLinesAndEnds)
{
    Polyline arc = Arc(30, 500, kPi / 2);
    const Pt arcEnd = arc.back();
    arc.push_back({0, 2000});  // a segment longer than b stays a line
    std::vector<float> xy;
    for (const Pt& p : arc) xy.insert(xy.end(), {p.x, p.y});
    PlotShape out;
    int n = out.RebuildBy(static_cast<int>(arc.size()), xy.data(), 1, 100);
    Polyline got = AllPoints(out);
    ASSERT_EQ(n, static_cast<int>(got.size()));
    EXPECT_EQ(got.front(), arc.front());
    EXPECT_EQ(got.back(), (Pt{0, 2000}));
    got.pop_back();
    EXPECT_EQ(got.back(), arcEnd) << "the curve ends on its last vertex";
    ExpectNearCircle(got, 500, 4);

    PlotShape none;
    EXPECT_EQ(none.RebuildBy(static_cast<int>(arc.size()), xy.data(), 0, 100), static_cast<int>(arc.size())) << "no tolerance: copied";
    EXPECT_EQ(none.RebuildBy(0, nullptr, 1, 100), 0);
}

TEST(RebuildList, EveryRunUsesAtLeastOneSegmentAndNothingIsLost)
{
    PlotShape s;
    Fill(s, {{{0, 0}, {1000, 0}, {1000, 0}, {1000, 1000}}, {{5, 5}}, Arc(36, 300, 2 * kPi), {{0, 0}, {50, 0}, {100, 1}, {150, 0}}});
    s.SetPenIndex(7);
    PlotShapeList out;
    s.Rebuild(out);
    auto pieces = Shapes(out);
    ASSERT_FALSE(pieces.empty());
    auto lines = Polylines(s);
    // The pieces of each sub-polyline join end to start and run from its first to its last point.
    size_t k = 0;
    for (const Polyline& line : lines) {
        SCOPED_TRACE(k);
        ASSERT_LT(k, pieces.size());
        EXPECT_EQ(AllPoints(*pieces[k]).front(), line.front());
        Pt end = AllPoints(*pieces[k]).back();
        for (++k; k < pieces.size() && line.size() > 1 && !(end == line.back()); ++k) {
            EXPECT_EQ(AllPoints(*pieces[k]).front(), end);
            end = AllPoints(*pieces[k]).back();
        }
        EXPECT_EQ(end, line.back());
    }
    EXPECT_EQ(k, pieces.size());
    for (PlotShape* p : pieces) EXPECT_EQ(p->GetPenIndex(), 7);
    EXPECT_EQ(AllPoints(*pieces.back()), (Polyline{{0, 0}, {150, 0}})) << "straight within tan 3 degrees";

    const float longSegments[] = {0, 0, 1000, 0, 1000, 1000};
    const float tan3 = static_cast<float>(std::tan(3 * kPi / 180));
    PlotShapeList runs;
    EXPECT_EQ(s.RebuildByV1(runs, 3, longSegments, tan3, 160), 1) << "a segment longer than b is still used";
    EXPECT_EQ(s.RebuildByV1(runs, 1, longSegments, tan3, 160), 0);
    EXPECT_EQ(runs.Count(), 1);
}

TEST(RebuildArray, KeepsCornersAndFitsGentleTurns)
{
    const Polyline square{{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}};
    std::vector<float> xy;
    for (const Pt& p : square) xy.insert(xy.end(), {p.x, p.y});
    PlotShape out;
    EXPECT_EQ(PlotShape::Rebuild(5, xy.data(), out), 5);
    EXPECT_EQ(AllPoints(out), square);

    Polyline arc = Arc(18, 400, kPi);
    xy.clear();
    for (const Pt& p : arc) xy.insert(xy.end(), {p.x, p.y});
    PlotShape curve;
    int n = PlotShape::Rebuild(static_cast<int>(arc.size()), xy.data(), curve);
    Polyline got = AllPoints(curve);
    EXPECT_EQ(n, static_cast<int>(got.size()));
    EXPECT_EQ(got.front(), arc.front());
    EXPECT_EQ(got.back(), arc.back());
    ExpectNearCircle(got, 400, 5);
}

TEST(RebuildSmoothed, ClosedSquareKeepsItsCornersInOneSubPolyline)
{
    PlotShape s;
    Fill(s, {{{0, 0}, {400, 0}, {400, 400}, {0, 400}, {0, 0}}});
    s.SetPenIndex(2);
    const float tan20 = static_cast<float>(std::tan(20 * kPi / 180));
    std::unique_ptr<PlotShape> r(s.Rebuild(1, 100, tan20, tan20));
    ASSERT_EQ(r->GetPlNum(), 1);
    Polyline p = AllPoints(*r);
    for (const Pt& corner : {Pt{400, 0}, Pt{400, 400}, Pt{0, 400}}) EXPECT_NE(std::find(p.begin(), p.end(), corner), p.end()) << corner;
    EXPECT_EQ(p.front(), p.back());
    EXPECT_EQ(r->GetPenIndex(), 2);
    EXPECT_EQ(r->GetArea().xmax, 400);

    PlotShape empty;
    std::unique_ptr<PlotShape> none(empty.Rebuild(1, 100, tan20, tan20));
    EXPECT_EQ(none->GetTolPtNum(), 0);
}

}  // namespace
