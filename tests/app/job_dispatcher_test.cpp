// The job dispatcher without a link: the hand-over guard, page accounting, warm-up lines,
// the automatic pass's work-waiting byte, the start key and damaged state files.
#include "app/config_globals.h"
#include "app/doc_corvane.h"
#include "app/job_geometry.h"
#include "app/print_task.h"
#include "app/resume_state.h"
#include "app/udp_server.h"
#include "link_fixture.h"
#include "machinelink/machine_globals.h"
#include "machinelink/net_machine.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "support/fake_clock.h"
#include "support/preparation_wait.h"
#include "support/recording_message_sink.h"
#include "support/test_environment.h"
#include "support/test_views.h"
#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using corvane_test::FakeClock;

// A knife rectangle 1250 mm long (pen 3 maps to the knife): three pages of 500 mm.
const std::string kThreePageJob = "IN;SP3;PU0,0;PD50000,0,50000,4000,0,4000,0,0;";

class Dispatcher : public ::testing::Test {
protected:
    void SetUp() override
    {
        const uint8_t id[12] = {0xD1, 0x5B};
        machine = new NET_Machine(corvane_test::LoopbackAddress(40), id);
        machine->online = 1;
        machine->firmwareVersion = 12;
        machine->machineParams.xRange = 500;
        machine->machineParams.yRange = 500;
        machine->spRoles[2] = 3;
        machine->motionSource.interpolator.offsetsBlock.toolOffsets[4] = 0.0f;  // no X stretch
        ASSERT_EQ(server.AddMachineSorted(machine), 1);
        machineRows.rows = {{machine, 1}};
        doc.SetListRows(&jobRows, &machineRows);
        job = AddJob("job.plt", kThreePageJob);
    }
    void TearDown() override
    {
        WarmUpLine = -1;
        AllPagesHaveWarmupLine = 0;
        FB_REPT_StartNextFile = 0;
    }

    CPrintTask* AddJob(const std::string& name, const std::string& hpgl)
    {
        const std::string path = corvane_test::ScratchDir() + name;
        EXPECT_TRUE(corvane_test::WriteFile(path, hpgl));
        auto* task = new CPrintTask(CString::FromUtf8(path).GetString());
        task->checked = 1;
        EXPECT_EQ(doc.AddJobToList(task, -1), 1);
        return task;
    }
    // The machine took its job and finished it.
    void FinishHandOver()
    {
        PlotShapeCutList* lists[2] = {nullptr, nullptr};
        ASSERT_EQ(machine->task.GetData(lists), 1);
        delete lists[0];
        delete lists[1];
        machine->task.ClearData();
        clock.Advance(2000);
    }
    CString Folder() const { return GetMachineStateFolder(*machine); }
    // Dispatches and waits for the preparation: 1 when the page reached the machine.
    int Dispatch(CPrintTask* task, NET_Machine* to, int wholeJob, int page)
    {
        if (!doc.DispatchJobToMachine(task, to, wholeJob, page)) return 0;
        EXPECT_TRUE(corvane_test::FinishPreparations(doc));
        return task->dispatchRefusal == DispatchRefusal::kNone ? 1 : 0;
    }
    // Waits for what a command began to prepare.
    void Finish() { EXPECT_TRUE(corvane_test::FinishPreparations(doc)); }

    FakeClock clock;
    CUDPServer server;
    CDocCorvane doc{server};
    corvane_test::TestJobRows jobRows;
    corvane_test::TestMachineRows machineRows;
    NET_Machine* machine = nullptr;
    CPrintTask* job = nullptr;
};

