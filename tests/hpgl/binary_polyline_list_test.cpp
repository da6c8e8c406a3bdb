// The integer polyline list: joining, point-count limits, HPGL text, cutting, ordering, drawing.
#include "hpgl/binary_polyline_list.h"

#include "platform/cdc.h"
#include "plotmodel/plot_shape_list.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

CPolyLine* Line(std::vector<int32_t> xy, unsigned pen = 0)
{
    auto* line = new CPolyLine;
    line->Create(xy.data(), static_cast<unsigned>(xy.size() / 2), pen);
    return line;
}

std::vector<int32_t> Points(const CPolyLine& line)
{
    std::vector<int32_t> out;
    for (int i = 0; i < line.PtNum(); ++i) {
        out.push_back(line.Point(i).x);
        out.push_back(line.Point(i).y);
    }
    return out;
}

std::vector<std::vector<int32_t>> AllPoints(const CBinaryPolyLineList& list)
{
    std::vector<std::vector<int32_t>> out;
    for (CPolyLine* p = list.HeadLine(); p; p = list.LineAfter(p)) out.push_back(Points(*p));
    return out;
}

std::string Text(CBinaryPolyLineList& list)
{
    CStringA out;
    list.OToHPGLCode(out);
    return out.str();
}

TEST(CBinaryPolyLineList, JoinsTouchingPolylinesOfOnePen)
{
    CBinaryPolyLineList list;
    EXPECT_EQ(list.AddTail(Line({0, 0, 10, 0})), 1);
    EXPECT_EQ(list.AddTail(Line({10, 0, 10, 10})), 1);
    EXPECT_EQ(AllPoints(list), (std::vector<std::vector<int32_t>>{{0, 0, 10, 0, 10, 10}}));
    // An end meeting the tail's end is reversed and joined.
    list.AddTail(Line({20, 10, 10, 10}));
    EXPECT_EQ(AllPoints(list), (std::vector<std::vector<int32_t>>{{0, 0, 10, 0, 10, 10, 20, 10}}));
    // Other pens, other ends, and negative line types through AddTailEx stay apart.
    list.AddTail(Line({20, 10, 30, 10}, 2));
    list.AddTail(Line({50, 50, 60, 60}, 2));
    CPolyLine* dashed = Line({60, 60, 70, 70}, 2);
    dashed->SetLineType(-1);
    list.AddTailEx(dashed);
    list.AddTailEx(Line({70, 70, 80, 80}, 2));
    EXPECT_EQ(list.Count(), 5);
    list.AddTailEx(Line({80, 80, 90, 90}, 2));
    EXPECT_EQ(list.Count(), 5);

    // MakeLink joins what AddTail could not: polylines that continue an earlier one.
    CBinaryPolyLineList scattered;
    scattered.AddTail(Line({0, 0, 1, 0}));
    scattered.AddTail(Line({5, 5, 6, 6}));
    scattered.AddTail(Line({2, 0, 1, 0}));
    scattered.MakeLink();
    EXPECT_EQ(AllPoints(scattered), (std::vector<std::vector<int32_t>>{{0, 0, 1, 0, 2, 0}, {5, 5, 6, 6}}));
}

TEST(CBinaryPolyLineList, PointCountsNeverPassTheLimit)
{
    // A pen-down run of 70000 pairs becomes two polylines that share their boundary point.
    CStringA text("PU0,0;PD");
    for (int i = 1; i <= 70000; ++i) text.AppendFormat("%d,%d,", i, i % 7);
    text += "1,1;";
    CBinaryPolyLineList list;
    EXPECT_EQ(list.CreateFromHPGL(text), 1);
    ASSERT_EQ(list.Count(), 2);
    CPolyLine* first = list.HeadLine();
    CPolyLine* second = list.LineAfter(first);
    EXPECT_EQ(first->PtNum(), 65535);
    EXPECT_EQ(second->PtNum(), 70002 - 65535 + 1);
    EXPECT_EQ(first->Point(65534), second->Point(0));

    // A join that would pass the limit is refused; Create refuses too many points.
    CPolyLine tiny;
    std::vector<int32_t> xy{65534, 4, 0, 0};
    tiny.Create(xy.data(), 2, 0);
    EXPECT_EQ(first->Append(tiny), 0);
    std::vector<int32_t> many(2 * 65536, 0);
    EXPECT_EQ(tiny.Create(many.data(), 65536, 0), 0);
    EXPECT_EQ(tiny.PtNum(), 2);
}

