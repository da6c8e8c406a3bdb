// Pages: building, boxes, ordering, knife strokes, dashing and the page-by-page traversal.
#include "plotmodel/plot_page.h"

#include "platform/cdc.h"
#include "plotmodel/plot_pen.h"
#include "traversal_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace plot_fixtures;
namespace R = GetNextPathResult;

Group G(int code, std::vector<CPoint> pts) { return {code, std::move(pts)}; }

PlotShape* TwoPolylines(const Polyline& a, const Polyline& b, unsigned char mau)
{
    auto* s = new PlotShape;
    Fill(*s, {a, b});
    s->SetMauIndex(mau);
    return s;
}

// Page 1: a drawing line, a cut shape of two sub-polylines apart; an empty page; page 3: a
// knife stroke (MauIndex 126) and a fourth-depth cut (130). 65 pulses from (0, 0).
void MakePages(PlotPageList& pages)
{
    pages.AddPlotShape(NewShape({{10, 0}, {20, 0}}), 0);
    pages.AddPlotShape(new PlotShape, 0);  // no points: passed over
    pages.AddPlotShape(TwoPolylines({{20, 0}, {30, 0}}, {{40, 0}, {50, 0}}, CutModeIndex::kCut), 1);
    pages.AddTail(new PlotPage);  // stays empty
    pages.AddTail(new PlotPage);
    pages.AddPlotShape(NewShape({{50, 0}, {55, 0}}, CutModeIndex::kKnifeOrientation), 1);
    pages.AddPlotShape(NewShape({{55, 0}, {65, 0}}, CutModeIndex::kFourthDepth), 1);
    pages.InitPrint(0, 0, 0, 7);
}

TEST(PlotPageList, AddsDrawingAfterCuttingOnANewPage)
{
    PlotPageList pages;
    pages.AddPlotShape(nullptr, 1);
    EXPECT_EQ(pages.Count(), 0);
    pages.AddPlotShape(NewShape({{0, 0}}), 1);  // the first page comes with the first shape
    pages.AddPlotShape(NewShape({{0, 0}}), 0);  // drawing after cutting: a new page
    pages.AddPlotShape(NewShape({{0, 0}}), 0);
    pages.AddPlotShape(NewShape({{0, 0}}), 1);
    ASSERT_EQ(pages.Count(), 2);
    PlotPage* first = pages.HeadPage();
    PlotPage* second = pages.PageAfter(first);
    EXPECT_EQ(first->DrawList().Count(), 0);
    EXPECT_EQ(first->CutList().Count(), 1);
    EXPECT_EQ(second->DrawList().Count(), 2);
    EXPECT_EQ(second->CutList().Count(), 1);
    EXPECT_EQ(PlotPage().GetValue(), 0);
}

TEST(PlotPageList, WalksPageByPageDrawingBeforeCuttingAndReturnsHome)
{
    PlotPageList pages;
    MakePages(pages);
    EXPECT_EQ(pages.GetToltalPulseNum(), 65);
    EXPECT_EQ(pages.GetDataSource(), 7);

    std::vector<Group> expected = {
        G(R::kTravel, {{0, 0}, {10, 0}}),
        G(1, {{10, 0}, {20, 0}}),
        G(2, {{20, 0}, {30, 0}}),
        G(3, {{30, 0}, {40, 0}}),  // between sub-polylines of a cutting shape
        G(2, {{40, 0}, {50, 0}}),
        G(4, {{50, 0}, {55, 0}}),  // the knife stroke
        G(2, {{55, 0}, {65, 0}}),
        G(R::kTravel, {{65, 0}, {0, 0}}),
        G(R::kNoShapeLeft, {}),
    };
    std::vector<Group> walk;
    for (size_t i = 0; i < expected.size(); ++i) {
        CArray<CPoint> g;
        walk.push_back(ToGroup(pages.GetNextPath(g), g));
        if (i == 1) {
            EXPECT_FLOAT_EQ(pages.GetPercentage(), 20.0f / 65.0f);
        }
    }
    EXPECT_EQ(walk, expected);
    EXPECT_FLOAT_EQ(pages.GetPercentage(), 1.0f) << "the move home is not part of the job's pulses";
    CArray<CPoint> g;
    EXPECT_EQ(pages.GetNextPath(g), R::kFinished);
    EXPECT_EQ(pages.GetArea(), CArea(10, 0, 65, 0));
}