TEST_F(Dispatcher, AHandOverNotTakenGuardsTheMachineForOneAndAHalfSeconds)
{
    ASSERT_EQ(Dispatch(job, machine, 1, -1), 1);
    EXPECT_EQ(machine->task.HasWaitingJob(), 1);
    EXPECT_EQ(machine->task.GetPrtTaskPointer(), job->jobRef);
    EXPECT_EQ(machine->workWaiting, 0);
    EXPECT_NE(job->previewList, nullptr);
    clock.Advance(1000);
    EXPECT_EQ(Dispatch(job, machine, 1, -1), 0);
    clock.Advance(600);
    EXPECT_EQ(Dispatch(job, machine, 1, -1), 1);

    PlotShapeCutList* lists[2] = {nullptr, nullptr};
    ASSERT_EQ(machine->task.GetData(lists), 1);
    clock.Advance(5000);
    EXPECT_EQ(Dispatch(job, machine, 1, -1), 0) << "the machine works on a job";
    delete lists[0];
    delete lists[1];
    machine->task.ClearData();
    machine->online = 0;
    EXPECT_EQ(Dispatch(job, machine, 1, -1), 0);
}

TEST_F(Dispatcher, ThePreviewIsTheMotionListInJobUnitsShapeByShape)
{
    // Enough shapes that the copies are made in several runs.
    std::string hpgl = "IN;SP3;";
    for (int i = 0; i < 400; ++i) {
        const int x = 400 + (i % 40) * 400, y = 400 + (i / 40) * 400;
        hpgl += "PU" + std::to_string(x) + "," + std::to_string(y) + ";PD" + std::to_string(x + 200) + "," +
                std::to_string(y) + "," + std::to_string(x + 200) + "," + std::to_string(y + 150) + ";";
    }
    CPrintTask* many = AddJob("many.plt", hpgl);
    ASSERT_EQ(Dispatch(many, machine, 1, -1), 1);
    PlotShapeCutList* lists[2] = {nullptr, nullptr};
    ASSERT_EQ(machine->task.GetData(lists), 1);
    std::unique_ptr<PlotShapeCutList> jet(lists[0]), motion(lists[1]);
    ASSERT_NE(many->previewList, nullptr);

    const PrepareMachineValues m = ReadPrepareMachineValues(*machine);
    PlotShapeCutList expected;
    expected = *motion;
    expected.MirrorByX(static_cast<int32_t>(m.xRangeMm * 2.0 * 40.0 * m.xScale));
    expected.Scale(static_cast<float>(1.0 / (2.0 * m.xScale)), static_cast<float>(1.0 / (2.0 * m.yScale)));
    const PlotShapeCutList& preview = *many->previewList;
    ASSERT_GT(preview.Count(), 400);
    ASSERT_EQ(preview.Count(), expected.Count());
    EXPECT_EQ(preview.GetArea(), motion->GetArea()) << "the bounds are the motion list's, as a copy has them";
    for (PlotShape *a = preview.HeadShape(), *b = expected.HeadShape(); a && b;
         a = preview.ShapeAfter(a), b = expected.ShapeAfter(b)) {
        ASSERT_EQ(a->GetTolPtNum(), b->GetTolPtNum());
        ASSERT_EQ(a->GetMauIndex(), b->GetMauIndex());
        for (int32_t k = 0; k < a->GetTolPtNum(); ++k) ASSERT_EQ(a->Point(k), b->Point(k)) << "point " << k;
    }
    machine->task.ClearData();
}

TEST_F(Dispatcher, PagesCountOnAndWarmUpLinesGoToTheFirstPage)
{
    WarmUpLine = 5;
    AllPagesHaveWarmupLine = 0;
    ASSERT_EQ(Dispatch(job, machine, 1, -1), 1);
    EXPECT_EQ(job->pageCount, 3);
    EXPECT_EQ(machine->task.nextPageIndex, 1);
    EXPECT_EQ(GetWarmUpLines(), 5);
    struct Step {
        int page;
        int next;
    };
    for (const Step s : {Step{1, 2}, Step{2, 0}}) {
        FinishHandOver();
        ASSERT_EQ(Dispatch(job, machine, 0, s.page), 1) << s.page;
        EXPECT_EQ(job->pageIndex, s.page);
        EXPECT_EQ(machine->task.nextPageIndex, s.next);
        EXPECT_EQ(GetWarmUpLines(), -1);
        int32_t index = -1, a = 0, b = 0, c = 0, d = 0;
        ASSERT_EQ(ReadTaskStartInfo(Folder(), index, a, b, c, d), 1);
        EXPECT_EQ(index, s.page);
    }
    FinishHandOver();
    EXPECT_EQ(Dispatch(job, machine, 0, 3), 0) << "a page past the last";
}

