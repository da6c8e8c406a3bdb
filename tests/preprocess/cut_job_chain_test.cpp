// The cut-job chain end to end: HPGL text, smoothing, fitting, compensation, print traversal.
#include "hpgl/hpgl_explainer.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "plotmodel/traversal_fixtures.h"
#include "preprocess/path_analysis.h"
#include "random_polylines.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plot_fixtures;

namespace {

TEST(CutJobChain, SquareIsCutAtTheSecondDepthAndTurnedAtTheFourth)
{
    HpglAnalyzer analyzer{CStringA("IN;PU0,0;PD4000,0,4000,4000,0,4000,0,0;")};
    HpglExplainer explainer(analyzer);
    PlotShapeList read;
    explainer.Transform(read);
    ASSERT_GT(read.Count(), 0);

    PlotShapeList smoothed;
    for (PlotShape* s : Shapes(read)) {
        s->SetMauIndex(CutModeIndex::kCut);
        s->MakeLine(1);
        s->Slick_new(smoothed);
    }
    PlotShapeCutList cut;
    for (PlotShape* s : Shapes(smoothed)) {
        s->DeleteRepeatPoint();
        BsplineFit(s, &cut);
    }
    cut.ProKnifeCompensate(20, 0.5f, 0.5f);

    PlotShape square;
    Fill(square, {{{0, 0}, {4000, 0}, {4000, 4000}, {0, 4000}, {0, 0}}});
    cut.InitPrint(10, 20, 30, 40);
    cut.SetHeadPosition(0, 0, 0);
    cut.SetReportedPosition(0, 0, 0);
    int depth = 0, turns = 0, cuts = 0;
    for (const Group& g : WalkDepth(cut)) {
        if (g.code == GetNextPathResult::kDepthChange) {
            depth += g.pts[0].x;
            continue;
        }
        if (g.code == CutModeIndex::kFourthDepth) {
            ++turns;
            EXPECT_EQ(depth, -40) << g;
        } else if (g.code == CutModeIndex::kCut) {
            ++cuts;
            EXPECT_EQ(depth, -20) << g;
        } else {
            continue;
        }
        for (const CPoint& p : g.pts)
            EXPECT_LE(preprocess_fixtures::DistanceToShape({static_cast<float>(p.x), static_cast<float>(p.y)}, square), 41)
                << "(" << p.x << ", " << p.y << ")";
    }
    // The knife turns at three corners; at the start it already points along the first side,
    // and a turning piece that does not move walks no path.
    EXPECT_EQ(turns, 3);
    EXPECT_EQ(cuts, 4);
}

}  // namespace
