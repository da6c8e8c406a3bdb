// The second HPGL explainer: where its shapes differ from the stream explainer's.
#include "hpgl/hpgl_explainer.h"

#include "fonts/plot_font_lib.h"
#include "platform/settings_store.h"
#include "support/shx_font_writer.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct Converted {
    PlotShapeList list;
    std::vector<PlotShape*> shapes;
};

std::unique_ptr<Converted> Convert(const char* hpgl)
{
    HpglAnalyzer analyzer{CStringA(hpgl)};
    HpglExplainer explainer(analyzer);
    auto out = std::make_unique<Converted>();
    explainer.Transform(out->list);
    for (PlotShape* s = out->list.HeadShape(); s; s = out->list.ShapeAfter(s)) out->shapes.push_back(s);
    return out;
}

TEST(HpglExplainer, CutsCirclesAndArcsIntoTwoMillimetreChords)
{
    auto c = Convert("PU100,100;CI40;PU100,0;AA0,0,90;");
    ASSERT_EQ(c->shapes.size(), 2u);
    // A radius of 40 with 2 mm chords: one chord per quarter, no minimum of four.
    PlotShape* circle = c->shapes[0];
    ASSERT_EQ(circle->GetTolPtNum(), 5);
    EXPECT_EQ(circle->Point(0), CFloatPoint(140, 100));
    EXPECT_NEAR(circle->Point(1).x, 100.0, 1e-3);
    EXPECT_NEAR(circle->Point(1).y, 140.0, 1e-3);
    EXPECT_EQ(circle->Point(4), CFloatPoint(140, 100));
    EXPECT_EQ(circle->GetArea().xmax, 140);  // the box is computed before the circle is added
    EXPECT_NEAR(circle->GetArea().ymin, 60, 1);
    // 90 degrees at radius 100: trunc((π/2) · 100 / 80) + 1 = 2 chords.
    PlotShape* arc = c->shapes[1];
    ASSERT_EQ(arc->GetTolPtNum(), 3);
    EXPECT_NEAR(arc->End().x, 0.0, 1e-3);
    EXPECT_NEAR(arc->End().y, 100.0, 1e-3);
    EXPECT_NEAR(arc->GetArea().ymax, 100, 1);
}

TEST(HpglExplainer, IgnoresLineTypesPagesAndPatterns)
{
    auto c = Convert("LT2;PI4;PD100,0;PG;PU0,50;PD0,100;");
    ASSERT_EQ(c->shapes.size(), 2u);
    for (PlotShape* s : c->shapes) {
        EXPECT_EQ(s->GetLineType(), 0);
        EXPECT_EQ(s->GetPenIndex(), 1);
        EXPECT_EQ(s->GetPatternIndex(), 0u);
    }
    EXPECT_EQ(c->shapes[1]->Start(), CFloatPoint(0, 50));  // no page offset
}

TEST(HpglExplainer, PenRunsFollowThePenStateAndMode)
{
    // PA and PR draw with the pen down and move it with the pen up; a lifted and moved pen
    // starts the next run.
    auto c = Convert("PU10,10;PR;PD5,0,0,5;PA;PD0,0;PU;PR0,10;PD;PA50,50;");
    ASSERT_EQ(c->shapes.size(), 2u);
    EXPECT_EQ(c->shapes[0]->GetTolPtNum(), 4);
    EXPECT_EQ(c->shapes[0]->Point(2), CFloatPoint(15, 15));
    EXPECT_EQ(c->shapes[0]->End(), CFloatPoint(0, 0));
    EXPECT_EQ(c->shapes[1]->Start(), CFloatPoint(0, 10));
    EXPECT_EQ(c->shapes[1]->End(), CFloatPoint(50, 50));
}

TEST(HpglExplainer, RunsClosedByPenChangesKeepTheirBounds)
{
    auto c = Convert("PU50,50;PD100,100;SP2;PD200,0;SP2;PU;PD300,0;");
    ASSERT_EQ(c->shapes.size(), 2u);
    EXPECT_EQ(c->shapes[0]->GetArea(), CArea(50, 50, 100, 100));
    EXPECT_EQ(c->shapes[1]->GetPenIndex(), 2);
    EXPECT_EQ(c->shapes[1]->GetTolPtNum(), 3);
    // The list's box is merged from the shapes' boxes, so it does not reach to the origin.
    EXPECT_EQ(c->list.GetArea(), CArea(50, 0, 300, 100));
}

TEST(HpglExplainer, LabelsHaveNoScaleAndEmptyOnesStay)
{
    // Without a font the label has no glyphs, and its empty shape is kept all the same (it
    // comes before the run, which is still open); its empty box leaves the list's box to the
    // drawing.
    auto unsized = Convert("PU10,10;PD20,30;LBAB\x03");
    ASSERT_EQ(unsized->shapes.size(), 2u);
    EXPECT_EQ(unsized->shapes[0]->GetTolPtNum(), 0);
    EXPECT_EQ(unsized->list.GetArea(), CArea(10, 10, 20, 30));

    corvane_test::ShxFontDef font;
    font.kind = corvane_test::ShxFontKind::Bigfont;
    font.glyphs = {{0xA3C1, corvane_test::ShxCode({0x20, 0x24}), ""}};
    ASSERT_TRUE(corvane_test::WriteShxFont(corvane_test::ProgramDir() + "fshz.fnt", font));
    PlotFontLib::LoadGlobalFontLib();
    WriteProfileFloat(u"AutoPrint Settings", u"TextScale", 3.0f);
    auto c = Convert("SI0.4,0.5;PU10,10;LBA\x03LBz\x03");
    ASSERT_EQ(c->shapes.size(), 2u);
    EXPECT_EQ(c->shapes[0]->Point(0), CFloatPoint(10, 1510));
    EXPECT_EQ(c->shapes[0]->Point(2), CFloatPoint(170, 1710));
    EXPECT_EQ(c->shapes[1]->GetTolPtNum(), 0);

    std::remove((corvane_test::ProgramDir() + "fshz.fnt").c_str());
    PlotFontLib::LoadGlobalFontLib();
}

TEST(HpglExplainer, CopiesAreIndependentAndReadTheSameAnalyzer)
{
    HpglAnalyzer analyzer{CStringA("PD10,0,10,10;CI5;")};
    auto original = std::make_unique<HpglExplainer>(analyzer);
    HpglExplainer copy(*original);
    HpglExplainer assigned(analyzer);
    assigned = *original;
    original.reset();
    PlotShapeList a, b;
    copy.Transform(a);
    assigned.Transform(b);
    EXPECT_EQ(a.Count(), 2);
    EXPECT_EQ(b.Count(), 2);
    EXPECT_EQ(a.GetArea(), b.GetArea());
    copy.Transform(a);
    EXPECT_EQ(a.Count(), 4);

    // The explainers read pen commands from their numbers; other readers of the analyzer
    // still get the command text.
    CStringA command;
    int labelLength = 0;
    EXPECT_EQ(analyzer.GetFirstCode(command, labelLength), HPGL_PD);
    EXPECT_EQ(command, CStringA("PD10,0,10,10;"));
}

}  // namespace