TEST_F(Dispatcher, DamagedStateFilesMakeTheDispatchPaginateAfresh)
{
    ASSERT_EQ(Dispatch(job, machine, 1, -1), 1);
    FinishHandOver();
    const std::string folder = Folder().ToUtf8() + "/";
    const std::string goodInfo = corvane_test::ReadFile(folder + "PrintFileInfo.txt");
    // The intact state resumes at page 2.
    ASSERT_EQ(WriteTaskStartInfo(Folder(), 2, 0, 0, 0, 0), 1);
    ASSERT_EQ(Dispatch(job, machine, 0, -1), 1);
    EXPECT_EQ(job->pageIndex, 2);

    const auto utf16 = [](const std::u16string& text) {
        std::string bytes = "\xFF\xFE";
        for (char16_t u : text) bytes += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
        return bytes;
    };
    const std::string fullStart = utf16(u"pageIndex=2;\r\nCutCrvNums=0;\r\njetCrvNums=0;\r\nJetTolPt=0;\r\nJetPtALine=0;\r\n");
    struct Damage {
        const char* name;
        const char* file;
        std::string bytes;
    };
    const Damage damages[] = {
        {"cut short", "TaskStartInfo.txt", fullStart.substr(0, fullStart.size() / 2)},
        {"odd length", "TaskStartInfo.txt", fullStart + "x"},
        {"no keys", "TaskStartInfo.txt", utf16(u"nothing here\r\n")},
        {"largest page", "TaskStartInfo.txt",
         utf16(u"pageIndex=2147483647;\r\nCutCrvNums=0;\r\njetCrvNums=0;\r\nJetTolPt=0;\r\nJetPtALine=0;\r\n")},
        {"negative page count", "PrintFileInfo.txt",
         utf16(u"filename=" + job->path.str() + u";\r\npagenum=-1;\r\norigintype=0;\r\nx=0;\r\ny=0;\r\n")},
    };
    for (const Damage& d : damages) {
        FinishHandOver();
        ASSERT_EQ(WriteTaskStartInfo(Folder(), 2, 0, 0, 0, 0), 1);
        ASSERT_TRUE(corvane_test::WriteFile(folder + "PrintFileInfo.txt", goodInfo));
        ASSERT_TRUE(corvane_test::WriteFile(folder + d.file, d.bytes));
        job->pageIndex = 2;
        ASSERT_EQ(Dispatch(job, machine, 0, -1), 1) << d.name;
        EXPECT_EQ(job->pageIndex, 0) << d.name;
        EXPECT_EQ(machine->task.nextPageIndex, 1) << d.name;
        CString name;
        int32_t count = 0, o = 0, x = 0, y = 0;
        EXPECT_EQ(ReadPrintFileInfo(Folder(), name, count, o, x, y), 1) << d.name;
        EXPECT_EQ(count, 3) << d.name;
    }
}

TEST_F(Dispatcher, TheAutomaticPassTellsAMachineThatStartsByHandThatWorkWaits)
{
    machine->firmwareVersion = 4;
    machine->autoContinue = 0;
    ASSERT_EQ(machine->workWaiting, 4);
    doc.AutoDispatchJobs();
    Finish();
    EXPECT_EQ(machine->workWaiting, 3);
    EXPECT_EQ(machine->task.HasWaitingJob(), 0) << "no dispatch";

    machine->autoContinue = 1;
    doc.AutoDispatchJobs();
    Finish();
    EXPECT_EQ(machine->task.HasWaitingJob(), 1);
    EXPECT_EQ(job->machine, machine->ip);
    EXPECT_EQ(machine->workWaiting, 0);
}

