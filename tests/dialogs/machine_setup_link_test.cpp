// The machine settings dialog over a running link: what the operator changes reaches a
// simulated machine as its command pack.
#include "machinelink/net_machine.h"
#include "platform/critical_section.h"
#include "support/link_ports_lock.h"
#include "support/loopback_link.h"
#include "support/modal_driver.h"
#include "support/simulated_machine.h"
#include "support/widget_application.h"
#include "ui/dlg_mach_info.h"

#include <gtest/gtest.h>

namespace corvane_test {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kMachineOctet = 183;
// The work flags (code 15) travel as command pack type 14.
constexpr uint8_t kWorkFlagsPackType = 14;

TEST(MachineSetupOverTheLink, CutLevelReachesTheMachineAsTheWorkFlagsPack)
{
    EnsureWidgetApplication();
    LinkPortsLock portsLock;
    ASSERT_TRUE(portsLock.Held());
    SimulatedMachineOptions options;
    options.hostOctet = kMachineOctet;
    SimulatedMachine sim(options);
    std::string error;
    ASSERT_TRUE(sim.Start(&error)) << error;
    LoopbackLink link(kMachineOctet);
    ASSERT_TRUE(link.Start());
    CUDPServer& server = link.Server();
    const auto machine = [&]() -> NET_Machine* {
        CSingleLock guard(&server.GetLock(), TRUE);
        NET_Machine* m = server.FindMachineByKey(sim.Key());
        return m != nullptr && m->paramsReceived != 0 ? m : nullptr;
    };
    ASSERT_TRUE(WaitUntil([&] { return machine() != nullptr; }));

    CDlgMachInfo dialog(server, machine(), nullptr);
    dialog.show();
    Click(dialog, "cutLevel2");
    Click(dialog, "ok");
    EXPECT_FALSE(dialog.isVisible());

    Bytes payload;
    ASSERT_TRUE(WaitUntil([&] {
        for (const SimPack& pack : sim.Taken(SimQueue::Command))
            if (pack.type == kWorkFlagsPackType) payload = pack.payload;
        return !payload.empty();
    }));
    EXPECT_EQ(payload, (Bytes{0x02, 0xE8, 0x03, 0, 0, 0, 0, 0, 0}));
    link.Stop();
}

}  // namespace
}  // namespace corvane_test
