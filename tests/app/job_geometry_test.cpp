// Job geometry preparation: the tool split, clipping, the jet travel path, offsets, and the
// contours split by two-point half cuts.
#include "app/job_geometry.h"

#include "app/config_globals.h"
#include "platform/critical_section.h"
#include "platform/settings_store.h"
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "plotmodel/plot_shape_list.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Mau index 3 (tool class 2) is cut with the knife, mau 2 (class 1) is a half cut, mau 1 prints.
PlotShape* Polyline(std::vector<float> xy, unsigned char mau = PlotShape::kDefaultMauIndex, int pen = 1,
                    unsigned char rec = PlotShape::kDefaultRecIndex)
{
    auto* s = new PlotShape;
    s->Append(xy.data(), static_cast<int>(xy.size() / 2));
    s->SetMauIndex(mau);
    s->SetRecIndex(rec);
    s->SetPenIndex(pen);
    return s;
}

std::vector<PlotShape*> Shapes(const PlotShapeList& list)
{
    std::vector<PlotShape*> out;
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) out.push_back(s);
    return out;
}

std::vector<PlotShape*> WithMau(const PlotShapeList& list, int low, int high)
{
    std::vector<PlotShape*> out;
    for (PlotShape* s : Shapes(list))
        if (s->GetMauIndex() >= low && s->GetMauIndex() <= high) out.push_back(s);
    return out;
}

// Values of a machine with a jet spread of 300 and a jet step width of 600 at scale 1.
PrepareMachineValues JetMachine()
{
    PrepareMachineValues m;
    m.firmwareVersion = 12;
    m.xRangeMm = 2000;
    m.yRangeMm = 2000;
    m.cutWidth = 80000;
    m.cutHeight = 80000;
    m.jetSpread = 300;
    m.jetStepWidth = 600.0f;
    m.jobYOffsetMm = 100;
    m.penTable[2] = 3;  // pen 3: knife
    m.penTable[1] = 1;  // pen 2: half knife
    return m;
}

class Prepare : public ::testing::Test {
protected:
    void TearDown() override { AddDirectionLine = 0; }
    int Run(PlotShapeList& page, const PrepareMachineValues& m)
    {
        int32_t clip = 0;
        return PrepareJobGeometry(A, B, page, m, 0, limits, range, clip, jet);
    }
    PlotShapeCutList A, B;
    NET_Machine limits;
    Limit_PARAM range;
    JetTaskValues jet;
};

TEST_F(Prepare, TheJetTravelPathHasOnePassPerSpreadAndAFullLastPassWithoutRemainder)
{
    struct Case {
        float printMaxX;  // A's max x is this + 10 after the jet shift
        size_t passes;
        double lastFraction;
    };
    for (const Case c : {Case{890, 3, 1.0}, Case{891, 4, 2.0 / 300}}) {
        PlotShapeCutList a, b;
        PlotShapeList page;
        page.AddTail(Polyline({0, 100, c.printMaxX, 100}, 1));
        int32_t clip = 0;
        ASSERT_EQ(PrepareJobGeometry(a, b, page, JetMachine(), 0, limits, range, clip, jet), 1);
        EXPECT_EQ(a.GetArea().xmax, c.printMaxX + 10);
        const auto travel = WithMau(b, kTravelStartMau, kTravelAloneMau);
        ASSERT_EQ(travel.size(), c.passes + 1) << c.printMaxX;
        EXPECT_EQ(travel[0]->GetMauIndex(), kTravelStartMau);
        const auto width = [](const PlotShape* s) { return std::fabs(s->Point(1).x - s->Point(0).x); };
        for (size_t p = 1; p <= c.passes; ++p) {
            EXPECT_EQ(travel[p]->GetMauIndex(), p == c.passes ? kTravelLastPassMau : kTravelPassMau);
            const double expected = 600.0 * (p == c.passes ? c.lastFraction : 1.0);  // steps: 2 per unit
            EXPECT_NEAR(width(travel[p]), expected, 1e-3) << c.printMaxX << " pass " << p;
        }
        EXPECT_TRUE(jet.hasJetWork);
        EXPECT_EQ(jet.rowStep, 300);
    }
}