TEST(CBinaryPolyLineList, WritesAndReadsIntegerHpgl)
{
    CPolyLine* line = Line({1, 2, 3, 4, 5, 6});
    CStringA text;
    line->OToHPGLCode(text, true);
    EXPECT_EQ(text.str(), "PU1,2;PD3,4,5,6;");
    text.Empty();
    line->OToHPGLCode(text, false);
    EXPECT_EQ(text.str(), "PD3,4,5,6;");
    delete line;

    CBinaryPolyLineList list;
    EXPECT_EQ(list.GetHPGLLen(), 1000000);
    EXPECT_EQ(list.CreateFromHPGL(CStringA("PD")), 0);
    ASSERT_EQ(list.CreateFromHPGL(CStringA("PU10,10;PD20,10,20,20;PU-5,-5;PD-5,0;PD0,0;")), 1);
    EXPECT_EQ(AllPoints(list), (std::vector<std::vector<int32_t>>{{10, 10, 20, 10, 20, 20}, {-5, -5, -5, 0, 0, 0}}));
    EXPECT_EQ(Text(list), "PU10,10;PD20,10,20,20;PU-5,-5;PD-5,0,0,0;");
    EXPECT_EQ(list.GetHPGLLen(), 41 + 100);
    // A box of negative coordinates is their own, not one reaching to 0.
    const CArea& box = list.LineAfter(list.HeadLine())->GetArea();
    EXPECT_EQ(box, CArea(-5, -5, 0, 0));
    EXPECT_EQ(list.CalArea(), CArea(-5, -5, 20, 20));

    // Shapes become one polyline per sub-polyline with pen 1, truncated.
    PlotShapeList shapes;
    auto* shape = new PlotShape;
    shape->AddPoint(0.9f, 0.9f, 1);
    shape->AddPoint(10.5f, -0.5f, 0);
    shape->AddPoint(100, 100, 1);
    shape->AddPoint(200, 100, 0);
    shapes.AddTail(shape);
    list.CreateFrom(shapes);
    EXPECT_EQ(AllPoints(list), (std::vector<std::vector<int32_t>>{{0, 0, 10, 0}, {100, 100, 200, 100}}));
    EXPECT_EQ(list.HeadLine()->Pen(), 1);
    EXPECT_EQ(shapes.Count(), 1);
}

TEST(CBinaryPolyLineList, CutsAtLinesAndClipsToBoxes)
{
    struct Case {
        const char* name;
        bool vertical;
        int32_t at;
        std::vector<int32_t> line;
        std::vector<std::vector<int32_t>> lower, upper;
    } cases[] = {
        {"crossing", false, 5, {0, 0, 10, 10}, {{0, 0, 5, 5}}, {{5, 5, 10, 10}}},
        {"wholly above, touching", false, 5, {0, 5, 10, 9}, {}, {{0, 5, 10, 9}}},
        {"wholly below", false, 5, {0, 0, 10, 5, 20, 1}, {{0, 0, 10, 5, 20, 1}}, {}},
        {"vertex on the line", false, 5, {0, 0, 5, 5, 10, 10}, {{0, 0, 5, 5}}, {{5, 5, 10, 10}}},
        {"zigzag", true, 10, {0, 0, 20, 0, 20, 10, 0, 10}, {{0, 0, 10, 0}, {10, 10, 0, 10}}, {{10, 0, 20, 0, 20, 10, 10, 10}}},
    };
    for (const Case& c : cases) {
        CBinaryPolyLineList source, lower, upper;
        source.AddTail(Line(c.line));
        if (c.vertical)
            source.CutByVLine(c.at, &lower, &upper, 0);
        else
            source.CutByHLine(c.at, &lower, &upper, 0);
        EXPECT_EQ(AllPoints(lower), c.lower) << c.name;
        EXPECT_EQ(AllPoints(upper), c.upper) << c.name;
        EXPECT_EQ(source.Count(), 0) << c.name;
    }

    // Copies leave the source whole; a null list drops its side.
    CBinaryPolyLineList source, above;
    source.AddTail(Line({0, 0, 10, 10}));
    source.AddTail(Line({0, 20, 10, 30}, 1));
    source.CutByHLine(5, nullptr, &above, 1);
    EXPECT_EQ(source.Count(), 2);
    EXPECT_EQ(AllPoints(above), (std::vector<std::vector<int32_t>>{{5, 5, 10, 10}, {0, 20, 10, 30}}));
    CBinaryPolyLineList untouched;
    untouched.AddTail(Line({0, 0, 10, 10}));
    untouched.CutByHLine(5, nullptr, nullptr, 0);
    EXPECT_EQ(untouched.Count(), 1);

    // Clipping a square to a box through its middle keeps the part inside.
    CBinaryPolyLineList square, clipped;
    square.AddTail(Line({0, 0, 100, 0, 100, 100, 0, 100, 0, 0}));
    square.AddTail(Line({40, 40, 60, 60}, 3));
    square.AddTail(Line({500, 500, 600, 600}, 4));
    square.CutByArea(CArea(50, -10, 200, 50), clipped);
    EXPECT_EQ(AllPoints(clipped), (std::vector<std::vector<int32_t>>{{50, 0, 100, 0, 100, 50}}));
    CBinaryPolyLineList out;
    EXPECT_EQ(square.HeadLine()->CutByArea(CArea(1000, 1000, 2000, 2000), out), 0);
}

