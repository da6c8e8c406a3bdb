// A job of 2,000 strokes prepared on its worker while the window's event loop goes on: a timer
// keeps firing and a new upload client gets its lists at once; the machine then receives the
// very motion text that the same page prepared on the GUI thread gives.
#include "app/doc_corvane.h"
#include "app/job_geometry.h"
#include "app/job_preparation.h"
#include "app/main_frame_messages.h"
#include "app/pagination.h"
#include "app/print_task.h"
#include "app/resume_state.h"
#include "app/udp_server.h"
#include "link_fixture.h"
#include "machinelink/net_machine.h"
#include "platform/byte_order.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "plotmodel/plot_shape_list.h"
#include "spread_strokes.h"
#include "support/event_loop.h"
#include "support/loopback_tcp_client.h"
#include "support/simulated_machine.h"
#include "support/test_environment.h"
#include "support/test_views.h"
#include "uploadserver/tcp_client1.h"
#include "uploadserver/tcp_server1.h"
#include "uploadserver/upload_messages.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace corvane_test {
namespace {

constexpr uint8_t kMachineOctet = 173;
constexpr TickMs kStepMs = 5;
// Real time after which the machine and the link stop by themselves.
constexpr int kLifetimeMs = 300000;

class PreparationOverLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureEventLoop();
        doc_.SetListRows(&jobRows_, &machineRows_);
        SetMainMessageTarget(&frame_);
        SimulatedMachineOptions options;
        options.hostOctet = kMachineOctet;
        options.lifetimeMs = kLifetimeMs;
        StoreLE16(options.settingsBlock.data() + 172, 3);  // SP1 is a knife
        sim_ = std::make_unique<SimulatedMachine>(options);
        std::string error;
        ASSERT_TRUE(sim_->Start(&error)) << error;
        ASSERT_TRUE(link_.Start());
        ASSERT_TRUE(Drive([&] {
            CSingleLock hold(&link_.Server().GetLock(), TRUE);
            machine_ = link_.Server().FindMachineByKey(sim_->Key());
            return machine_ != nullptr && machine_->paramsReceived != 0;
        }));
        machineRows_.rows = {{machine_, 1}};
    }
    void TearDown() override
    {
        link_.Stop();
        if (sim_) sim_->Stop();
        if (wire_) {
            wire_->Close();
            RunEventLoopUntil([&] { return client_ == nullptr || CTCPClient1::FindClient(client_) < 0; });
        }
        CTCPServer1::GetGlobalServer()->Close();
        Deliver();
        SetMainMessageTarget(nullptr);
    }
    // Hands the frame what was posted to it, noting the upload client when it is accepted.
    void Deliver()
    {
        for (const PostedMessage& m : frame_.TakePosted()) {
            if (m.message == WM_TCP_CLIENT_ACCEPTED) client_ = reinterpret_cast<CTCPClient1*>(m.wParam);
            frame_.OnMessage(m.message, m.wParam, m.lParam);
        }
    }
    // Runs the event loop with the fake clock moving on and the frame's messages delivered.
    bool Drive(const std::function<bool()>& done, int timeoutMs = 60000)
    {
        return RunEventLoopUntil(
            [&] {
                clock_.Advance(kStepMs);
                Deliver();
                return done();
            },
            timeoutMs);
    }
    bool DriveToJobEnd()
    {
        return Drive([&] {
            if (!sim_->JobFinished()) return false;
            CSingleLock hold(&link_.Server().GetLock(), TRUE);
            return !machine_->task.IsTaken() && !machine_->task.HasWaitingJob();
        });
    }

    FakeClock clock_;
    LoopbackLink link_{kMachineOctet, kLifetimeMs};
    CDocCorvane doc_{link_.Server()};
    TestJobRows jobRows_;
    TestMachineRows machineRows_;
    MainFrameMessages frame_{doc_, CMessageTarget::Delivery::ByHand};
    std::unique_ptr<SimulatedMachine> sim_;
    NET_Machine* machine_ = nullptr;
    std::unique_ptr<LoopbackTcpClient> wire_;
    CTCPClient1* client_ = nullptr;
};

