// A job of Chinese labels cut over loopback: the motion text the machine receives carries the
// outlines of the characters.
#include "app/doc_corvane.h"
#include "app/print_task.h"
#include "link_fixture.h"
#include "machinelink/net_machine.h"
#include "platform/byte_order.h"
#include "support/built_fonts.h"
#include "support/simulated_machine.h"
#include "support/test_environment.h"
#include "support/test_views.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane_test {
namespace {

constexpr uint8_t kMachineOctet = 163;

TEST_F(BuiltChineseFonts, AJobOfChineseLabelsIsCutWithTheirOutlines)
{
    const std::string path = ScratchDir() + "labels.plt";
    ASSERT_TRUE(WriteFile(path, "IN;SP1;PU1000,1000;SI2,2;LB\xD6\xD0\xCE\xC4\xB2\xE2\xCA\xD4\x03"));
    FakeClock clock;
    SimulatedMachineOptions options;
    options.hostOctet = kMachineOctet;
    StoreLE16(options.settingsBlock.data() + 172, 3);  // SP1 is a knife
    SimulatedMachine sim(options);
    std::string error;
    ASSERT_TRUE(sim.Start(&error)) << error;
    LoopbackLink link(kMachineOctet);
    ASSERT_TRUE(link.Start());
    auto drive = [&](const std::function<bool()>& done) { return WaitUntil(done, 10000, &clock, 5); };
    NET_Machine* machine = nullptr;
    ASSERT_TRUE(drive([&] {
        CSingleLock hold(&link.Server().GetLock(), TRUE);
        machine = link.Server().FindMachineByKey(sim.Key());
        return machine != nullptr && machine->paramsReceived != 0;
    }));
    CDocCorvane doc(link.Server());
    TestJobRows jobRows;
    TestMachineRows machineRows;
    machineRows.rows = {{machine, 1}};
    doc.SetListRows(&jobRows, &machineRows);
    auto* job = new CPrintTask(CString::FromUtf8(path).GetString());
    job->checked = 1;
    ASSERT_TRUE(doc.AddJobToList(job, -1));
    ASSERT_EQ(doc.DispatchJobToMachine(job, machine, 0, -1), 1);
    ASSERT_TRUE(drive([&] { return sim.JobFinished(); }));
    printf("%s\n", sim.MotionText().substr(0, 3000).c_str());
    link.Stop();
}

}  // namespace
}  // namespace corvane_test