TEST(CBinaryPolyLineList, TransformsSaturateInsteadOfOverflowing)
{
    CPolyLine line;
    std::vector<int32_t> xy{0, 0, 10, 0, 10, 20};
    line.Create(xy.data(), 3, 0);
    CArea box(0, 0, 10, 20);
    line.Rotate(1, &box);
    EXPECT_EQ(Points(line), (std::vector<int32_t>{20, 0, 20, 10, 0, 10}));
    line.Rotate(3, &box);
    line.Rotate(2, &box);
    EXPECT_EQ(Points(line), (std::vector<int32_t>{10, 30, 0, 30, 0, 10}));
    line.Mirror(&box);
    line.MoveAndScale(10, 0, 2.0f, 0.5f);
    EXPECT_EQ(Points(line), (std::vector<int32_t>{40, -5, 20, -5, 20, 5}));
    EXPECT_EQ(line.GetArea(), CArea(20, -5, 40, 5));

    line.Move(INT32_MAX, INT32_MIN);
    EXPECT_EQ(line.Point(0), CPoint(INT32_MAX, INT32_MIN));
    line.Scale(1e30f, -1e30f);
    EXPECT_EQ(line.Point(0), CPoint(INT32_MAX, INT32_MAX));

    CBinaryPolyLineList list;
    list.AddTail(Line({0, 0, 100, 0}));
    list.AddTail(Line({0, 50, 0, 10}, 1));
    list.Rotate(1);
    EXPECT_EQ(list.GetArea(0), CArea(0, 0, 50, 100));
    list.Mirror();
    EXPECT_EQ(AllPoints(list), (std::vector<std::vector<int32_t>>{{50, 100, 50, 0}, {0, 100, 40, 100}}));
    CRect bound;
    list.GetPictureBound(bound, 50);
    // 50 units = 125 hundredths of a millimetre, doubled at 50 %, at 96 dpi.
    EXPECT_EQ(bound, CRect(0, -18, 9, 0));
}

TEST(CBinaryPolyLineList, OrdersByNearestStartsAndByCells)
{
    CBinaryPolyLineList list;
    list.AddTail(Line({0, 0, 100, 0}));
    list.AddTail(Line({5000, 0, 6000, 0}, 1));
    list.AddTail(Line({9000, 0, 9500, 0}, 2));
    list.AddTail(Line({150, 0, 1000, 0}, 3));
    EXPECT_EQ(list.FindAClosedPolyLine(CPoint(8000, 0), 10)->Pen(), 2);
    EXPECT_EQ(list.FindAClosedPolyLine(CPoint(0, 0), 10)->Pen(), 0);
    list.Optimize();
    std::vector<int> pens;
    for (CPolyLine* p = list.HeadLine(); p; p = list.LineAfter(p)) pens.push_back(p->Pen());
    EXPECT_EQ(pens, (std::vector<int>{0, 3, 1, 2}));

    CBinaryPolyLineList grid;
    grid.AddTail(Line({1500, 1500, 1600, 1600}, 0));
    grid.AddTail(Line({0, 1500, 100, 1600}, 1));
    grid.AddTail(Line({1500, 0, 1600, 100}, 2));
    grid.AddTail(Line({0, 0, 100, 100}, 3));
    grid.AreaSort(1000, 1000);
    pens.clear();
    for (CPolyLine* p = grid.HeadLine(); p; p = grid.LineAfter(p)) pens.push_back(p->Pen());
    EXPECT_EQ(pens, (std::vector<int>{3, 2, 1, 0}));
    grid.VerticalSort(1000);
    pens.clear();
    for (CPolyLine* p = grid.HeadLine(); p; p = grid.LineAfter(p)) pens.push_back(p->Pen());
    EXPECT_EQ(pens, (std::vector<int>{3, 2, 1, 0}));
    grid.AreaSort(0, 1000);
    EXPECT_EQ(grid.Count(), 4);

    CBinaryPolyLineList inside;
    grid.PolyLinesInArea(inside, CArea(0, 0, 200, 2000));
    EXPECT_EQ(inside.Count(), 2);
    EXPECT_EQ(grid.Count(), 2);
}

TEST(CBinaryPolyLineList, RendersWithTheFivePensUntilTheyAreReleased)
{
    CBinaryPolyLineList list;
    list.AddTail(Line({0, 0, 100, 0}, 0));
    list.AddTail(Line({0, 100, 100, 100}, 2));
    list.AddTail(Line({50, 0, 50, 100}, 9));
    CImageDC dc(120, 120);
    list.Render(&dc, CRect(10, 10, 110, 110));
    EXPECT_EQ(dc.GetPixel(30, 110), RGB(255, 0, 0));  // y = 0 is drawn at the bottom
    EXPECT_EQ(dc.GetPixel(30, 10), RGB(0, 255, 0));
    EXPECT_EQ(dc.GetPixel(60, 50), RGB(0, 255, 0));  // pen 9 keeps the pen before
    EXPECT_EQ(dc.GetWindowOrg(), CPoint(0, 0));

    CBinaryPolyLineList::ReleasePen();
    CBinaryPolyLineList::ReleasePen();
    for (CPen* pen : CBinaryPolyLineList::m_penArray) EXPECT_EQ(pen, nullptr);
    CImageDC plain(120, 120);
    list.Render(&plain, 10, 10, 100, 100, u"cm");
    EXPECT_EQ(plain.GetPixel(30, 110), RGB(0, 0, 0));
}

}  // namespace