TEST_F(Prepare, WorkOfOneToolGetsOnlyWhatThatToolNeeds)
{
    AddDirectionLine = 1;
    PrepareMachineValues m = JetMachine();
    m.edgeLines = false;
    PlotShapeList knifeOnly;
    knifeOnly.AddTail(Polyline({0, 0, 4000, 0, 4000, 4000, 0, 4000, 0, 0}, 3));
    ASSERT_EQ(Run(knifeOnly, m), 1);
    EXPECT_TRUE(WithMau(B, kTravelStartMau, kTravelAloneMau).empty());
    EXPECT_EQ(A.Count(), 0);
    EXPECT_FALSE(jet.hasJetWork);
    // The direction line (200 units, 400 steps) comes first, then the compensated contour.
    const auto knives = WithMau(B, kKnifeMau, kKnifeMau);
    ASSERT_GE(knives.size(), 2u);
    EXPECT_FLOAT_EQ(std::fabs(knives[0]->End().x - knives[0]->Start().x), 400.0f);
    EXPECT_EQ(knives[0]->Start().y, knives[0]->End().y);

    PlotShapeCutList a, b;
    PlotShapeList printOnly;
    printOnly.AddTail(Polyline({0, 100, 900, 100}, 1));
    int32_t clip = 0;
    ASSERT_EQ(PrepareJobGeometry(a, b, printOnly, m, 0, limits, range, clip, jet), 1);
    EXPECT_TRUE(WithMau(b, kKnifeMau, kHalfCutMau).empty());
    EXPECT_EQ(b.GetCutShapeCount(), 0);
}

TEST_F(Prepare, TheRequestValueSetsTheYOffset)
{
    struct Case {
        int16_t request;
        float expectedY;  // steps of a knife line at y = 0
    };
    for (const Case c : {Case{50, 1000.0f}, Case{0, 8000.0f}}) {
        PrepareMachineValues m = JetMachine();
        m.requestValue = c.request;
        PlotShapeCutList a, b;
        PlotShapeList page;
        page.AddTail(Polyline({0, 0, 100, 0}, 3));
        int32_t clip = 0;
        ASSERT_EQ(PrepareJobGeometry(a, b, page, m, 0, limits, range, clip, jet), 1);
        const auto knife = WithMau(b, kKnifeMau, kKnifeMau);
        ASSERT_EQ(knife.size(), 1u);
        EXPECT_FLOAT_EQ(knife[0]->Point(0).y, c.expectedY) << c.request;
    }
}

TEST_F(Prepare, UnusableMachineValuesRefuseThePageWithTheirReason)
{
    struct Case {
        const char* name;
        void (*change)(PrepareMachineValues&);
        bool withPrint;
        DispatchRefusal reason;  // kNone: prepared
    };
    const Case cases[] = {
        {"scale 0", [](PrepareMachineValues& m) { m.xScale = 0.0f; }, false, DispatchRefusal::kMachineValuesUnusable},
        {"no usable width", [](PrepareMachineValues& m) { m.cutWidth = 0; }, false, DispatchRefusal::kNoUsableWidth},
        {"no jet spread", [](PrepareMachineValues& m) { m.jetSpread = 0; }, true, DispatchRefusal::kMachineValuesUnusable},
        {"jet values count only with print work", [](PrepareMachineValues& m) { m.jetSpread = 0; }, false,
         DispatchRefusal::kNone},
        {"jet step 0", [](PrepareMachineValues& m) { m.jetStepWidth = 0.0f; }, true, DispatchRefusal::kJetStepNotSet},
        // The record's default: the print scale would be negative and the sheet blank.
        {"jet step -1000", [](PrepareMachineValues& m) { m.jetStepWidth = -1000.0f; }, true,
         DispatchRefusal::kJetStepNotSet},
        {"jet step -1000 without print work", [](PrepareMachineValues& m) { m.jetStepWidth = -1000.0f; }, false,
         DispatchRefusal::kNone},
        {"jet step 1000", [](PrepareMachineValues& m) { m.jetStepWidth = 1000.0f; }, true, DispatchRefusal::kNone},
    };
    for (const Case& c : cases) {
        PrepareMachineValues m = JetMachine();
        c.change(m);
        PlotShapeCutList a, b;
        PlotShapeList page;
        page.AddTail(Polyline({0, 0, 100, 0}, 2));
        if (c.withPrint) page.AddTail(Polyline({0, 100, 900, 100}, 1));
        int32_t clip = 0;
        DispatchRefusal reason = DispatchRefusal::kCancelled;
        const int prepared = PrepareJobGeometry(a, b, page, m, 0, limits, range, clip, jet, {}, &reason);
        EXPECT_EQ(prepared, c.reason == DispatchRefusal::kNone ? 1 : 0) << c.name;
        EXPECT_EQ(reason, c.reason) << c.name;
        if (c.withPrint && prepared) {
            EXPECT_GT(a.GetArea().xmin, 0) << c.name << ": the drawing lies on the sheet";
        }
    }
}

