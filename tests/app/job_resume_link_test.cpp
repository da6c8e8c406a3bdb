// A knife job of two pages end to end over loopback: streamed page by page to a simulated
// machine, interrupted in its second page by a dropped link, and resumed by a new controller
// from the machine's state folder at that page.
#include "app/doc_corvane.h"
#include "app/print_task.h"
#include "app/resume_state.h"
#include "link_fixture.h"
#include "machinelink/machine_protocol.h"
#include "machinelink/net_machine.h"
#include "platform/byte_order.h"
#include "support/preparation_wait.h"
#include "support/simulated_machine.h"
#include "support/test_environment.h"
#include "support/test_views.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace corvane_test {
namespace {

constexpr uint8_t kMachineOctet = 161;

// Ten knife circles (SP1) of 60 mm in a row 800 mm long: two pages of 500 mm.
std::string TwoPageKnifeJob()
{
    std::string hpgl = "IN;SP1;";
    for (int k = 0; k < 10; ++k) {
        const double cx = k * 3200 + 1200, cy = 1500;
        for (int i = 0; i <= 240; ++i) {
            const double a = i * 2 * M_PI / 240;
            const long x = std::lround(cx + 1200 * std::cos(a)), y = std::lround(cy + 1200 * std::sin(a));
            hpgl += (i == 0 ? "PU" : i == 1 ? "PD" : ",") + std::to_string(x) + "," + std::to_string(y);
            if (i == 0 || i == 240) hpgl += ";";
        }
    }
    return hpgl;
}

// A machine whose SP1 is a knife and whose X range is 500 mm.
SimulatedMachineOptions KnifeMachineOptions()
{
    SimulatedMachineOptions options;
    options.hostOctet = kMachineOctet;
    StoreLE32(options.settingsBlock.data() + 12, 500);
    StoreLE16(options.settingsBlock.data() + 172, 3);
    return options;
}

// One controller run: a link, a document with in-memory rows, and the admitted machine.
class Controller {
public:
    explicit Controller(FakeClock& clock) : clock_(clock) {}

    bool Start(SimulatedMachine& sim)
    {
        if (!link_.Start()) return false;
        const bool admitted = Drive([&] {
            CSingleLock hold(&link_.Server().GetLock(), TRUE);
            machine_ = link_.Server().FindMachineByKey(sim.Key());
            return machine_ != nullptr && machine_->paramsReceived != 0;
        });
        if (admitted) machineRows_.rows = {{machine_, 1}};
        doc_.SetListRows(&jobRows_, &machineRows_);
        return admitted;
    }
    bool Drive(const std::function<bool()>& done) { return WaitUntil(done, 10000, &clock_, 5); }
    // Waits until the machine finished its job and the task box is free again.
    bool DriveToPageEnd(SimulatedMachine& sim)
    {
        return Drive([&] {
            if (!sim.JobFinished()) return false;
            CSingleLock hold(&link_.Server().GetLock(), TRUE);
            return !machine_->task.IsTaken() && !machine_->task.HasWaitingJob();
        });
    }
    // The page-end notice: the finished page is recorded and the next one dispatched.
    int PageEnd(CPrintTask* job)
    {
        clock_.Advance(2000);
        if (!WriteCutState(Folder(), 1)) return 0;
        return Dispatch(job, 0, -1);
    }
    // Dispatches job and waits for its preparation: 1 when its page reached the machine.
    int Dispatch(CPrintTask* job, int wholeJob, int page)
    {
        if (!doc_.DispatchJobToMachine(job, machine_, wholeJob, page)) return 0;
        if (!FinishPreparations(doc_)) return 0;
        return job->dispatchRefusal == DispatchRefusal::kNone ? 1 : 0;
    }
    CString Folder()
    {
        CSingleLock hold(&link_.Server().GetLock(), TRUE);
        return GetMachineStateFolder(*machine_);
    }
    CPrintTask* AddJob(const std::string& path)
    {
        auto* job = new CPrintTask(CString::FromUtf8(path).GetString());
        job->checked = 1;
        return doc_.AddJobToList(job, -1) ? job : nullptr;
    }
    void StopLink() { link_.Stop(); }

