// The link under datagram loss against a go-back-N machine: a lost poll holds nothing up, a
// keep-0 re-announce delivers what is in flight once, seeded loss never wedges a job, and a
// machine that acknowledges nothing is reported once.
#include "link_fixture.h"
#include "link_job_fixture.h"

#include "machinelink/machine_protocol.h"
#include "machinelink/net_machine.h"
#include "support/recording_message_sink.h"
#include "support/simulated_machine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>

namespace corvane_test {
namespace {

using interp_fixtures::JobShape;
using interp_fixtures::NewJob;

// The longest a command may wait behind a lost pack: the 150 ms resend threshold reached at a
// 200 ms poll pass, with room for the test clock's steps.
constexpr TickMs kOneResendPeriodMs = 150 + 200 + 50;

// A simulated machine and a link on loopback, with a test clock that runs stepMs per ms.
class LinkSession {
public:
    LinkSession(SimulatedMachineOptions options, TickMs stepMs, int lifetimeMs = 20000)
        : stepMs_(stepMs), link_(options.hostOctet, lifetimeMs)
    {
        options.lifetimeMs = lifetimeMs;
        machine_ = std::make_unique<SimulatedMachine>(options);
    }

    SimulatedMachine& Machine() { return *machine_; }
    CUDPServer& Server() { return link_.Server(); }
    FakeClock& Clock() { return clock_; }