TEST(PlotPageList, WalkAtCodesJoinsFiveAndTheFourthDepthFour)
{
    PlotPageList pages;
    MakePages(pages);
    std::vector<Group> walk = Motion(WalkAll([&pages](CArray<CPoint>& g) { return pages.GetNextPath_at(g); }));
    std::vector<int> codes;
    for (const Group& g : walk) codes.push_back(g.code);
    EXPECT_EQ(codes, (std::vector<int>{0, 1, 2, 5, 2, 2, 4, 0}));
}

struct PageResumeCase {
    int32_t pulses;
    Group depthless;  // GetBreakPointPath
    Group at;         // GetBreakPointPath_at
};

TEST(PlotPageList, ResumeFindsTheStopInMovesPathsAndTheMoveHome)
{
    const PageResumeCase cases[] = {
        {5, G(0, {{5, 0}, {10, 0}}), G(0, {{5, 0}, {10, 0}})},
        {35, G(3, {{35, 0}, {40, 0}}), G(5, {{35, 0}, {40, 0}})},
        {45, G(2, {{45, 0}, {50, 0}}), G(2, {{45, 0}, {50, 0}})},
        {53, G(4, {{53, 0}, {55, 0}}), G(2, {{53, 0}, {55, 0}})},
        {60, G(2, {{60, 0}, {65, 0}}), G(4, {{60, 0}, {65, 0}})},
        {70, G(R::kNoShapeLeft, {}), G(0, {{60, 0}, {0, 0}})},  // only the _at search counts the move home
        {200, G(R::kNoShapeLeft, {}), G(R::kNoShapeLeft, {})},
    };
    for (const PageResumeCase& c : cases) {
        for (bool at : {false, true}) {
            PlotPageList pages;
            MakePages(pages);
            pages.ResumePrint(c.pulses);
            CArray<CPoint> g;
            int code = at ? pages.GetBreakPointPath_at(g) : pages.GetBreakPointPath(g);
            EXPECT_EQ(ToGroup(code, g), at ? c.at : c.depthless) << c.pulses << (at ? " at" : "");
        }
    }
}

TEST(PlotPageList, ResumedWalkSnapsToTheReferenceCountsPulsesAndGoesOn)
{
    PlotPageList pages;
    MakePages(pages);  // never walked before
    pages.SetReferencePosition(36, 2);
    pages.ResumePrint(35);
    EXPECT_EQ(pages.GetPulseCounter(), 35);
    CArray<CPoint> g;
    EXPECT_EQ(pages.GetNextPath(g), 3);
    EXPECT_EQ(ToGroup(3, g), G(3, {{35, 2}, {40, 0}})) << "x moves farther: y is taken over";
    EXPECT_EQ(pages.GetPulseCounter(), 40);
    g.RemoveAll();
    EXPECT_EQ(ToGroup(pages.GetNextPath(g), g), G(2, {{40, 0}, {50, 0}}));

    PlotPageList home;
    MakePages(home);
    home.ResumePrint(70);
    g.RemoveAll();
    EXPECT_EQ(home.GetNextPath_at(g), R::kTravel);
    g.RemoveAll();
    EXPECT_EQ(home.GetNextPath_at(g), R::kNoShapeLeft);
}

TEST(PlotPageList, ADashedCutOfManyDashesIsWalkedWholeQuickly)
{
    constexpr int kDashes = 20000;
    PlotPageList pages;
    pages.AddPlotShape(NewShape({{0, 0}, {20.0f * kDashes, 0}}), 1);
    structDash d;
    d.dash = 10;
    d.gap = 10;
    pages.DashCutList(d);
    pages.InitPrint(0, 0, 0, 0);
    ASSERT_EQ(pages.GetToltalPulseNum(), 20 * kDashes - 10);
    std::vector<Group> walk =
        Motion(WalkAll([&pages](CArray<CPoint>& g) { return pages.GetNextPath(g); }, 10 * kDashes));
    ASSERT_EQ(walk.size(), 2u * kDashes);  // a cut and a join move per dash, then the move home
    EXPECT_EQ(walk.back(), G(R::kTravel, {{20 * kDashes - 10, 0}, {0, 0}}));
    EXPECT_FLOAT_EQ(pages.GetPercentage(), 1.0f);
}

TEST(PlotPageList, LineBreakPointLeadsOnTheFartherAxis)
{
    struct Case {
        int32_t n;
        CPoint a, b;
        int result;
        std::vector<CPoint> pts;
    };
    const Case cases[] = {
        {3, {0, 0}, {10, 5}, 1, {{3, 1}, {10, 5}}},
        {3, {0, 0}, {-5, -10}, 1, {{-1, -3}, {-5, -10}}},
        {1, {0, 0}, {49, 3}, 1, {{1, 0}, {49, 3}}},
        {10, {0, 0}, {10, 5}, 1, {{10, 5}, {10, 5}}},
        {11, {0, 0}, {10, 5}, 0, {}},
    };
    for (const Case& c : cases) {
        CArray<CPoint> g;
        EXPECT_EQ(PlotPageList::GetBreakPointPath_Line(g, c.n, c.a, c.b), c.result);
        EXPECT_EQ(std::vector<CPoint>(g.begin(), g.end()), c.pts) << c.n;
    }
}