TEST_F(Prepare, ACancelStopsThePreparation)
{
    PlotShapeList page;
    page.AddTail(Polyline({0, 0, 100, 0}, 2));
    int32_t clip = 0;
    DispatchRefusal reason = DispatchRefusal::kNone;
    int asked = 0;
    const PreparationProgress cancelAtSecond = [&asked](int) { return ++asked < 2; };
    EXPECT_EQ(PrepareJobGeometry(A, B, page, JetMachine(), 0, limits, range, clip, jet, cancelAtSecond, &reason), 0);
    EXPECT_EQ(reason, DispatchRefusal::kCancelled);
    EXPECT_EQ(asked, 2);
}

TEST(SplitShapesByTool, ClassesShapesByModeIndexAndPen)
{
    const uint8_t penTable[8] = {0, 1, 3, 2, 0, 0, 0, 0};
    struct Case {
        const char* name;
        unsigned char mau, rec;
        int pen;
        bool toCut;
        int mauAfter;
    };
    const Case cases[] = {
        {"mau 1 prints", 1, 127, 3, false, 1},       {"mau 2 half cut", 2, 127, 1, true, 5},
        {"mau 3 knife", 3, 127, 1, true, 2},          {"mau 4 knife", 4, 127, 1, true, 2},
        {"mau 8 kept", 8, 127, 1, true, 8},           {"rec 2 half cut", 127, 2, 1, true, 5},
        {"rec 1 prints", 127, 1, 3, false, 1},        {"pen 3 knife", 127, 127, 3, true, 2},
        {"pen 2 half cut", 127, 127, 2, true, 5},     {"pen 1 prints", 127, 127, 1, false, 1},
        {"pen 9 has no tool", 127, 127, 9, false, 1},
    };
    for (const Case& c : cases) {
        PlotShapeList shapes, cut;
        shapes.AddTail(Polyline({0, 0, 10, 10}, c.mau, c.pen, c.rec));
        SplitShapesByTool(shapes, cut, penTable);
        PlotShapeList& where = c.toCut ? cut : shapes;
        ASSERT_EQ(where.Count(), 1) << c.name;
        EXPECT_EQ(where.HeadShape()->GetMauIndex(), c.mauAfter) << c.name;
    }
    PlotShapeList shapes, cut;
    shapes.AddTail(Polyline({0, 0, 10, 10}, 1));
    shapes.AddTail(Polyline({0, 0, 10, 10}, 3));
    WriteProfileInt(u"AutoPrint Settings", u"iWorkMode", 1);
    SplitShapesByTool(shapes, cut, penTable);
    EXPECT_EQ(shapes.Count(), 0);
    EXPECT_EQ(cut.Count(), 1);
}

