// The interpolator over whole jobs: list ownership, the pump loop of the machine link,
// resume, progress and job length.
#include "interpolator_fixture.h"
#include "motion/pivmora.h"
#include "plotmodel/plot_page.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace interp_fixtures;

int gDeleted = 0;

// A cut list that counts its deletions.
class CountedList : public PlotShapeCutList {
public:
    ~CountedList() override { ++gDeleted; }
};

// A job with every kind of group: a curve cut with the knife, a half cut, a drawing of two
// sub-polylines that meet and two that do not, a MauIndex 130 corner, an ink-jet pass and a
// shape without points.
std::vector<JobShape> MixedJob()
{
    Polyline curve;
    for (int i = 0; i <= 400; ++i) {
        const double a = i * 0.05;
        curve.push_back({static_cast<float>(3000 + 1500 * std::cos(a) + 3 * i), static_cast<float>(2000 + 1500 * std::sin(a))});
    }
    return {{{curve}, 2},
            {{{{100, 100}, {900, 100}, {900, 700}, {100, 100}}}, 5},
            {{{{0, 5000}, {800, 5200}}, {{800, 5200}, {1600, 5000}}, {{2000, 5000}, {2600, 5900}}}},
            {{{{2600, 5900}, {2650, 5960}, {2700, 5900}}}, 130},
            {{{{4000, 1000}, {4000, 9000}}}, 99},
            {{}, 2},
            {{{{7000, 7000}, {6000, 6500}, {7000, 6000}}}, 4}};
}

struct MachineCase {
    const char* name;
    bool magnet;
};

class PumpTest : public ::testing::TestWithParam<MachineCase> {};

