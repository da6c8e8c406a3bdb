// PlotShapeList: cached bounds, whole-list transforms and the deep copy.
#include "plotmodel/plot_shape_list.h"

#include "shape_fixtures.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace plot_fixtures;

TEST(PlotShapeListBounds, AreCachedUntilCalAreaAndAnEmptyListGetsTheZeroBox)
{
    PlotShapeList list;
    EXPECT_EQ(list.CalArea(1), CArea(0, 0, 0, 0));

    list.AddTail(NewShape({{0, 0}, {10, 10}}));
    list.AddTail(NewShape({{-5, 20}, {3, 30}}));
    EXPECT_EQ(list.CalArea(0), CArea(-5, 0, 10, 30));

    list.Move(10, 20);
    EXPECT_EQ(list.GetArea(), CArea(5, 20, 20, 50));
    EXPECT_EQ(AllPoints(*list.HeadShape()), (Polyline{{10, 20}, {20, 30}}));

    list.Scale(2, 2);
    EXPECT_EQ(list.GetArea(), CArea(5, 20, 20, 50));
    EXPECT_EQ(list.CalArea(0), CArea(5, 20, 20, 50)) << "shapes' cached boxes are used as they are";
    EXPECT_EQ(list.CalArea(1), CArea(10, 40, 40, 100));
}

TEST(PlotShapeListBounds, TransformsReachEveryShape)
{
    PlotShapeList list;
    list.AddTail(NewShape({{10, 10}}));
    list.AddTail(NewShape({{30, 20}}));
    const CArea box(0, 0, 100, 50);
    list.Rotate(1, box);
    list.Mirror(box);
    list.MirrorByX(100);
    list.Stretchx(1);
    list.Stretchy(1);
    // (10,10) -> rotate (40,10) -> mirror (40,40) -> by x (60,40) -> x+y (100,40) -> y+x (100,140)
    std::vector<PlotShape*> shapes = Shapes(list);
    EXPECT_EQ(AllPoints(*shapes[0]), (Polyline{{100, 140}}));
    EXPECT_EQ(AllPoints(*shapes[1]), (Polyline{{90, 110}}));
}

TEST(PlotShapeListCopy, MakesNewShapesInOrderAndLeavesTheSourceUntouched)
{
    auto source = std::make_unique<PlotShapeList>();
    source->AddTail(NewShape({{0, 0}, {1, 1}}, 2));
    source->AddTail(NewShape({{2, 2}, {3, 3}}, 5));
    source->AddTail(NewShape({{4, 4}}, 130));
    source->CalArea(0);
    std::vector<PlotShape*> originals = Shapes(*source);

    PlotShapeList copy;
    copy.AddTail(NewShape({{9, 9}}));
    copy = *source;
    EXPECT_EQ(Shapes(*source), originals);
    EXPECT_EQ(source->Count(), 3);
    std::vector<PlotShape*> copied = Shapes(copy);
    ASSERT_EQ(copied.size(), 3u);
    EXPECT_EQ(copy.GetArea(), CArea(0, 0, 4, 4));
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NE(copied[i], originals[i]);
        EXPECT_EQ(AllPoints(*copied[i]), AllPoints(*originals[i]));
        EXPECT_EQ(copied[i]->GetMauIndex(), originals[i]->GetMauIndex());
    }
    source.reset();
    EXPECT_EQ(AllPoints(*copied[2]), (Polyline{{4, 4}}));
}

}  // namespace
