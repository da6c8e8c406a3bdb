// Pens: shapes grouped by pen number, the colour table, boxes, cuts and drawing.
#include "plotmodel/plot_pen.h"

#include "platform/cdc.h"
#include "traversal_fixtures.h"

#include <gtest/gtest.h>

namespace {

using namespace plot_fixtures;

PlotShape* PenShape(const Polyline& pts, short pen)
{
    PlotShape* s = NewShape(pts);
    s->SetPenIndex(pen);
    return s;
}

std::vector<int32_t> PenNumbers(const PlotPenList& l)
{
    std::vector<int32_t> out;
    for (PlotPenData* p = l.HeadPen(); p; p = l.PenAfter(p)) out.push_back(p->GetPenNumber());
    return out;
}

TEST(PlotPenList, ColourTableStartsWhiteWithBlackGreenAndBluePens)
{
    PlotPenList l;
    EXPECT_EQ(l.GetPenColor(0), 0xFFFFFFFFu);
    EXPECT_EQ(l.GetPenColor(1), 0x000000u);
    EXPECT_EQ(l.GetPenColor(2), 0x00FF00u);
    EXPECT_EQ(l.GetPenColor(3), 0xFF0000u);
    EXPECT_EQ(l.GetPenColor(4), 0xFF0000u);
    EXPECT_EQ(l.GetPenColor(5), 0xFFFFFFFFu);
    EXPECT_EQ(l.GetPenColor(254), 0xFFFFFFFFu);
    PlotPenData fresh;
    EXPECT_EQ(fresh.GetPenNumber(), 1);
}

TEST(PlotPenList, GroupsShapesByPenInOrderOfFirstUse)
{
    PlotPenList l;
    l.AddPlotShape(nullptr);
    l.AddPlotShape(PenShape({{0, 0}}, 3));
    PlotShapeList in;
    in.AddTail(PenShape({{1, 1}}, 1));
    in.AddTail(PenShape({{2, 2}}, 3));
    l.Append(in);
    EXPECT_EQ(in.Count(), 0);
    EXPECT_EQ(PenNumbers(l), (std::vector<int32_t>{3, 1}));
    EXPECT_EQ(l.FindPenDataList(3)->Shapes().Count(), 2);
    EXPECT_EQ(l.FindPenDataList(9), nullptr);

    PlotShapeList drawing;
    drawing.AddTail(PenShape({{3, 3}}, 7));
    l.AppendPenData(drawing);
    EXPECT_EQ(l.FindPenDataList(1)->Shapes().Count(), 2) << "AppendPenData files everything under pen 1";

    PlotPenList other;
    other.AddPlotShape(PenShape({{4, 4}}, 3));
    other.AddPlotShape(PenShape({{5, 5}}, 8));
    l.Append(other);
    EXPECT_EQ(PenNumbers(l), (std::vector<int32_t>{3, 1, 8}));
    EXPECT_EQ(l.FindPenDataList(3)->Shapes().Count(), 3);
    EXPECT_EQ(other.FindPenDataList(3)->Shapes().Count(), 0);
}

TEST(PlotPenList, ShapeColourComesFromThePenHoldingTheShape)
{
    PlotPenList l;
    PlotShape* green = PenShape({{0, 0}}, 2);
    PlotShape* plain = PenShape({{0, 0}}, 5);
    PlotShape* beyond = PenShape({{0, 0}}, 255);  // one past the table
    PlotShape* negative = PenShape({{0, 0}}, -2);
    for (PlotShape* s : {green, plain, beyond, negative}) l.AddPlotShape(s);
    EXPECT_EQ(l.GetShapeColor(green), 0x00FF00u);
    EXPECT_EQ(l.GetShapeColor(plain), 0xFFFFFFFFu);
    EXPECT_EQ(l.GetShapeColor(beyond), 0u);
    EXPECT_EQ(l.GetShapeColor(negative), 0u);
    PlotShape loose;
    EXPECT_EQ(l.GetShapeColor(&loose), 0u);
    EXPECT_EQ(l.GetShapeColor(nullptr), 0u);
}

TEST(PlotPenList, BoxesTransformsAndBands)
{
    PlotPenList l;
    l.AddPlotShape(PenShape({{100, 50}, {200, 60}}, 1));
    l.AddPlotShape(PenShape({{300, 70}, {310, 80}}, 2));
    PlotShapeList none;
    none.AddTail(PenShape({{0, 0}}, 4));
    l.Append(none);
    l.FindPenDataList(4)->Shapes().Clear();  // a pen without shapes
    EXPECT_EQ(l.CalArea(1, 1), CArea(100, 50, 310, 80));
    l.Move(10, -10);
    EXPECT_EQ(l.GetArea(), CArea(110, 40, 320, 70));
    EXPECT_EQ(l.CalArea(0, 1), CArea(110, 40, 320, 70));
    EXPECT_EQ(l.CalArea(1, 1), CArea(110, 40, 320, 70));
    l.Mirror();  // y := box ymax - y
    EXPECT_EQ(l.CalArea(1, 1), CArea(110, 0, 320, 30));

    PlotPenData& pen = *l.FindPenDataList(1);
    pen.Shapes().AddTail(PenShape({{0, 500}, {0, 900}}, 1));
    PlotShapeList low, high;
    pen.GetLinesInDown(low, 30);
    pen.GetLinesInUp(high, 500);
    EXPECT_EQ(low.Count(), 1);
    EXPECT_EQ(high.Count(), 1);
    EXPECT_EQ(pen.Shapes().Count(), 0);
}

TEST(PlotPenList, CutsEachPenIntoPensOfTheSameNumber)
{
    PlotPenList l;
    l.AddPlotShape(PenShape({{0, 0}, {1000, 0}}, 1));
    l.AddPlotShape(PenShape({{0, 10}, {1000, 10}}, 2));
    l.CalArea(1, 1);
    PlotPenList left, right;
    l.CutByVLine(400, &left, &right);
    EXPECT_EQ(PenNumbers(left), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(left.FindPenDataList(2)->Shapes().Count(), 1);
    EXPECT_EQ(right.FindPenDataList(1)->Shapes().Count(), 1);
    EXPECT_EQ(l.FindPenDataList(1)->Shapes().Count(), 1) << "the source keeps its shapes";

    PlotPenList keptLeft, keptRight;
    l.CutByVLine_ForCut(400, &keptLeft, &keptRight);
    EXPECT_EQ(keptLeft.FindPenDataList(1)->Shapes().Count(), 1) << "drawing pens are cut";
    EXPECT_EQ(keptLeft.FindPenDataList(2)->Shapes().Count(), 0) << "the cutting pen is kept whole";
    EXPECT_EQ(keptRight.FindPenDataList(2)->Shapes().Count(), 1);

    PlotPenList onlyRight;
    l.CutByHLine(5, nullptr, &onlyRight);
    EXPECT_EQ(onlyRight.FindPenDataList(2)->Shapes().Count(), 1);
    EXPECT_EQ(onlyRight.FindPenDataList(1)->Shapes().Count(), 0);
    PlotPenList laser;
    l.CutByVLine_ForJiGuang(100, nullptr, &laser);
    EXPECT_EQ(laser.FindPenDataList(1)->Shapes().Count(), 1);
}

TEST(PlotPenList, CopiesAreDeep)
{
    PlotPenList a;
    a.AddPlotShape(PenShape({{1, 2}, {3, 4}}, 6));
    a.FindPenDataList(6)->SetValue(42);
    a.CalArea(1, 1);
    PlotPenList b;
    b.AddPlotShape(PenShape({{9, 9}}, 1));
    b = a;
    EXPECT_EQ(PenNumbers(b), (std::vector<int32_t>{6}));
    PlotPenData* copy = b.FindPenDataList(6);
    EXPECT_EQ(copy->GetValue(), 42);
    EXPECT_NE(copy->Shapes().HeadShape(), a.FindPenDataList(6)->Shapes().HeadShape());
    EXPECT_EQ(AllPoints(*copy->Shapes().HeadShape()), (Polyline{{1, 2}, {3, 4}}));
    EXPECT_EQ(b.GetArea(), a.GetArea());
    EXPECT_EQ(b.GetPenColor(2), 0x00FF00u);
}

TEST(PlotPenList, DrawsEachPenInItsColourFromTheBoxTop)
{
    PlotPenList l;
    l.AddPlotShape(PenShape({{0, 100}, {10, 100}}, 2));
    l.AddPlotShape(PenShape({{0, 96}, {10, 96}}, 3));
    l.CalArea(1, 1);
    CImageDC dc(12, 8);
    CPen red(PS_SOLID, 1, RGB(255, 0, 0));
    dc.SelectObject(&red);
    structRender r;
    r.dc = &dc;
    l.Render(r);
    EXPECT_EQ(r.originY, 100);
    EXPECT_EQ(dc.GetPixel(5, 0), 0x00FF00u);
    EXPECT_EQ(dc.GetPixel(5, 4), 0xFF0000u);
    CPen probe(PS_SOLID, 1, 0);
    EXPECT_EQ(dc.SelectObject(&probe), &red);
}

}  // namespace