// The link hands the stream out in packs while the generator refills it lazily; what the
// machine receives must be exactly what one uninterrupted run of the generator writes.
TEST_P(PumpTest, PacksOfAtMost300BytesCarryExactlyTheStraightRun)
{
    const bool magnet = GetParam().magnet;
    FakeMachine m = magnet ? FakeMachine::Magnet(5) : FakeMachine::Cutting(5);
    auto generator = [magnet](P_Interpolate1& interp) {
        return [&interp, magnet](P_DataBuf& b) { return magnet ? interp.BGetNextData_magnet(b) : interp.BGetNextData_at(b); };
    };

    P_Interpolate1 pumped;
    pumped.machine = &m;
    StartJob(pumped, MixedJob(), {100, 800, 400, 900});
    const std::vector<std::string> groups = Pump(generator(pumped));
    std::string received;
    for (const std::string& g : groups) {
        EXPECT_LE(g.size(), 300u);
        EXPECT_FALSE(g.empty());
        received += g;
    }
    EXPECT_EQ(CallOnce(generator(pumped)), (Call{-1, ""})) << "after the end";

    P_Interpolate1 straight;
    straight.machine = &m;
    StartJob(straight, MixedJob(), {100, 800, 400, 900});
    P_DataBuf all;
    int calls = 0;
    for (int r = 0; r != GetNextPathResult::kNoShapeLeft && calls < 100000; ++calls) r = generator(straight)(all);
    EXPECT_EQ(received, Text(all));
    EXPECT_GT(groups.size(), 10u);
    // The job's pieces all arrived: its ink-jet pass, its MauIndex 130 corner, its depths.
    EXPECT_NE(received.find("W0,2;W0,1;"), std::string::npos);
    EXPECT_NE(received.find("S1,600,1,600,800,1000,"), std::string::npos);
    const char* toolText = magnet ? "N1,10000;D30;N1,8000;D30;" : "B0,-800;";
    EXPECT_NE(received.find(toolText), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Machines, PumpTest,
                         ::testing::Values(MachineCase{"cutting", false}, MachineCase{"channel_driven", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InterpolatorJob, SetDataKeepsListsHandedInAgainAndDeletesReplacedOnes)
{
    gDeleted = 0;
    FakeMachine m = FakeMachine::Cutting();
    {
        P_Interpolate1 interp;
        interp.machine = &m;
        auto* first = new CountedList;
        auto* second = new CountedList;
        second->AddTail(plot_fixtures::NewShape({{0, 0}, {100, 0}}, 2));
        PARAM_SetData p;
        p.firstList = first;
        p.secondList = second;
        interp.SetData(p);
        interp.SetData(p);  // the same job again: nothing may be deleted
        EXPECT_EQ(gDeleted, 0);
        EXPECT_EQ(CallOnce([&](P_DataBuf& b) { return interp.BGetNextData_at(b); }).result, 100);

        // The lists swap places, then one list stands in both places.
        std::swap(p.firstList, p.secondList);
        interp.SetData(p);
        EXPECT_EQ(gDeleted, 0);
        p.firstList = p.secondList = first;
        interp.SetData(p);
        EXPECT_EQ(gDeleted, 1) << "only the list no longer held";

        // The print-list forms replace the print list and delete the one they drop.
        interp.SetData(new CountedList, 0, 0, 0);
        EXPECT_EQ(gDeleted, 1) << "first is still the cut list";
        interp.SetData(new CountedList, 0, 0, 0, 0, 5, 5, 0);
        EXPECT_EQ(gDeleted, 2);
    }
    EXPECT_EQ(gDeleted, 4) << "the held print list and the cut list, each once";
}

TEST(InterpolatorJob, PageListFormPreparesTheListWithoutAdoptingIt)
{
    FakeMachine m = FakeMachine::Cutting();
    P_Interpolate1 interp;
    interp.machine = &m;
    PlotPageList pages;
    pages.AddPlotShape(plot_fixtures::NewShape({{10, 20}, {300, 400}}, 2), 1);
    interp.lastGroupCode = 4;
    interp.SetData(&pages, 0, 0, 0, 0);
    EXPECT_EQ(interp.lastGroupCode, 0);
    EXPECT_EQ(pages.GetArea(), CArea(10, 20, 300, 400));
    EXPECT_EQ(interp.GetNextPtGroup(), -1) << "the page list is not the interpolator's job";
    interp.SetData(static_cast<PlotPageList*>(nullptr), 0, 0, 0, 0);
}

TEST(InterpolatorJob, ResumeOnTheDepthTraversalContinuesInsideTheKnifePath)
{
    FakeMachine m = FakeMachine::Cutting();
    P_Interpolate1 interp;
    interp.machine = &m;
    StartJob(interp, {{{{{100, 0}, {300, 0}}}, 2}}, {0, 800, 600, 800});
    auto at = [&](P_DataBuf& b) { return interp.BGetNextData_at(b); };
    while (CallOnce(at).result != GetNextPathResult::kNoShapeLeft) {
    }
    // 100 pulses of travel, 800 of plunge, then 50 into the cut.
    EXPECT_EQ(interp.ResumePrint(950), 1);
    EXPECT_EQ(CallOnce(at), (Call{150, DefaultLine(150, 0)}));
    EXPECT_EQ(CallOnce(at).text, "B0,-800;S1,1000,1,1000,2300,20000,800,1500000;");
    EXPECT_EQ(CallOnce(at).result, GetNextPathResult::kNoShapeLeft);
}

struct ResumeCase {
    const char* name;
    bool magnet;
    int firmware;
    std::string text;
};

std::string FeedLeg(int dy)
{
    return "P0," + std::to_string(dy) + ";S1,1000,1,1000,40000,200000," + std::to_string(std::abs(dy)) + ",2000000;";
}

class JetResumeTest : public ::testing::TestWithParam<ResumeCase> {};

// A pass stopped 400 pulses in resumes as code 103 with the rest of its leg (600 in +y); the
// replay of the approach starts at firmware 5 on the depth traversal and at 4 otherwise.
TEST_P(JetResumeTest, ResumedPassTextFollowsTheFirmware)
{
    const ResumeCase& c = GetParam();
    FakeMachine m = c.magnet ? FakeMachine::Magnet(c.firmware) : FakeMachine::Cutting(c.firmware);
    P_Interpolate1 interp;
    interp.machine = &m;
    StartJob(interp, {{{{{0, 0}, {0, 1000}}}, 99}});
    auto gen = [&](P_DataBuf& b) { return c.magnet ? interp.BGetNextData_magnet(b) : interp.BGetNextData_at(b); };
    EXPECT_EQ(CallOnce(gen).text, "W0,8;W0,2;W0,1;" + FeedLeg(1000));
    EXPECT_EQ(CallOnce(gen).result, GetNextPathResult::kNoShapeLeft);
    interp.ResumePrint(400);
    EXPECT_EQ(CallOnce(gen).text, c.text);
}

const std::string kOneLeg = "W0,8;W0,2;W0,1;" + FeedLeg(600);
const std::string kReplay = "W0,8;W0,2;W0,1;" + FeedLeg(600) + "W0,32;" + FeedLeg(-600) + "W0,8;" + FeedLeg(600);

INSTANTIATE_TEST_SUITE_P(Firmware, JetResumeTest,
                         ::testing::Values(ResumeCase{"cutting_4", false, 4, kOneLeg},
                                           ResumeCase{"cutting_5", false, 5, kReplay},
                                           ResumeCase{"channel_3", true, 3, kOneLeg},
                                           ResumeCase{"channel_4", true, 4, kReplay}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InterpolatorJob, ResumeForgetsTheChannelValues)
{
    FakeMachine m = FakeMachine::Magnet();
    P_Interpolate1 interp;
    interp.machine = &m;
    StartJob(interp, {{{{{0, 0}, {300, 0}}}, 2}});
    auto magnet = [&](P_DataBuf& b) { return interp.BGetNextData_magnet(b); };
    const std::string lead = "N1,10000;D30;N1,8000;D30;";
    EXPECT_EQ(CallOnce(magnet).text, lead + DefaultLine(300, 0));
    interp.ResumePrint(100);
    EXPECT_EQ(CallOnce(magnet).text, lead + DefaultLine(200, 0)) << "the machine's channels are unknown again";
}

TEST(InterpolatorJob, MotionSourceReportsProgressAndJobLength)
{
    FakeMachine magnet = FakeMachine::Magnet();
    P_Pivmora source;
    source.interpolator.machine = &magnet;
    EXPECT_EQ(source.GetPercentage(), 0.0);
    EXPECT_EQ(source.GetTotalPulseNum(), 0u);

    std::vector<JobShape> shapes;
    for (int i = 0; i < 6; ++i) shapes.push_back({{{{100.0f * i, 0}, {100.0f * i + 50, 0}}}, 2});
    StartJob(source.interpolator, shapes, {0, 800, 600, 800});
    EXPECT_EQ(source.GetTotalPulseNum(), 550u) << "five travels and six cuts of 50";
    PlotShapeCutList& list = *source.interpolator.secondList;
    list.GetFirstShape();
    list.GetNextShape();
    list.GetNextShape();
    EXPECT_EQ(source.GetPercentage(), 5000.0);

    // A cutting machine counts the depth changes too, once the walk has noted them.
    FakeMachine cutting = FakeMachine::Cutting();
    source.interpolator.machine = &cutting;
    P_DataBuf b;
    while (source.interpolator.BGetNextData_at(b) != GetNextPathResult::kNoShapeLeft) {
    }
    EXPECT_EQ(source.GetTotalPulseNum(), 550u + 6 * 1600);

    int a = -1, c = -1;
    source.interpolator.firstSpeedIndex = 2;
    source.interpolator.cuttingLevelIndex = 1;
    source.GetSpeed(a, c);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(c, 1);
    EXPECT_EQ(source.GetNextData(b), 0) << "no binary stream is served";
}

TEST(InterpolatorJob, UnusableScalesWalkTheJobAtOneToOne)
{
    auto run = [](float xs, float ys) {
        FakeMachine m = FakeMachine::Magnet();
        m.xScale = xs;
        m.yScale = ys;
        P_Interpolate1 interp;
        interp.machine = &m;
        StartJob(interp, MixedJob());
        std::string all;
        for (const std::string& g : Pump([&](P_DataBuf& b) { return interp.BGetNextData_magnet(b); })) all += g;
        return all;
    };
    const std::string plain = run(1.0f, 1.0f);
    EXPECT_EQ(run(0.0f, 1.0f), plain);
    EXPECT_EQ(run(1.0f, std::numeric_limits<float>::quiet_NaN()), plain);
    EXPECT_EQ(run(-2.0f, std::numeric_limits<float>::infinity()), plain);
}

}  // namespace
