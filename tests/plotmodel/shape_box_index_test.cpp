// ShapeBoxIndex moves the shapes a scan of the list in order would move: only those whose box
// meets the area, whatever the predicate says of the others, and each shape once.
#include "plotmodel/shape_box_index.h"

#include "plotmodel/intersection.h"
#include "shape_fixtures.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using plot_fixtures::NewShape;
using plot_fixtures::Shapes;

TEST(ShapeBoxIndex, MovesOnlyTheShapesWhoseBoxMeetsTheAreaEnough)
{
    PlotShapeList from, to;
    PlotShape* inside = NewShape({{10, 10}, {20, 20}});
    PlotShape* touching = NewShape({{100, 10}, {150, 20}});
    PlotShape* half = NewShape({{50, 50}, {150, 60}});
    PlotShape* far = NewShape({{1000, 1000}, {2000, 2000}});
    for (PlotShape* s : {inside, touching, half, far}) from.AddTail(s);
    const CArea area(0, 0, 100, 100);
    const auto coveredBy = [&area](float ratio) {
        return [&area, ratio](const PlotShape& s) { return InterAreaRatio(s.GetArea(), area) >= ratio; };
    };
    ShapeBoxIndex index(from);
    // Half the box covered: the touching shape stays.
    index.MoveMeeting(area, to, coveredBy(0.5f));
    EXPECT_EQ(Shapes(to), (std::vector<PlotShape*>{inside, half}));
    // A ratio of 0 takes what touches the area, never the far shape; moved ones are not offered again.
    index.MoveMeeting(area, to, coveredBy(0.0f));
    EXPECT_EQ(Shapes(to), (std::vector<PlotShape*>{inside, half, touching}));
    EXPECT_EQ(Shapes(from), (std::vector<PlotShape*>{far}));
}

TEST(ShapeBoxIndex, GivesTheScansShapesInListOrderOnSeededSheets)
{
    std::mt19937 rng(33);
    std::uniform_int_distribution<int> place(0, 20000), size(0, 400), wide(0, 9);
    for (int sheet = 0; sheet < 10; ++sheet) {
        SCOPED_TRACE(sheet);
        PlotShapeList indexed, scanned;
        for (int i = 0; i < 300; ++i) {
            const int x = place(rng), y = place(rng);
            // A tenth spans much of the sheet: those are offered to every query.
            const bool big = wide(rng) == 0;
            const int w = big ? 15000 : size(rng), h = big ? 15000 : size(rng);
            const float x1 = static_cast<float>(x), y1 = static_cast<float>(y);
            const float x2 = static_cast<float>(x + w), y2 = static_cast<float>(y + h);
            indexed.AddTail(NewShape({{x1, y1}, {x2, y2}}));
            scanned.AddTail(NewShape({{x1, y1}, {x2, y2}}));
        }
        ShapeBoxIndex index(indexed);
        for (int query = 0; query < 40; ++query) {
            const int x = place(rng), y = place(rng), w = 3 * size(rng), h = 3 * size(rng);
            const CArea area(x, y, x + w, y + h);
            const float ratio = static_cast<float>(query % 4) / 4.0f;
            const auto take = [&](const PlotShape& s) { return InterAreaRatio(s.GetArea(), area) >= ratio; };
            PlotShapeList byIndex, byScan;
            index.MoveMeeting(area, byIndex, take);
            for (PlotShape* s = scanned.HeadShape(); s;) {
                PlotShape* next = scanned.ShapeAfter(s);
                if (s->GetArea().IsIntersectWith(area) && take(*s)) {
                    s->GoOut();
                    byScan.AddTail(s);
                }
                s = next;
            }
            ASSERT_EQ(byIndex.Count(), byScan.Count()) << "query " << query;
            for (PlotShape *a = byIndex.HeadShape(), *b = byScan.HeadShape(); a && b;
                 a = byIndex.ShapeAfter(a), b = byScan.ShapeAfter(b))
                EXPECT_EQ(a->GetArea(), b->GetArea()) << "query " << query;
        }
        EXPECT_EQ(indexed.Count(), scanned.Count());
    }
}

}  // namespace