TEST(PlotPageList, BoxesLeaveOutEmptyListsAndPages)
{
    PlotPageList pages;
    pages.AddPlotShape(NewShape({{100, 50}, {200, 60}}), 1);
    pages.AddTail(new PlotPage);
    pages.AddPlotShape(NewShape({{300, 70}, {310, 80}}), 0);
    pages.AddTail(new PlotPage);
    EXPECT_EQ(pages.HeadPage()->CalArea(1), CArea(100, 50, 200, 60)) << "not pulled to the origin";
    EXPECT_EQ(pages.CalArea(1), CArea(100, 50, 310, 80));
    pages.Scale(2.0, 1.0);
    EXPECT_EQ(pages.CalArea(1), CArea(200, 50, 620, 80));
    pages.MoveCutList(1, 1);
    pages.MoveDrawList(-1, -1);
    EXPECT_EQ(pages.CalArea(1), CArea(201, 51, 619, 79));
}

TEST(PlotPage, OrdersNearestFirstReversingShapesEnteredAtTheirEnd)
{
    PlotShapeList from;
    AddShape(from, {{10, 0}, {20, 0}});
    AddShape(from, {{5, 5}, {1, 1}});   // its end is nearest (0, 0)
    AddShape(from, {{30, 0}, {20, 0}});  // ties with the next: the earlier wins
    AddShape(from, {{20, 0}, {40, 0}});
    PlotShape* tieWinner = Shapes(from)[2];
    PlotShapeList to;
    CFloatPoint p(0, 0);
    PlotPage::Order(from, to, p);
    EXPECT_EQ(from.Count(), 0);
    std::vector<Polyline> order;
    for (PlotShape* s : Shapes(to)) order.push_back(AllPoints(*s));
    EXPECT_EQ(order, (std::vector<Polyline>{{{1, 1}, {5, 5}}, {{10, 0}, {20, 0}}, {{20, 0}, {30, 0}}, {{20, 0}, {40, 0}}}));
    EXPECT_EQ(Shapes(to)[2], tieWinner);
    EXPECT_EQ(p, CFloatPoint(40, 0));
    PlotShapeList empty;
    EXPECT_EQ(PlotPage::GetClosestLine(empty, p), nullptr);
}

TEST(PlotPage, CopiesPensOneAndTwoWholeOrBandByBand)
{
    auto pens = [](PlotPenList& l) {
        auto add = [&l](const Polyline& pts, short pen) {
            PlotShape* s = NewShape(pts);
            s->SetPenIndex(pen);
            l.AddPlotShape(s);
        };
        add({{500, 9000}, {600, 9000}}, 1);
        add({{100, 200}, {0, 200}}, 1);
        add({{300, 100}, {200, 100}}, 1);
        add({{0, 0}, {5, 5}}, 2);
        add({{7, 7}, {9, 9}}, 3);
    };
    PlotPenList whole;
    pens(whole);
    PlotPage page;
    page.CopyPage(whole);
    EXPECT_EQ(page.DrawList().Count(), 3);
    EXPECT_EQ(page.CutList().Count(), 1);
    EXPECT_EQ(whole.FindPenDataList(3)->Shapes().Count(), 1);

    PlotPenList banded;
    pens(banded);
    PlotPage ordered;
    CFloatPoint p(0, 0);
    ordered.CopyPage1(banded, p);
    std::vector<Polyline> order;
    for (PlotShape* s : Shapes(ordered.DrawList())) order.push_back(AllPoints(*s));
    // The lower band first, nearest neighbour from (0, 0); the shape at y 9000 after it.
    EXPECT_EQ(order, (std::vector<Polyline>{{{0, 200}, {100, 200}}, {{200, 100}, {300, 100}}, {{500, 9000}, {600, 9000}}}));
    EXPECT_EQ(banded.FindPenDataList(1)->Shapes().Count(), 0);
    EXPECT_EQ(ordered.CutList().Count(), 1);
    EXPECT_EQ(p, CFloatPoint(0, 0)) << "the cut from (0,0) to (5,5) is entered at its end";
}

