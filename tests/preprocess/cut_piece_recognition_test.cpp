// Cut-piece recognition end to end: an HPGL sheet through the explainer and RecgniseCaiPian.
#include "plotmodel/intersection.h"

#include "hpgl/hpgl_analyzer.h"
#include "hpgl/hpgl_explainer.h"
#include "plotmodel/shape_fixtures.h"
#include "preprocess/loop_finder.h"
#include "preprocess/plot_loop.h"

#include <gtest/gtest.h>

namespace {

using namespace plot_fixtures;

// A sheet: a frame, two 100 mm pieces drawn as separate strokes in no order (the first with
// a closed 25 mm hole), and a pen-2 line.
constexpr const char* kSheet =
    "IN;SP1;PU0,0;PD20000,0,20000,12000,0,12000,0,0;"
    "PU1000,1000;PD5000,1000;PU1000,5000;PD1000,1000;PU5000,5000;PD5000,1000;PU1000,5000;PD5000,5000;"
    "PU2000,2000;PD3000,2000,3000,3000,2000,3000,2000,2000;"
    "PU12000,5000;PD12000,1000;PU8000,1000;PD12000,1000;PU8000,5000;PD8000,1000;PU8000,5000;PD12000,5000;"
    "SP2;PU14000,8000;PD18000,8000;";

REC_CAIPIAN_OPT PenOneOptions()
{
    REC_CAIPIAN_OPT opt;
    opt.penFlags[0] = 1;
    opt.outerPen = 5;
    opt.innerPen = 6;
    opt.outerDirection = 2;
    opt.innerDirection = 0;
    opt.areaLimitMm2 = 100.0f;
    return opt;
}

TEST(RecgniseCaiPian, GroupsAnHpglSheetIntoPiecesWithTheirHoles)
{
    PlotShape::SetError(5.0f);
    HpglAnalyzer analyzer{CStringA(kSheet)};
    HpglExplainer explainer(analyzer);
    PlotShapeList list;
    explainer.Transform(list);
    ASSERT_EQ(list.Count(), 11);
    OL_List groups;
    ASSERT_EQ(RecgniseCaiPian(list, groups, PenOneOptions()), 1);
    ASSERT_EQ(groups.Count(), 2);
    CLoopFinder f;
    int holes = 0;
    for (OL_Object* g = groups.GetHead(); g; g = groups.GetNext(g)) {
        PlotShapeList& shapes = static_cast<PlotLoop*>(g)->Shapes();
        PlotShape* outline = shapes.HeadShape();
        EXPECT_EQ(outline->GetPenIndex(), 5);
        EXPECT_EQ(outline->GetArea().Width(), 4000);
        EXPECT_EQ(f.LoopDirection(outline), 1) << "outlines run reversed";
        for (PlotShape* s = shapes.ShapeAfter(outline); s; s = shapes.ShapeAfter(s)) {
            ++holes;
            EXPECT_EQ(s->GetPenIndex(), 6);
            EXPECT_EQ(s->GetArea(), CArea(2000, 2000, 3000, 3000));
            EXPECT_EQ(f.LoopDirection(s), 0);
        }
    }
    EXPECT_EQ(holes, 1);
    // The frame and the pen-2 line are back in the list.
    ASSERT_EQ(list.Count(), 2);
    int frames = 0, penTwo = 0;
    for (PlotShape* s : Shapes(list)) {
        frames += s->GetArea() == CArea(0, 0, 20000, 12000) && s->IsRect();
        penTwo += s->GetPenIndex() == 2 && s->GetTolPtNum() == 2;
    }
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(penTwo, 1);
}

TEST(RecgniseCaiPian, WithoutOutlinesNothingIsGroupedOrLost)
{
    REC_CAIPIAN_OPT opt = PenOneOptions();
    OL_List groups;
    PlotShapeList empty;
    EXPECT_EQ(RecgniseCaiPian(empty, groups, opt), 0);
    PlotShapeList list;
    PlotShape* line = NewShape({{0, 0}, {1000, 0}});
    line->SetPenIndex(1);
    PlotShape* otherPen = NewShape({{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}, {0, 0}});
    otherPen->SetPenIndex(3);
    list.AddTail(line);
    list.AddTail(otherPen);
    EXPECT_EQ(RecgniseCaiPian(list, groups, opt), 0);
    EXPECT_EQ(groups.Count(), 0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(otherPen->GetStoredIn(), &list);
}

}  // namespace
