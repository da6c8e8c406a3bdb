// A job end to end over real loopback sockets: handed to the task box, started with "f2;",
// streamed by the link thread, acknowledged and finished by a simulated machine, also with
// datagrams lost in both directions.
#include "link_fixture.h"

#include "machinelink/machine_messages.h"
#include "machinelink/net_machine.h"
#include "support/recording_message_target.h"
#include "support/simulated_machine.h"

#include "link_job_fixture.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <algorithm>
#include <cmath>

namespace corvane_test {
namespace {

using interp_fixtures::NewJob;

struct LossCase {
    const char* name;
    uint8_t octet;
    double dropRate;         // of the datagrams in each direction
    int64_t answerDelayMs;   // every answer of the machine comes this late
};

void PrintTo(const LossCase& c, std::ostream* os) { *os << c.name; }

class LinkJob : public ::testing::TestWithParam<LossCase> {};

TEST_P(LinkJob, IsStreamedAcknowledgedAndFinished)
{
    const LossCase& loss = GetParam();
    FakeClock clock;
    RecordingMessageTarget window;
    SimulatedMachineOptions options;
    options.hostOctet = loss.octet;
    options.expectedSequence = {250, 0, 253, 0};  // the counters wrap during the job
    options.startPulseCount = 123456;
    SimulatedMachine machine(options);
    std::string error;
    ASSERT_TRUE(machine.Start(&error)) << error;
    machine.SetDropRate(loss.dropRate, loss.dropRate, 7);
    machine.SetSendDelayMs(loss.answerDelayMs);
    LoopbackLink link(loss.octet);
    ASSERT_TRUE(link.Start());
    CUDPServer& server = link.Server();

    // Time runs five times faster than real time while the test waits.
    auto drive = [&](const std::function<bool()>& done) { return WaitUntil(done, 8000, &clock, 5); };
    auto withMachine = [&](const std::function<bool(NET_Machine&)>& f) {
        CSingleLock guard(&server.GetLock(), TRUE);
        NET_Machine* m = server.FindMachineByKey(machine.Key());
        return m && f(*m);
    };
    ASSERT_TRUE(drive([&] { return withMachine([](NET_Machine& m) { return m.paramsReceived != 0; }); }))
        << "admitted and asked for its parameters";

    ASSERT_TRUE(withMachine([](NET_Machine& m) { return m.task.SetData(new PlotShapeCutList, 1, NewJob(SmallJob())) == 1; }));
    const uint8_t start[] = {'f', '2', ';'};
    ASSERT_EQ(server.PostMachineCommand(machine.Key(), 0, start, 3), 8);
    ASSERT_TRUE(drive([&] { return machine.JobFinished(); })) << "motion so far: " << machine.MotionText().size() << " bytes";

    std::string expected;
    ASSERT_TRUE(withMachine([&](NET_Machine& m) {
        EXPECT_EQ(m.jobState, kJobIdle);
        EXPECT_EQ(m.task.IsTaken(), 0);
        expected = InterpolatorText(m, SmallJob());
        return true;
    }));
    ASSERT_GT(expected.size(), 3000u);
    EXPECT_EQ(machine.MotionText(), expected + "D100;");
    EXPECT_GT(machine.Taken(SimQueue::Data).size(), 10u);
    if (loss.dropRate > 0) {
        EXPECT_GT(machine.Dropped(), 0);
    }

    std::vector<PostedMessage> posted = window.Drain();
    EXPECT_TRUE(std::any_of(posted.begin(), posted.end(), [](const PostedMessage& m) {
        return m.message == WM_NET_MACHINE_STATE && m.lParam == kMachinePageFinished;
    }));
}

INSTANTIATE_TEST_SUITE_P(Loopback, LinkJob,
                         ::testing::Values(LossCase{"clean", 150, 0.0, 0}, LossCase{"lossy", 151, 0.1, 0},
                                           LossCase{"slow", 152, 0.0, 120}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane_test