TEST_F(PreparationOverLink, TheWindowAndItsClientsAreServedWhileAJobIsPreparedAndTheTextIsTheSynchronousOne)
{
    const std::string path = ScratchDir() + "sheet.plt";
    ASSERT_TRUE(WriteFile(path, SpreadStrokes(2000, 1)));
    auto* job = new CPrintTask(CString::FromUtf8(path).GetString());
    job->checked = 1;
    ASSERT_EQ(doc_.AddJobToList(job, -1), 1);
    ASSERT_EQ(job->LoadPrintTaskFile(), 1);

    int ticks = 0;
    QTimer timer;
    timer.setInterval(1);
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start();

    // The worker is held at its geometry stage until the window has been seen served, so what
    // is checked does not depend on how fast this build prepares.
    std::atomic<bool> release{false};
    JobPreparation::SetStageHookForTests([&release](PreparationStage s) {
        if (s != PreparationStage::kGeometry) return;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!release.load() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    struct HookReset {
        std::atomic<bool>& release;
        ~HookReset()
        {
            release.store(true);
            JobPreparation::SetStageHookForTests(nullptr);
        }
    } hookReset{release};

    ASSERT_EQ(doc_.DispatchJobToMachine(job, machine_, 1, -1), 1);
    const int ticksAtStart = ticks;
    wire_ = ConnectToUploadServer();
    ASSERT_NE(wire_, nullptr);
    bool listedWhilePrepared = false;
    int ticksWhenListed = 0;
    std::string received;
    ASSERT_TRUE(Drive([&] {
        wire_->Poll();
        received += wire_->TakeReceived();
        if (received.find(Utf16Bytes(u"<FILEa,0>")) == std::string::npos || ticks == ticksAtStart) return false;
        listedWhilePrepared = doc_.IsMachineBeingPrepared(machine_->ip);
        ticksWhenListed = ticks;
        return true;
    }));
    release.store(true);
    EXPECT_TRUE(listedWhilePrepared) << "the preparation ended before the client was served";
    EXPECT_NE(received.find(Utf16Bytes(u"<FILEc><FILEi")), std::string::npos);
    EXPECT_GT(ticksWhenListed, ticksAtStart) << "the timer stood still";
    ASSERT_TRUE(Drive([&] { return !doc_.IsMachineBeingPrepared(machine_->ip); }, kLifetimeMs));
    ASSERT_TRUE(DriveToJobEnd());
    EXPECT_EQ(job->dispatchRefusal, DispatchRefusal::kNone);
    const std::string prepared = sim_->MotionText();
    ASSERT_GT(prepared.size(), 10000u);

    // The same page prepared on this thread from the machine record itself, handed over and
    // started as the dispatcher does.
    clock_.Advance(2000);
    CSingleLock lock(&link_.Server().GetLock(), TRUE);
    const PageMachineValues pageValues = ReadPageMachineValues(*machine_);
    const PrepareMachineValues prepareValues = ReadPrepareMachineValues(*machine_);
    const CString folder = GetMachineStateFolder(*machine_);
    lock.Unlock();
    PlotShapeList shapes, page;
    shapes = *job->GetCutList();
    int32_t pageCount = 0;
    bool saved = false;
    ASSERT_EQ(PaginateJob(shapes, false, job->path, pageValues, folder, page, pageCount, saved), 0);
    auto A = std::make_unique<PlotShapeCutList>();
    auto B = std::make_unique<PlotShapeCutList>();
    Limit_PARAM range;
    int32_t clipOffset = 0;
    JetTaskValues jet;
    lock.Lock();
    ASSERT_EQ(PrepareJobGeometry(*A, *B, page, prepareValues, doc_.sortCuts, *machine_, range, clipOffset, jet), 1);
    ASSERT_EQ(machine_->task.SetData(A.release(), job->jobRef, B.release()), 1);
    lock.Unlock();
    ASSERT_GT(link_.Server().PostMachineCommand(machine_->ip, 0, reinterpret_cast<const uint8_t*>("f2;"), 3), 0);
    ASSERT_TRUE(DriveToJobEnd());
    EXPECT_EQ(sim_->MotionText(), prepared);
}

}  // namespace
}  // namespace corvane_test