    // Starts the machine and the link.
    void Start()
    {
        std::string error;
        ASSERT_TRUE(machine_->Start(&error)) << error;
        ASSERT_TRUE(link_.Start());
    }
    // Starts both and waits until the machine is admitted and its parameters arrived.
    void StartAndAdmit()
    {
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_TRUE(Drive([&] { return WithMachine([](NET_Machine& m) { return m.paramsReceived != 0; }); }))
            << "admitted and asked for its parameters";
    }
    // Moves the clock on until done holds, at most timeoutMs of real time.
    bool Drive(const std::function<bool()>& done, int timeoutMs = 8000)
    {
        return WaitUntil(done, timeoutMs, &clock_, stepMs_);
    }
    // Runs f on the controller's record of the machine under the link's lock.
    bool WithMachine(const std::function<bool(NET_Machine&)>& f)
    {
        CSingleLock guard(&Server().GetLock(), TRUE);
        NET_Machine* m = Server().FindMachineByKey(machine_->Key());
        return m && f(*m);
    }
    void PostText(const std::string& text)
    {
        ASSERT_GT(Server().PostMachineCommand(machine_->Key(), 0, reinterpret_cast<const uint8_t*>(text.data()),
                                              static_cast<int>(text.size())),
                  0);
    }
    // Hands job to the task box and starts it with "f2;".
    void StartJob(const std::vector<JobShape>& job)
    {
        ASSERT_TRUE(WithMachine([&](NET_Machine& m) { return m.task.SetData(new PlotShapeCutList, 1, NewJob(job)) == 1; }));
        PostText("f2;");
    }
    bool QueuesEmpty()
    {
        return WithMachine([](NET_Machine& m) {
            return !m.dataQueue.HasUnacknowledged() && !m.panelQueue.HasUnacknowledged() &&
                   !m.commandQueue.HasUnacknowledged() && !m.jetQueue.HasUnacknowledged();
        });
    }

private:
    FakeClock clock_;
    TickMs stepMs_;
    std::unique_ptr<SimulatedMachine> machine_;
    LoopbackLink link_;
};

size_t CountOf(const std::vector<std::string>& texts, const std::string& text)
{
    return static_cast<size_t>(std::count(texts.begin(), texts.end(), text));
}

TEST(LinkLoss, CommandsBehindALostPollGoOutWithinOneResendPeriod)
{
    SimulatedMachineOptions options;
    options.hostOctet = 160;
    options.askForJobOnF2 = false;
    LinkSession session(options, 5);
    auto pollLost = std::make_shared<std::atomic<bool>>(false);
    session.Machine().SetLossRule([pollLost](SimDirection direction, uint16_t port, const std::vector<uint8_t>& bytes) {
        if (direction != SimDirection::Arriving || port != kMachineCommandPort || bytes.size() < 3) return false;
        if (bytes[2] != kPackTypePollParams || pollLost->load()) return false;
        pollLost->store(true);
        return true;
    });
    ASSERT_NO_FATAL_FAILURE(session.Start());
    ASSERT_TRUE(session.Drive([&] { return pollLost->load(); }));

    const TickMs postedMs = session.Clock().NowMs();
    for (const char* text : {"a1;", "a2;", "a3;"}) session.PostText(text);
    ASSERT_TRUE(session.Drive([&] { return session.Machine().CommandTexts().size() == 3; }))
        << "the commands never passed the lost poll";
    const std::vector<SimPack> taken = session.Machine().Taken(SimQueue::Command);
    ASSERT_GE(taken.size(), 4u);
    EXPECT_EQ(taken[0].type, kPackTypePollParams) << "the lost poll goes out again first";
    for (const SimPack& pack : taken) EXPECT_LE(pack.takenMs - postedMs, kOneResendPeriodMs);
    EXPECT_EQ(session.Machine().CommandTexts(), (std::vector<std::string>{"a1;", "a2;", "a3;"}));
    EXPECT_EQ(std::count_if(taken.begin(), taken.end(), [](const SimPack& p) { return p.type == kPackTypePollParams; }), 1)
        << "no second poll joins one in flight";
    EXPECT_TRUE(session.Drive([&] { return session.QueuesEmpty(); }));
}

TEST(LinkLoss, AKeepZeroReannounceDeliversWhatIsInFlightOnceAndInOrder)
{
    SimulatedMachineOptions options;
    options.hostOctet = 161;
    options.expectedSequence = {20, 0, 30, 0};
    LinkSession session(options, 5);
    SimulatedMachine& machine = session.Machine();
    ASSERT_NO_FATAL_FAILURE(session.StartAndAdmit());
    // Once three motion packs have arrived the machine stops hearing motion and command packs,
    // so both queues hold packs in flight. The machine decides it as the packs arrive: a rule
    // set from the test after the third pack would race the job, which may end first.
    auto dataSequences = std::make_shared<std::vector<uint8_t>>();
    machine.SetLossRule([dataSequences](SimDirection direction, uint16_t port, const std::vector<uint8_t>& bytes) {
        if (direction != SimDirection::Arriving) return false;
        if (dataSequences->size() >= 3) return port == kMachineDataPort || port == kMachineCommandPort;
        if (port == kMachineDataPort && bytes.size() >= 2 &&
            std::find(dataSequences->begin(), dataSequences->end(), bytes[1]) == dataSequences->end())
            dataSequences->push_back(bytes[1]);
        return false;
    });
    ASSERT_NO_FATAL_FAILURE(session.StartJob(SmallJob()));
    ASSERT_TRUE(session.Drive([&] { return machine.Taken(SimQueue::Data).size() >= 3; }));
    for (const char* text : {"c1;", "c2;", "c3;"}) session.PostText(text);
    ASSERT_TRUE(session.Drive([&] {
        return !machine.RequestPending() && session.WithMachine([](NET_Machine& m) {
            return m.dataQueue.HasUnacknowledged() && m.commandQueue.GetOutstanding() >= 3;
        });
    }));
    // It starts over at new numbers and hears everything again.
    const std::vector<uint8_t> current = machine.AnnounceBytes(0);
    machine.Announce(0, std::array<uint8_t, 5>{100, current[5], 200, current[7], current[28]});
    machine.SetLossRule(nullptr);

    ASSERT_TRUE(session.Drive([&] { return machine.JobFinished(); }, 15000))
        << "motion so far: " << machine.MotionText().size() << " bytes";
    std::string expected;
    ASSERT_TRUE(session.WithMachine([&](NET_Machine& m) {
        expected = InterpolatorText(m, SmallJob());
        return true;
    }));
    EXPECT_EQ(machine.MotionText(), expected + "D100;");
    const std::vector<std::string> texts = machine.CommandTexts();
    for (const char* text : {"f2;", "c1;", "c2;", "c3;"}) EXPECT_EQ(CountOf(texts, text), 1u) << text;
    const auto at = [&](const char* text) { return std::find(texts.begin(), texts.end(), text) - texts.begin(); };
    EXPECT_LT(at("f2;"), at("c1;"));
    EXPECT_LT(at("c1;"), at("c2;"));
    EXPECT_LT(at("c2;"), at("c3;"));
    EXPECT_TRUE(session.Drive([&] { return session.QueuesEmpty(); }));
}

struct LossPattern {
    const char* name;
    uint8_t octet;
    double rate;      // of the datagrams in each direction (of bursts when burstLength > 1)
    int burstLength;  // consecutive datagrams lost together
    uint32_t seed;
};

void PrintTo(const LossPattern& p, std::ostream* os) { *os << p.name; }

class LinkLossPattern : public ::testing::TestWithParam<LossPattern> {};

TEST_P(LinkLossPattern, EveryJobFinishesWithItsWholeMotionTextOnce)
{
    const LossPattern& loss = GetParam();
    SimulatedMachineOptions options;
    options.hostOctet = loss.octet;
    options.expectedSequence = {200, 0, 240, 0};  // the counters wrap during the job
    // Time runs twenty times faster than real time while the test waits.
    LinkSession session(options, 20, 60000);
    SimulatedMachine& machine = session.Machine();
    ASSERT_NO_FATAL_FAILURE(session.StartAndAdmit());
    machine.SetLossRule(SeededLoss(loss.rate, loss.seed, loss.burstLength));
    const std::vector<JobShape> job = ZigZagJob(2500);
    ASSERT_NO_FATAL_FAILURE(session.StartJob(job));

    ASSERT_TRUE(session.Drive([&] { return machine.JobFinished(); }, 50000))
        << "motion so far: " << machine.MotionText().size() << " bytes";
    ASSERT_TRUE(session.Drive([&] { return session.QueuesEmpty(); })) << "a queue kept packs in flight";
    EXPECT_GT(machine.Dropped(), 10);

    std::string expected;
    ASSERT_TRUE(session.WithMachine([&](NET_Machine& m) {
        expected = InterpolatorText(m, job);
        return true;
    }));
    EXPECT_EQ(machine.MotionText(), expected + "D100;");
    const std::vector<SimPack> data = machine.Taken(SimQueue::Data);
    for (size_t i = 1; i < data.size(); ++i)
        ASSERT_EQ(data[i].sequence, static_cast<uint8_t>(data[i - 1].sequence + 1)) << "pack " << i;
    const std::vector<std::string> texts = machine.CommandTexts();
    EXPECT_EQ(CountOf(texts, "f2;"), 1u);
    EXPECT_EQ(CountOf(texts, "f4;"), 1u);
}

INSTANTIATE_TEST_SUITE_P(Seeded, LinkLossPattern,
                         ::testing::Values(LossPattern{"tenPercent", 162, 0.10, 1, 11},
                                           LossPattern{"thirtyPercent", 163, 0.30, 1, 12},
                                           LossPattern{"burstsOf20", 164, 0.01, 20, 13}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LinkLoss, ACommandRefusedByAFullQueueIsReportedOnceNamingTheMachine)
{
    RecordingMessageSink sink;
    SimulatedMachineOptions options;
    options.hostOctet = 165;
    LinkSession session(options, 5);
    SimulatedMachine& machine = session.Machine();
    // The machine answers polls but acknowledges nothing.
    machine.SetLossRule([](SimDirection direction, uint16_t, const std::vector<uint8_t>& bytes) {
        return direction == SimDirection::Leaving && bytes.size() >= 4 && bytes[0] == 'Q' && bytes[1] == 'G' &&
               bytes[2] == 'J' && (bytes[3] == 'A' || bytes[3] == 'R');
    });
    ASSERT_NO_FATAL_FAILURE(session.StartAndAdmit());

    for (int i = 0; i < 270; ++i) {
        session.PostText("n" + std::to_string(i) + ";");
        // A pause now and then keeps the link socket's receive buffer from overflowing.
        if (i % 32 == 31) {
            ASSERT_TRUE(session.Drive([&] {
                return session.WithMachine([&](NET_Machine& m) { return m.commandQueue.GetOutstanding() >= std::min(i, 254); });
            }));
        }
    }
    ASSERT_TRUE(session.Drive([&] { return !sink.Shown().empty(); })) << "the refusal was never reported";
    session.Drive([] { return false; }, 100);
    const std::vector<ShownMessage> shown = sink.Shown();
    ASSERT_EQ(shown.size(), 1u);
    const std::string text(shown[0].text.begin(), shown[0].text.end());
    EXPECT_NE(text.find("127.0.0.165"), std::string::npos) << text;
    EXPECT_TRUE(session.WithMachine([](NET_Machine& m) { return m.commandQueue.IsFull(); }));
}

}  // namespace
}  // namespace corvane_test
