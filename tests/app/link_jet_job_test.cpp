// An ink-jet job end to end over real loopback sockets: the print list and the jet travel
// path handed to an ink-jet machine, started with "f2;", its bands packed and streamed on the
// jet queue beside the travel motion, and the job finished, also with datagrams lost.
#include "link_fixture.h"

#include "machinelink/machine_globals.h"
#include "machinelink/machine_messages.h"
#include "machinelink/net_machine.h"
#include "support/jet_unpacker.h"
#include "support/recording_message_target.h"
#include "support/simulated_machine.h"

#include "../motion/interpolator_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace corvane_test {
namespace {

using interp_fixtures::JobShape;
using interp_fixtures::NewJob;

constexpr uint32_t kPrintTask = 4711;

// The print work, in raster units: 850 wide (three bands, the last moved back from the edge).
std::vector<JobShape> PrintShapes()
{
    return {{{{{10, 20}, {850, 20}}}}, {{{{100, 40}, {140, 120}, {700, 120}}}}, {{{{400, 5}, {400, 90}}}}};
}

// The jet travel path the dispatcher builds for print work maxX wide: a line from the low to
// the high band edge, then passes across the job, each one jet step on and back along y.
PlotShapeCutList* TravelPath(NET_Machine& m, int32_t maxX, const Limit_PARAM& range)
{
    const double k = Y_RelSCALE / (2.0 * m.plot.yScale);
    const double yOffset = m.plot.bandBaseMm * 40.0;
    auto y = [&](int32_t v) { return static_cast<float>(v * k - yOffset); };
    const int spread = m.GetJetPt();
    const int passes = maxX / spread + (maxX % spread ? 1 : 0);
    const double fraction = static_cast<double>(maxX % spread + 1) / spread;
    const double step = m.jet.jetStepWidth / (2.0 * m.plot.xScale);
    const float low = y(range.limit0), high = y(range.limit1);
    std::vector<JobShape> path{{{{{0, low}, {0, high}}}, static_cast<unsigned char>(passes ? 99 : 102)}};
    double t = 0;
    for (int p = 1; p <= passes; ++p) {
        const double s = p == passes ? step * fraction : step;
        const auto a = static_cast<float>(t), b = static_cast<float>(t + s);
        const unsigned char mau = p == passes ? 101 : 100;
        if (p % 2) path.push_back({{{{a, high}, {b, high}, {b, low}}}, mau});
        else path.push_back({{{{a, low}, {b, low}, {b, high}}}, mau});
        t += s;
    }
    return NewJob(path);
}

// Hands the job to the machine's task box as the dispatcher does for a jet job.
bool HandJetJob(NET_Machine& m)
{
    PlotShapeCutList* print = NewJob(PrintShapes());
    print->CalArea(1);
    const CArea box = print->GetArea();
    m.task.bandValue2 = box.ymax;
    m.task.bandTrigger = 0;
    m.task.bandValue1 = 0;
    m.GetJetInfo(m.task.headPositions, m.task.nozzleRanges);
    m.task.rowStep = m.GetJetPt();  // the band width the raster needs
    m.task.rowAccumulator = 0;
    m.task.lastRow = 0;
    m.task.jetLevel = static_cast<uint8_t>(std::clamp(m.motionSource.interpolator.jetLevelIndex, 0, 2));
    Limit_PARAM range;
    m.GetLimit(range, box.ymax, m.task.jetLevel);
    return m.task.SetData(print, kPrintTask, TravelPath(m, box.xmax, range)) == 1;
}

// The blocks a fresh machine with the same jet settings packs for the job.
std::vector<JetBytes> ExpectedBlocks(const NET_Machine& live)
{
    NET_Machine fresh;
    fresh.jet = live.jet;
    std::copy(std::begin(live.speedLevels), std::end(live.speedLevels), std::begin(fresh.speedLevels));
    fresh.plot = live.plot;
    fresh.motionSource.interpolator.jetLevelIndex = live.motionSource.interpolator.jetLevelIndex;
    PARAM_SetData p;
    p.firstList = NewJob(PrintShapes());
    p.secondList = new PlotShapeCutList;
    fresh.motionSource.interpolator.SetData(p);
    fresh.GetJetInfo(fresh.task.headPositions, fresh.task.nozzleRanges);
    fresh.task.rowStep = fresh.GetJetPt();
    fresh.task.jetLevel = live.task.jetLevel;
    return DrainJetBlocks(fresh);
}

struct JetLossCase {
    const char* name;
    uint8_t octet;
    double dropRate;  // of the datagrams in each direction
};

void PrintTo(const JetLossCase& c, std::ostream* os) { *os << c.name; }

class LinkJetJob : public ::testing::TestWithParam<JetLossCase> {};

TEST_P(LinkJetJob, StreamsEveryBandAndFinishes)
{
    const JetLossCase& loss = GetParam();
    FakeClock clock;
    RecordingMessageTarget window;
    SimulatedMachineOptions options;
    options.hostOctet = loss.octet;
    options.kind = 0;  // an ink-jet machine
    SimulatedMachine machine(options);
    std::string error;
    ASSERT_TRUE(machine.Start(&error)) << error;
    machine.SetDropRate(loss.dropRate, loss.dropRate, 11);
    LoopbackLink link(loss.octet);
    ASSERT_TRUE(link.Start());
    CUDPServer& server = link.Server();

    auto drive = [&](const std::function<bool()>& done) { return WaitUntil(done, 10000, &clock, 5); };
    auto withMachine = [&](const std::function<bool(NET_Machine&)>& f) {
        CSingleLock guard(&server.GetLock(), TRUE);
        NET_Machine* m = server.FindMachineByKey(machine.Key());
        return m && f(*m);
    };
    ASSERT_TRUE(drive([&] { return withMachine([](NET_Machine& m) { return m.paramsReceived != 0; }); }));
    ASSERT_TRUE(withMachine(HandJetJob));
    const uint8_t start[] = {'f', '2', ';'};
    ASSERT_EQ(server.PostMachineCommand(machine.Key(), 0, start, 3), 8);
    ASSERT_TRUE(drive([&] { return machine.JobFinished(); }))
        << "jet blocks so far: " << machine.JetBlocks().size() << ", motion " << machine.MotionText().size() << " bytes";

    std::vector<JetBytes> expected;
    ASSERT_TRUE(withMachine([&](NET_Machine& m) {
        EXPECT_EQ(m.jobState, kJobIdle);
        EXPECT_LT(m.jetEndMarker, 0);
        expected = ExpectedBlocks(m);
        return true;
    }));
    ASSERT_EQ(expected.size(), 4u) << "warm-up and three bands";
    const std::vector<std::vector<uint8_t>> blocks = machine.JetBlocks();
    ASSERT_EQ(blocks.size(), expected.size());
    for (size_t i = 0; i < blocks.size(); ++i) EXPECT_TRUE(blocks[i] == expected[i]) << "block " << i;
    for (const SimPack& pack : machine.Taken(SimQueue::Jet)) EXPECT_LE(pack.payload.size(), 300u);
    EXPECT_NE(machine.MotionText().find("W0,8;"), std::string::npos) << "the travel path ran";
    const std::vector<std::string> commands = machine.CommandTexts();
    EXPECT_TRUE(std::any_of(commands.begin(), commands.end(), [](const std::string& t) { return t.rfind("b100,", 0) == 0; }));
    if (loss.dropRate > 0) {
        EXPECT_GT(machine.Dropped(), 0);
    }

    const std::vector<PostedMessage> posted = window.Drain();
    int progress = 0;
    for (const PostedMessage& m : posted) {
        if (m.message != WM_NET_JET_PROGRESS) continue;
        ++progress;
        EXPECT_EQ(m.wParam, static_cast<WPARAM>(kPrintTask));
    }
    EXPECT_GT(progress, 0) << "jet progress notices";
    EXPECT_TRUE(std::any_of(posted.begin(), posted.end(), [](const PostedMessage& m) {
        return m.message == WM_NET_MACHINE_STATE && m.lParam == kMachinePageFinished;
    }));
}

INSTANTIATE_TEST_SUITE_P(Loopback, LinkJetJob,
                         ::testing::Values(JetLossCase{"clean", 153, 0.0}, JetLossCase{"lossy", 154, 0.1}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane_test
