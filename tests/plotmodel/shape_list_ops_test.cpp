// PlotShapeList cuts, cut and draw selection, orderings, joining and the offset corner.
#include "plotmodel/plot_shape_list.h"

#include "shape_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace plot_fixtures;

// A horizontal stroke from (x0, y) to (x1, y) with cut mode mau.
PlotShape* Stroke(float x0, float x1, float y, unsigned char mau = 127) { return NewShape({{x0, y}, {x1, y}}, mau); }

TEST(ListCut, SplitsEveryShapeAndKeepsTheSource)
{
    PlotShapeList list, left, right;
    list.AddTail(NewShape({{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}}));
    list.AddTail(Stroke(10, 40, 50));
    list.CutByVLine(50, &left, &right);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(left.Count(), 3);
    EXPECT_EQ(right.Count(), 1);

    PlotShapeList below, above;
    list.CutByHLine(50, &below, &above);
    EXPECT_EQ(below.Count(), 3) << "the square's two lower pieces, and the stroke lying on the line";
    EXPECT_EQ(above.Count(), 1);
}

TEST(ListCut, CutPagesKeepShapesWholeUnlessTheyAreLarge)
{
    PlotShapeList list, left, right;
    list.AddTail(Stroke(0, 12000, 0, 2));       // 300 mm, crossed by the line
    list.AddTail(Stroke(-100, 9000, 10, 2));    // ends before the line
    list.AddTail(Stroke(-8000, 16000, 20, 2));  // 600 mm with 450 mm before the line
    list.AddTail(Stroke(8000, 30000, 30, 2));   // 550 mm, only 50 mm before the line
    list.CutByVLine_ForCut(10000, &left, &right);
    std::vector<PlotShape*> l = Shapes(left), r = Shapes(right);
    ASSERT_EQ(l.size(), 2u);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(AllPoints(*l[0]), (Polyline{{-100, 10}, {9000, 10}}));
    EXPECT_EQ(AllPoints(*l[1]), (Polyline{{-8000, 20}, {10000, 20}}));
    EXPECT_EQ(AllPoints(*r[0]), (Polyline{{0, 0}, {12000, 0}}));
    EXPECT_EQ(AllPoints(*r[1]), (Polyline{{10000, 20}, {16000, 20}}));
    EXPECT_EQ(AllPoints(*r[2]), (Polyline{{8000, 30}, {30000, 30}}));

    PlotShapeList thirdsLeft, thirdsRight;
    PlotShapeList thirds;
    thirds.AddTail(Stroke(0, 300, 0));    // 99 before x = 99: less than a third
    thirds.AddTail(Stroke(0, 300, 5));
    thirds.CutByVLine_ForJiGuang(99, &thirdsRight, nullptr);
    thirds.CutByVLine_ForJiGuang(100, &thirdsLeft, &thirdsRight);
    EXPECT_EQ(thirdsRight.Count(), 0) << "the first call sent everything to the dropped right side";
    EXPECT_EQ(thirdsLeft.Count(), 2);
}

TEST(ListSelect, CutAndDrawCurvesByCutMode)
{
    auto fill = [](PlotShapeList& list) {
        for (unsigned char mau : {1, 2, 4, 5, 8, 127, 130}) list.AddTail(Stroke(0, 1, 0, mau));
    };
    PlotShapeList list;
    fill(list);
    list.DeleteCutCrvs();
    EXPECT_EQ(list.Count(), 4);
    list.DeleteDrawCrvs();
    EXPECT_EQ(list.Count(), 0);

    PlotShapeList cuts;
    fill(cuts);
    cuts.HeadShape()->SetPenIndex(6);
    cuts.DeleteDrawCrvsAndSetCutToDraw();
    ASSERT_EQ(cuts.Count(), 3);
    for (PlotShape* s : Shapes(cuts)) EXPECT_EQ(s->GetPenIndex(), 1);
}

TEST(ListOrder, StripsRunUpwardsThenDownwardsAndBandZeroKeepsTheOrder)
{
    PlotShapeList list;
    // Strip 1 (x up to 100): rows from the bottom; strip 2 (x up to 200): rows from the top.
    PlotShape* a = Stroke(10, 50, 250);
    PlotShape* b = Stroke(20, 60, 30);
    PlotShape* c = Stroke(150, 190, 20);
    PlotShape* d = Stroke(30, 90, 120);
    PlotShape* e = Stroke(110, 180, 280);
    PlotShape* f = Stroke(40, 80, 60);  // same row as b: keeps its list order after b
    for (PlotShape* s : {a, b, c, d, e, f}) list.AddTail(s);
    list.CalArea(0);

    list.OrderByArea(0);
    list.OrderByArea(-100);
    EXPECT_EQ(Shapes(list), (std::vector<PlotShape*>{a, b, c, d, e, f}));

    list.OrderByArea(100);
    EXPECT_EQ(Shapes(list), (std::vector<PlotShape*>{b, f, d, a, e, c}));
}