    CDocCorvane& Doc() { return doc_; }
    NET_Machine* Machine() { return machine_; }

private:
    FakeClock& clock_;
    LoopbackLink link_{kMachineOctet};
    CDocCorvane doc_{link_.Server()};
    TestJobRows jobRows_;
    TestMachineRows machineRows_;
    NET_Machine* machine_ = nullptr;
};

TEST(JobResumeOverLink, ADroppedLinkResumesAtItsPageAndCutsOnlyThatPage)
{
    FakeClock clock;
    const std::string path = ScratchDir() + "two_pages.plt";
    ASSERT_TRUE(WriteFile(path, TwoPageKnifeJob()));

    // An uninterrupted run gives the reference text of both pages.
    std::string page0, page1;
    {
        SimulatedMachine sim(KnifeMachineOptions());
        std::string error;
        ASSERT_TRUE(sim.Start(&error)) << error;
        Controller run(clock);
        ASSERT_TRUE(run.Start(sim));
        CPrintTask* job = run.AddJob(path);
        ASSERT_NE(job, nullptr);
        ASSERT_EQ(run.Dispatch(job, 0, -1), 1);
        EXPECT_EQ(job->pageCount, 2);
        ASSERT_TRUE(run.DriveToPageEnd(sim));
        page0 = sim.MotionText();
        // The jet head configuration and motor values come before the start text.
        const std::vector<SimPack> packs = sim.Taken(SimQueue::Command);
        const auto at = [&](size_t from, auto match) {
            for (size_t i = from; i < packs.size(); ++i)
                if (match(packs[i])) return i;
            return packs.size();
        };
        const size_t head = at(0, [](const SimPack& p) { return p.type == kPackTypeJetConfig; });
        const size_t motor = at(head, [](const SimPack& p) { return p.type == kPackTypeJetMotoConfig; });
        const size_t start = at(motor, [](const SimPack& p) {
            return p.type == kPackTypeCommandText && std::string(p.payload.begin(), p.payload.end()) == "f2;";
        });
        EXPECT_LT(start, packs.size());
        ASSERT_EQ(run.PageEnd(job), 1);
        EXPECT_EQ(job->pageIndex, 1);
        ASSERT_TRUE(run.DriveToPageEnd(sim));
        page1 = sim.MotionText();
        run.StopLink();
    }
    ASSERT_GT(page0.size(), 2000u);
    ASSERT_GT(page1.size(), 2000u);
    EXPECT_NE(page0, page1);

    // The same job, with the link dropped in the middle of page 1.
    {
        SimulatedMachine sim(KnifeMachineOptions());
        ASSERT_TRUE(sim.Start());
        sim.SetSendDelayMs(20);
        Controller run(clock);
        ASSERT_TRUE(run.Start(sim));
        CPrintTask* job = run.AddJob(path);
        ASSERT_NE(job, nullptr);
        ASSERT_EQ(run.Dispatch(job, 1, -1), 1);
        ASSERT_TRUE(run.DriveToPageEnd(sim));
        EXPECT_EQ(sim.MotionText(), page0);
        ASSERT_EQ(run.PageEnd(job), 1);
        ASSERT_TRUE(run.Drive([&] { return sim.MotionText().size() > page1.size() / 3; }));
        run.StopLink();
        sim.Stop();
        const std::string partial = sim.MotionText();
        ASSERT_LT(partial.size(), page1.size()) << "the page was cut short";
        EXPECT_EQ(page1.compare(0, partial.size(), partial), 0) << "a prefix of page 1";
    }

    // A new controller finds the job at page 1 and cuts that page only.
    SimulatedMachine sim(KnifeMachineOptions());
    ASSERT_TRUE(sim.Start());
    Controller run(clock);
    ASSERT_TRUE(run.Start(sim));
    run.Doc().ResumeInterruptedJob(*run.Machine());
    ASSERT_EQ(run.Doc().GetJobList().Count(), 1);
    CPrintTask* job = run.Doc().FindJobByPath(CString::FromUtf8(path));
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->pageIndex, 1);
    EXPECT_EQ(job->pageCount, 2);
    EXPECT_EQ(job->machine, sim.Key());
    ASSERT_EQ(run.Dispatch(job, 0, -1), 1);
    EXPECT_EQ(job->pageIndex, 1);
    ASSERT_TRUE(run.DriveToPageEnd(sim));
    EXPECT_EQ(sim.MotionText(), page1);

    // Once the last page is finished, a restart lists nothing.
    clock.Advance(2000);
    ASSERT_EQ(WriteCutState(run.Folder(), 1), 1);
    CDocCorvane restarted(run.Doc().GetServer());
    restarted.ResumeInterruptedJob(*run.Machine());
    EXPECT_EQ(restarted.GetJobList().Count(), 0);
    run.StopLink();
}

}  // namespace
}  // namespace corvane_test