TEST_F(Dispatcher, TheAutomaticPassTellsThatNoWorkWaitsAndWaitsForTheNextPage)
{
    job->checked = 0;
    doc.AutoDispatchJobs();
    Finish();
    EXPECT_EQ(machine->workWaiting, 0);
    EXPECT_EQ(machine->task.HasWaitingJob(), 0);

    // A paginated job waiting for its next page: told once, not dispatched again.
    job->checked = 1;
    ASSERT_EQ(Dispatch(job, machine, 1, -1), 1);
    FinishHandOver();
    doc.AutoDispatchJobs();
    Finish();
    EXPECT_EQ(machine->workWaiting, 3);
    EXPECT_EQ(machine->task.HasWaitingJob(), 0);
}

TEST_F(Dispatcher, TheStartKeyActsOnlyOnAListedJob)
{
    ASSERT_EQ(Dispatch(job, machine, 1, -1), 1);
    FinishHandOver();
    ASSERT_EQ(WriteCutState(Folder(), 1), 1);
    doc.OnMachineStartKey(machine);
    Finish();
    EXPECT_EQ(machine->task.HasWaitingJob(), 1);
    EXPECT_EQ(job->pageIndex, 1) << "the next page";
    FinishHandOver();

    // A reference that names no listed job starts nothing.
    ASSERT_EQ(machine->task.SetData(new PlotShapeCutList, job->jobRef + 1000, new PlotShapeCutList), 1);
    FinishHandOver();
    doc.OnMachineStartKey(machine);
    Finish();
    EXPECT_EQ(machine->task.HasWaitingJob(), 0);
    FB_REPT_StartNextFile = 1;
    doc.OnMachineStartKey(machine);
    Finish();
    EXPECT_EQ(machine->task.HasWaitingJob(), 1) << "the first checked job";
}

TEST_F(Dispatcher, StartCommandsAssignTheMachineAndSetTheRequest)
{
    job->machine = 0;
    machine->task.requestValue1 = 40000;  // the machine's width report: 20000 units at scale 1
    jobRows.SelectRow(0);
    doc.OnMachineJobRequest(machine, 0);
    Finish();
    EXPECT_EQ(machine->task.HasWaitingJob(), 1);
    EXPECT_EQ(machine->task.requestValue3, 1);
    EXPECT_EQ(job->machine, machine->ip);
    FinishHandOver();

    doc.CutJobPage(0, 1);
    Finish();
    EXPECT_EQ(machine->task.requestValue3, 0);
    EXPECT_EQ(job->pageIndex, 1);
    FinishHandOver();
    doc.RecutJob(0);
    Finish();
    EXPECT_EQ(job->pageIndex, 0);
    EXPECT_EQ(machine->task.nextPageIndex, 1);
    FinishHandOver();

    job->runState = CPrintTask::kRunning;
    doc.RecutJob(0);
    Finish();
    EXPECT_EQ(machine->task.HasWaitingJob(), 0) << "a running job is not cut again";
}

TEST_F(Dispatcher, AJobOfSeveralPagesWhosePagesCannotBeSavedIsRefusedWithAMessage)
{
    corvane_test::RecordingMessageSink messages;
    ASSERT_TRUE(CreateFolder(GetPagesFolder()));
    ASSERT_TRUE(corvane_test::WriteFile(Folder().ToUtf8(), "a file where the folder belongs"));
    EXPECT_EQ(Dispatch(job, machine, 1, -1), 0);
    EXPECT_EQ(machine->task.HasWaitingJob(), 0);
    EXPECT_EQ(messages.Shown().size(), 1u);

    // A pagination cut short by its second page leaves nothing that would resume the job.
    ASSERT_TRUE(std::filesystem::remove(Folder().ToUtf8()));
    ASSERT_TRUE(std::filesystem::create_directories(GetPageFilePath(Folder(), 1).ToUtf8()));
    EXPECT_EQ(Dispatch(job, machine, 1, -1), 0);
    EXPECT_EQ(job->dispatchRefusal, DispatchRefusal::kPagesNotSaved);
    EXPECT_EQ(messages.Shown().size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(GetPageFilePath(Folder(), 0).ToUtf8()));
    CString path;
    int32_t page = 0, count = 0;
    EXPECT_EQ(FindInterruptedJob(Folder(), path, page, count), 0);
}

}  // namespace