TEST(PlotPageList, KnifeStrokesPointFiveUnitsAlongTheShape)
{
    struct Case {
        float kx, ky;
        Pt end;
    };
    const float along = static_cast<float>(5.0 / std::sqrt(73.0));
    const Case cases[] = {
        {1, 1, {3, 4}},
        {0, 0, {3, 4}},   // scales not known yet count as 1:1
        {-1, 1, {3, 4}},
        {1, 2, {3 * along, 4 * along}},  // 5 units of sqrt((2 dy)² + dx²)
    };
    for (const Case& c : cases) {
        PlotShapeList list;
        PlotShape* s = NewShape({{0, 0}, {0.5f, 0.2f}, {3, 4}, {30, 40}}, CutModeIndex::kCut);
        s->SetPenIndex(6);
        list.AddTail(s);
        AddShape(list, {{10, 10}, {10.5f, 10.9f}});  // never 1 unit away: no stroke
        PlotPageList::ProKnifeDir(list, c.kx, c.ky);
        ASSERT_EQ(list.Count(), 3);
        PlotShape* stroke = list.HeadShape();
        EXPECT_EQ(stroke->GetMauIndex(), CutModeIndex::kKnifeOrientation);
        EXPECT_EQ(stroke->GetPenIndex(), 6);
        Polyline pts = AllPoints(*stroke);
        ASSERT_EQ(pts.size(), 2u);
        EXPECT_EQ(pts[0], (Pt{0, 0}));
        EXPECT_NEAR(pts[1].x, c.end.x, 1e-5) << c.kx << ":" << c.ky;
        EXPECT_NEAR(pts[1].y, c.end.y, 1e-5) << c.kx << ":" << c.ky;
        EXPECT_EQ(list.ShapeAfter(stroke), s);
    }

    PlotPageList pages;
    pages.AddPlotShape(NewShape({{0, 0}, {10, 0}}), 0);
    pages.AddPlotShape(NewShape({{0, 0}, {10, 0}}, CutModeIndex::kCut), 1);
    pages.ProKnifeDir(1, 1);
    EXPECT_EQ(pages.HeadPage()->DrawList().Count(), 1) << "drawing work gets no knife strokes";
    EXPECT_EQ(pages.HeadPage()->CutList().Count(), 2);
}

TEST(PlotPageList, DashCutListReplacesCutsByTheirDashesKeepingTheirAttributes)
{
    PlotPageList pages;
    pages.AddPlotShape(NewShape({{0, 50}, {100, 50}}), 0);
    auto* cut = new PlotShape;
    Fill(*cut, {{{0, 0}, {100, 0}}, {{7, 7}}, {{0, 10}, {100, 10}}});
    cut->SetMauIndex(CutModeIndex::kFourthDepth);
    pages.AddPlotShape(cut, 1);
    structDash d;
    d.dash = 10;
    d.gap = 10;
    pages.DashCutList(d);
    PlotPage* page = pages.HeadPage();
    EXPECT_EQ(page->DrawList().Count(), 1);
    std::vector<PlotShape*> dashes = Shapes(page->CutList());
    ASSERT_EQ(dashes.size(), 2u) << "one dashed shape per sub-polyline of two or more points";
    for (PlotShape* s : dashes) {
        EXPECT_EQ(s->GetMauIndex(), CutModeIndex::kFourthDepth);
        EXPECT_GT(s->GetPlNum(), 1);
    }
    EXPECT_FLOAT_EQ(PlotPageList::GetLength(CFloatPoint(0, 0), CFloatPoint(3, 4), d), 5.0f);

    PlotShapeList out;
    const float line[] = {0, 0, 40, 0};
    EXPECT_EQ(PlotPageList::Dash(out, d, 2, line), 1);
    EXPECT_EQ(PlotPageList::Dash(out, d, 1, line), 0);
    EXPECT_EQ(out.Count(), 1);
}

TEST(PlotPage, DrawsDrawingBlackAndCuttingGreen)
{
    PlotPage page;
    page.DrawList().AddTail(NewShape({{0, 9}, {10, 9}}));
    page.CutList().AddTail(NewShape({{0, 5}, {10, 5}}));
    CImageDC dc(12, 12);
    CPen red(PS_SOLID, 1, RGB(255, 0, 0));
    dc.SelectObject(&red);
    structRender r;
    r.dc = &dc;
    r.originY = 10;
    page.Render(r);
    EXPECT_EQ(dc.GetPixel(5, 1), RGB(0, 0, 0));
    EXPECT_EQ(dc.GetPixel(5, 5), RGB(0, 255, 0));
    CPen probe(PS_SOLID, 1, 0);
    EXPECT_EQ(dc.SelectObject(&probe), &red);
}

}  // namespace