TEST(ClipToMachineArea, CutsAtTheAreaAndRefusesAnAreaUnderOneUnit)
{
    PlotShapeList source, target;
    source.AddTail(Polyline({-100, -50, 30000, 50000}, 2));
    int32_t clip = 500;
    ASSERT_EQ(ClipToMachineArea(source, target, 20000, 40000, clip), 1);
    EXPECT_EQ(clip, 20500);
    const CArea box = target.CalArea(1);
    EXPECT_GE(box.xmin, 0);
    EXPECT_GE(box.ymin, 0);
    EXPECT_LE(box.xmax, 20000);
    EXPECT_EQ(box.ymax, 40000);
    EXPECT_EQ(WithMau(target, 1, 1).size(), 1u);  // the line at the height

    PlotShapeList narrow, out;
    narrow.AddTail(Polyline({0, 0, 100, 100}, 2));
    EXPECT_EQ(ClipToMachineArea(narrow, out, 0, 40000, clip), 0);
    EXPECT_EQ(ClipToMachineArea(narrow, out, 20000, 0, clip), 0);
    EXPECT_EQ(narrow.Count(), 1);
    clip = 7;
    EXPECT_EQ(ClipToMachineArea(narrow, out, 20000, 40000, clip), 1);
    EXPECT_EQ(clip, 0);
}

TEST(HalfCutMarks, ATwoPointHalfCutAcrossAClosedKnifeContourSplitsItInTwo)
{
    WriteProfileInt(u"AutoPrint Settings", u"BSPLINE_FIT", 0);
    PlotShapeList list;
    list.AddTail(Polyline({0, 0, 4000, 0, 4000, 4000, 0, 4000, 0, 0}, kKnifeMau));
    PlotShape* mark = Polyline({2000, -2, 2000, 4002}, kHalfCutMau);
    list.AddTail(mark);
    EXPECT_EQ(NextTwoPointHalfCut(list, nullptr), mark);
    EXPECT_EQ(NextTwoPointHalfCut(list, mark), nullptr);
    SplitContoursAtHalfCutMarks(list);
    const auto knives = WithMau(list, kKnifeMau, kKnifeMau);
    ASSERT_EQ(knives.size(), 2u);
    for (PlotShape* k : knives) EXPECT_FALSE(k->IsClose());
    EXPECT_EQ(knives[0]->GetArea().xmin, 2000);
    EXPECT_EQ(knives[0]->GetArea().xmax, 4000);
    EXPECT_EQ(knives[1]->GetArea().xmin, 0);
    EXPECT_EQ(knives[1]->GetArea().xmax, 2000);
    EXPECT_EQ(list.Count(), 3);

    // A mark that ends far from the outline splits nothing.
    PlotShapeList other;
    other.AddTail(Polyline({0, 0, 4000, 0, 4000, 4000, 0, 4000, 0, 0}, kKnifeMau));
    other.AddTail(Polyline({2000, 100, 2000, 4002}, kHalfCutMau));
    SplitContoursAtHalfCutMarks(other);
    EXPECT_EQ(WithMau(other, kKnifeMau, kKnifeMau).size(), 1u);
}

}  // namespace

namespace {

TEST(OrderCutsByLoops, TheHalfCutsInsideAContourComeJustBeforeItAndKeptShapesGoLast)
{
    const uint8_t penTable[8] = {};
    PlotShapeList cut;
    cut.AddTail(Polyline({10000, 0, 14000, 0, 14000, 4000, 10000, 4000, 10000, 0}, kKnifeMau));
    cut.AddTail(Polyline({500, 500, 3500, 3500}, kHalfCutMau));
    cut.AddTail(Polyline({0, 0, 20000, 0}, kKeptWholeMau));
    cut.AddTail(Polyline({0, 0, 4000, 0, 4000, 4000, 0, 4000, 0, 0}, kKnifeMau));
    cut.AddTail(Polyline({10500, 500, 13500, 3500}, kHalfCutMau));
    OrderCutsByLoops(cut, penTable);
    const auto order = Shapes(cut);
    ASSERT_EQ(order.size(), 5u);
    for (size_t i : {0u, 2u}) {
        ASSERT_EQ(order[i]->GetMauIndex(), kHalfCutMau);
        ASSERT_EQ(order[i + 1]->GetMauIndex(), kKnifeMau);
        EXPECT_GE(order[i]->GetArea().xmin, order[i + 1]->GetArea().xmin) << i;
        EXPECT_LE(order[i]->GetArea().xmax, order[i + 1]->GetArea().xmax) << i;
    }
    EXPECT_EQ(order[4]->GetMauIndex(), kKeptWholeMau);
}

}  // namespace