TEST(ListOrder, TransfersAndTheNearestStart)
{
    PlotShapeList list, taken;
    list.AddTail(Stroke(0, 10, 0));
    list.AddTail(Stroke(20, 30, 50));
    list.AddTail(Stroke(5, 40, 100));
    struct Case {
        void (PlotShapeList::*move)(PlotShapeList&, int32_t);
        int32_t at;
        int want;
    };
    const Case cases[] = {
        {&PlotShapeList::GetXMinSideMarshal, 30, 2},
        {&PlotShapeList::GetXMinSideMarshalEx, 5, 2},
        {&PlotShapeList::GetYMinSideMarshal, 50, 2},
        {&PlotShapeList::GetYMaxSideMarshal, 50, 2},
    };
    for (const Case& c : cases) {
        PlotShapeList source, target;
        source = list;
        (source.*c.move)(target, c.at);
        EXPECT_EQ(target.Count(), c.want);
        EXPECT_EQ(source.Count(), 3 - c.want);
    }

    int fromStart = 0;
    EXPECT_EQ(taken.GetClosestEndPtOfCrv(CFloatPoint(0, 0), fromStart), nullptr);
    std::vector<PlotShape*> shapes = Shapes(list);
    EXPECT_EQ(list.GetClosestEndPtOfCrv(CFloatPoint(12, 40), fromStart), shapes[1]);
    EXPECT_EQ(fromStart, 1);
    EXPECT_EQ(list.GetClosestEndPtOfCrv(CFloatPoint(10, 25), fromStart), shapes[0]) << "ties go to the first";
}

TEST(ListOrder, OnlyYBreaksRunsRightToLeftInRowsAndKeepsAttributes)
{
    PlotShapeList list;
    list.AddTail(NewShape({{0, 9000}, {100, 9000}}, 2));                       // upper row
    list.AddTail(NewShape({{0, 100}, {500, 100}, {500, 3000}, {900, 3000}}, 5));  // two corners
    list.AddTail(NewShape({{700, 200}, {600, 200}}, 4));
    CFloatPoint pos(123, 456);
    list.OrderOnlyY(pos);
    std::vector<PlotShape*> got = Shapes(list);
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(AllPoints(*got[0]), (Polyline{{500, 100}, {0, 100}})) << "nearest start to (0, 0) in the first row";
    EXPECT_EQ(AllPoints(*got[1]), (Polyline{{700, 200}, {600, 200}}));
    EXPECT_EQ(AllPoints(*got[2]), (Polyline{{900, 3000}, {500, 3000}}));
    EXPECT_EQ(AllPoints(*got[3]), (Polyline{{100, 9000}, {0, 9000}}));
    EXPECT_EQ(AllPoints(*got[4]), (Polyline{{500, 100}, {500, 3000}})) << "the vertical piece comes last";
    EXPECT_EQ(got[0]->GetMauIndex(), 5);
    EXPECT_EQ(got[3]->GetMauIndex(), 2);
    EXPECT_EQ(pos, CFloatPoint(500, 3000));
}

TEST(ListJoin, ConnectCrvJoinsPiecesEndToEndAndLeavesClosedShapes)
{
    PlotShapeList list;
    PlotShape* ring = NewShape({{500, 500}, {600, 500}, {600, 600}, {500.2f, 500.3f}});
    list.AddTail(NewShape({{20, 0.5f}, {30, 0}}));
    list.AddTail(ring);
    list.AddTail(NewShape({{0, 0}, {10, 0}}));
    list.AddTail(NewShape({{20.8f, 0}, {10, 0.9f}}));
    list.ConnectCrv();
    std::vector<PlotShape*> got = Shapes(list);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], ring);
    // Each join keeps this shape's end point and drops the other's.
    EXPECT_EQ(AllPoints(*got[1]), (Polyline{{0, 0}, {10, 0.9f}, {20, 0.5f}, {30, 0}}));
}

