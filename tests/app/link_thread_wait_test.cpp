// The idle link thread sleeps until its next pass, yet a command frame wakes it at once and
// stopping it does not wait for the pass.
#include "link_fixture.h"

#include "machinelink/net_machine.h"
#include "support/simulated_machine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace corvane_test {
namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

TEST(LinkThreadWait, ACommandFrameWakesTheSleepingThreadAndStopIsPrompt)
{
    SimulatedMachineOptions options;
    options.hostOctet = 166;
    options.askForJobOnF2 = false;
    SimulatedMachine machine(options);
    std::string error;
    ASSERT_TRUE(machine.Start(&error)) << error;
    LoopbackLink link(166);
    ASSERT_TRUE(link.Start());
    ASSERT_TRUE(WaitUntil([&] {
        CSingleLock guard(&link.Server().GetLock(), TRUE);
        NET_Machine* m = link.Server().FindMachineByKey(machine.Key());
        return m && m->paramsReceived && !m->commandQueue.HasUnacknowledged();
    }));

    // A thread that slept through frames would answer after up to a 200 ms poll interval.
    std::vector<double> latenciesMs;
    for (int i = 0; i < 5; ++i) {
        const std::string text = "w" + std::to_string(i) + ";";
        const auto posted = Clock::now();
        link.Server().PostMachineCommand(machine.Key(), 0, reinterpret_cast<const uint8_t*>(text.data()),
                                         static_cast<int>(text.size()));
        ASSERT_TRUE(WaitUntil([&] { return machine.CommandTexts().size() == static_cast<size_t>(i + 1); }));
        latenciesMs.push_back(MsSince(posted));
        std::this_thread::sleep_for(std::chrono::milliseconds(37));
    }
    std::sort(latenciesMs.begin(), latenciesMs.end());
    EXPECT_LT(latenciesMs[2], 100.0) << "median latency of a command frame";

    const auto stopping = Clock::now();
    link.Stop();
    EXPECT_FALSE(link.Server().IsLinkThreadRunning());
    EXPECT_LT(MsSince(stopping), 150.0);
}

}  // namespace
}  // namespace corvane_test