TEST(ListJoin, GetCloseCurveMovesShapesThatCloseWithTheirBounds)
{
    PlotShapeList list, closed;
    list.AddTail(NewShape({{0, 0}, {100, 0}, {100, 100}}));
    list.AddTail(NewShape({{500, 0}, {600, 0}}));
    list.AddTail(NewShape({{102, 101}, {0, 100}, {3, -2}}));
    list.GetCloseCurve(closed);
    ASSERT_EQ(closed.Count(), 1);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(closed.HeadShape()->GetTolPtNum(), 5);
    EXPECT_EQ(closed.HeadShape()->GetArea(), CArea(0, -2, 100, 100));
}

TEST(ListJoin, ChainsFollowUniqueContinuations)
{
    PlotShapeList list;
    PlotShape* a = NewShape({{0, 0}, {10, 0}});
    PlotShape* b = NewShape({{20, 0}, {12, 1}});  // runs backwards: reversed to continue a
    PlotShape* c = NewShape({{21, 2}, {30, 0}});
    PlotShape* d = NewShape({{33, 0}, {40, 0}});
    PlotShape* e = NewShape({{31, 2}, {40, 10}});  // a second way on from c: the chain stops
    for (PlotShape* s : {a, b, c, d, e}) list.AddTail(s);

    CArray<PlotShape*> found;
    CArray<int> atStart;
    list.FindCloseCrvs(CFloatPoint(11, 0), found, atStart);
    ASSERT_EQ(found.GetSize(), 2);
    EXPECT_EQ(found[0], a);
    EXPECT_EQ(atStart[0], 0);
    EXPECT_EQ(found[1], b);
    EXPECT_EQ(atStart[1], 0);

    CArray<PlotShape*> chain;
    list.FindConnectCrvs(a, chain);
    ASSERT_EQ(chain.GetSize(), 3);
    EXPECT_EQ(chain[1], b);
    EXPECT_EQ(b->Start(), CFloatPoint(12, 1));
    EXPECT_EQ(chain[2], c);
}

TEST(ListCompensate, OffsetCornersArePointsOrArcShapes)
{
    PlotShapeList list;
    PlotShape* shape = NewShape({{0, 0}, {100, 0}}, 2);
    shape->SetPenIndex(3);
    const CFloatPoint east(1, 0), corner(100, 0);

    EXPECT_EQ(list.AddCompansate(shape, CFloatPoint(0, 0), corner, corner, 10, 0), shape);
    EXPECT_EQ(shape->End(), corner) << "a zero direction adds the corner itself";
    EXPECT_EQ(list.AddCompansate_cut(shape, east, corner, CFloatPoint(200, 10), 10, 0), shape);
    EXPECT_EQ(shape->End(), CFloatPoint(110, 0)) << "a small turn adds the corner moved along the direction";
    EXPECT_EQ(list.Count(), 0);

    // A left turn of 90 degrees with offset 10: 7200 / (10 π) > 15, so steps of 15 degrees.
    PlotShape* after = list.AddCompansate(shape, east, corner, CFloatPoint(100, 100), 10, 0);
    std::vector<PlotShape*> got = Shapes(list);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], shape);
    EXPECT_EQ(shape->GetArea(), CArea(0, 0, 110, 0));
    PlotShape* arc = got[1];
    EXPECT_EQ(arc->GetMauIndex(), 130);
    ASSERT_EQ(arc->GetTolPtNum(), 8);  // int(90 / 15 + 1) = 7 steps
    for (int i = 0; i < arc->GetTolPtNum(); ++i)
        EXPECT_NEAR((arc->Point(i) - corner).Length(), 10.0, 1e-4);
    EXPECT_NEAR(arc->End().x, 100, 1e-4);
    EXPECT_NEAR(arc->End().y, 10, 1e-4);
    ASSERT_NE(after, shape);
    EXPECT_EQ(after->GetStoredIn(), nullptr);
    EXPECT_EQ(after->GetMauIndex(), 2);
    EXPECT_EQ(after->GetTolPtNum(), 1);
    EXPECT_NEAR(after->Start().y, 10, 1e-4);

    // An empty shape is not handed to the list; it goes on from the arc's end itself.
    delete after;
    auto* empty = new PlotShape;
    PlotShape* again = list.AddCompansate(empty, east, corner, CFloatPoint(100, -100), 10, 0);
    EXPECT_EQ(again, empty);
    EXPECT_NEAR(again->Start().y, -10, 1e-4);
    EXPECT_EQ(list.Count(), 3);
    delete again;
}

}  // namespace
