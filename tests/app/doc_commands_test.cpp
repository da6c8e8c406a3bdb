// The job list commands: rows, copies, deletion, export, and the operator's and remote
// clients' machine commands with the frames they post.
#include "doc_fixture.h"

#include "app/document_dialogs.h"
#include "app/print_task.h"
#include "machinelink/machine_messages.h"
#include "machinelink/machine_protocol.h"
#include "machinelink/net_machine.h"
#include "platform/file_dialog.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "support/test_environment.h"

#include <filesystem>
#include <limits>

namespace corvane_test {
namespace {

using DocCommands = DocFixture;

TEST(DocFilter, AcceptsThePlotFileExtensions)
{
    const struct {
        const char16_t* name;
        int accepted;
    } cases[] = {
        {u"a.P12", 1},  {u"a.p07", 1},   {u"a.HPGL", 1}, {u"a.dxf", 1},  {u"/x.y/a.plt", 1}, {u"a.p*", 1},
        {u"a.P1", 0},   {u"a.P1x", 0},   {u"a.PLT1", 0}, {u"a.pxx", 0},  {u"b.plt-", 0},     {u"plt", 0},
        {u"a.P123", 0}, {u"a.txt", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(CDocCorvane::IsAcceptedJobFile(c.name), c.accepted) << CString(c.name).ToUtf8();
}

TEST_F(DocCommands, AutoDirectoryComparesExactly)
{
    doc.autoDirectory = u"/data/auto/";
    EXPECT_EQ(doc.IsInAutoDirectory(u"/data/auto/x.plt"), 1);
    EXPECT_EQ(doc.IsInAutoDirectory(u"/data/Auto/x.plt"), 0);
    EXPECT_EQ(doc.IsInAutoDirectory(u"/data/auto/sub/x.plt"), 0);
    EXPECT_EQ(doc.IsInAutoDirectory(u"x.plt"), 0);
    EXPECT_EQ(doc.IsInAutoDirectory(u"/x.plt"), 0);
}

TEST_F(DocCommands, MovesRowsDownUpToTheBottomAndToTheTop)
{
    ListJob("1.plt"), ListJob("2.plt"), ListJob("3.plt");
    SelectRows({0});
    doc.OnMoveJobToBottom();
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"3.plt", "2.plt", "1.plt"}));
    EXPECT_EQ(jobRows.GetSelectedIndex(), 2);
    doc.OnMoveJobToBottom();  // the last row stays
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"3.plt", "2.plt", "1.plt"}));

    doc.OnMoveJobUp();
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"3.plt", "1.plt", "2.plt"}));
    EXPECT_EQ(jobRows.GetSelectedIndex(), 1);
    doc.OnMoveJobDown();
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"3.plt", "2.plt", "1.plt"}));
    EXPECT_EQ(jobRows.GetSelectedIndex(), 2);
    doc.OnMoveJobDown();  // nothing below the last row
    EXPECT_EQ(jobRows.GetSelectedIndex(), 2);

    // To the top is a move: the rows above shift down.
    doc.OnMoveJobToTop();
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"1.plt", "3.plt", "2.plt"}));
    EXPECT_EQ(jobRows.GetSelectedIndex(), 0);
    EXPECT_EQ(jobRows.rows[0].texts[JobColumn::kFile], jobRows.rows[0].job->path);

    // A client's move: row 2 to index 0; the document's own order stays.
    doc.RemoteMoveJob(0, 2);
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"2.plt", "1.plt", "3.plt"}));
    doc.RemoteMoveJob(0, 3);
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"2.plt", "1.plt", "3.plt"}));
}

TEST_F(DocCommands, TopOfTheLastOfThreeGivesThreeOneTwo)
{
    ListJob("1.plt"), ListJob("2.plt"), ListJob("3.plt");
    SelectRows({2});
    doc.OnMoveJobToTop();
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"3.plt", "1.plt", "2.plt"}));
}

TEST_F(DocCommands, CopiesNeverFallBelowTheCopiesDone)
{
    CPrintTask* job = ListJob("a.plt");
    job->copies = 3;
    job->copiesDone = 2;
    doc.RemoteChangeCopies(-5, 0);
    EXPECT_EQ(job->copies, 2);
    EXPECT_EQ(jobRows.formatted.back(), std::make_pair(0, 4));

    SelectRows({0});
    doc.OnDecreaseCopies();
    EXPECT_EQ(job->copies, 2);
    doc.OnIncreaseCopies();
    EXPECT_EQ(job->copies, 3);
    doc.OnDecreaseCopies();
    EXPECT_EQ(job->copies, 2);

    // A client's value is unbounded: the sum saturates.
    doc.RemoteChangeCopies(std::numeric_limits<int32_t>::max(), 0);
    EXPECT_EQ(job->copies, std::numeric_limits<int32_t>::max());
    doc.RemoteChangeCopies(5, 7);  // no such row
    EXPECT_EQ(job->copies, std::numeric_limits<int32_t>::max());
}

TEST_F(DocCommands, DeletesTheSelectedRowsButARunningJob)
{
    doc.autoDirectory = CString::FromUtf8(ScratchDir() + "auto");
    CPrintTask* inAuto = ListJob("auto/a.plt");
    CPrintTask* running = ListJob("b.plt");
    CPrintTask* outside = ListJob("c.plt");
    CPrintTask* kept = ListJob("d.plt");
    running->runState = CPrintTask::kRunning;
    preview.shown = outside;
    SelectRows({0, 1, 2});

    sink.ScriptAnswer(IDNO);
    doc.OnDeleteJobs();
    EXPECT_EQ(doc.GetJobList().Count(), 4);

    sink.ScriptAnswer(IDYES);
    doc.OnDeleteJobs();
    ASSERT_EQ(sink.Shown().size(), 2u);
    EXPECT_EQ(sink.Shown()[1].text, u"是否删除文件？");
    EXPECT_EQ(sink.Shown()[1].type, MB_YESNO);
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"b.plt", "d.plt"}));
    EXPECT_EQ(doc.GetJobList().Count(), 2);
    EXPECT_TRUE(doc.IsJobListed(running));
    EXPECT_TRUE(doc.IsJobListed(kept));
    EXPECT_EQ(preview.shown, nullptr);
    EXPECT_GT(preview.repaints, 0);
    // Only the file of the auto directory goes with its job.
    EXPECT_FALSE(std::filesystem::exists(ScratchDir() + "auto/a.plt"));
    EXPECT_TRUE(std::filesystem::exists(ScratchDir() + "c.plt"));
    (void)inAuto;
}

TEST_F(DocCommands, RemovesTheSelectedJobOrTheOneGiven)
{
    CPrintTask* first = ListJob("a.plt");
    ListJob("b.plt");
    doc.RemoveJob(nullptr);  // no selection
    EXPECT_EQ(doc.GetJobList().Count(), 2);
    preview.shown = first;
    doc.RemoveJob(first);
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"b.plt"}));
    EXPECT_EQ(preview.shown, nullptr);
    SelectRows({0});
    doc.RemoveJob(nullptr);
    EXPECT_EQ(jobRows.GetRowCount(), 0);
    EXPECT_EQ(doc.GetJobList().Count(), 0);
}

TEST_F(DocCommands, AssignsSelectedJobsUntilOneHasTheMachine)
{
    NET_Machine* machine = AddMachine(21, true, kJobIdle);
    CPrintTask* a = ListJob("a.plt");
    CPrintTask* b = ListJob("b.plt");
    CPrintTask* c = ListJob("c.plt");
    b->machine = machine->ip;
    SelectRows({0, 1, 2});
    doc.OnAssignJobsToMachine();  // no machine selected or checked
    EXPECT_EQ(a->machine, 0u);
    machineRows.selected = 0;
    doc.OnAssignJobsToMachine();
    EXPECT_EQ(a->machine, machine->ip);
    EXPECT_EQ(c->machine, 0u);
    EXPECT_EQ(jobRows.formatted.back(), std::make_pair(0, 1));

    machineRows.rows[0].checked = 1;
    machineRows.selected = -1;
    doc.RemoteAssignJob(0, 2);
    EXPECT_EQ(c->machine, machine->ip);
}

TEST_F(DocCommands, PauseGoesToThePrintingMachineOfTheSelectionOrOfTheJob)
{
    NET_Machine* idle = AddMachine(21, true, kJobIdle);
    NET_Machine* printing = AddMachine(22, true, kJobPrinting);
    CPrintTask* job = ListJob("a.plt");
    SelectRows({0});
    machineRows.selected = 0;
    doc.OnPauseJob();  // the selected machine idles and the job has none
    EXPECT_TRUE(TakeFrames().empty());
    job->machine = printing->ip;
    doc.OnPauseJob();
    std::vector<Frame> frames = TakeFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].key, printing->ip);
    EXPECT_EQ(frames[0].code, 0);
    EXPECT_EQ(frames[0].payload, "g0;");

    doc.RemotePauseJob(1, 0);
    frames = TakeFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].key, printing->ip);
    printing->online = 0;
    doc.RemotePauseJob(1, 0);
    EXPECT_TRUE(TakeFrames().empty());
    (void)idle;
}

TEST_F(DocCommands, CancelStopsTheMachineAndPostsTheCancel)
{
    NET_Machine* machine = AddMachine(23, true, kJobPrinting);
    CPrintTask* job = ListJob("a.plt");
    SelectRows({0});
    doc.OnCancelJob();  // no machine selected, the job does not run
    EXPECT_TRUE(TakeFrames().empty());
    job->runState = CPrintTask::kRunning;
    job->machine = machine->ip;
    doc.OnCancelJob();
    const std::vector<Frame> frames = TakeFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].payload, "b10,0;");
    EXPECT_EQ(frames[1].payload, "g1;");
    EXPECT_EQ(machine->jobState, kJobIdle);
    const std::vector<PostedMessage> posted = window.Drain();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].message, WM_NET_MACHINE_STATE);
    EXPECT_EQ(posted[0].wParam, reinterpret_cast<WPARAM>(machine));
    EXPECT_EQ(posted[0].lParam, kMachineJobCancelled);

    // A client's stop: "b10,0;" only for a paused machine.
    machineRows.selected = -1;
    machine->jobState = kJobPaused;
    doc.RemoteStopJob(0, 0);
    EXPECT_EQ(TakeFrames().size(), 2u);
    doc.RemoteStopJob(0, 0);
    EXPECT_EQ(TakeFrames().size(), 1u);
    machine->online = 0;
    doc.RemoteStopJob(0, 0);
    EXPECT_TRUE(TakeFrames().empty());
    window.Drain();
}

TEST_F(DocCommands, MachineCommandsGoToTheSelectedMachine)
{
    NET_Machine* machine = AddMachine(24, true, kJobIdle);
    doc.OnResetMachine();
    doc.OnZeroMachine();
    EXPECT_TRUE(TakeFrames().empty());
    EXPECT_FALSE(doc.HasSelectedMachine());
    machineRows.selected = 0;
    EXPECT_TRUE(doc.HasSelectedMachine());
    doc.OnResetMachine();
    doc.OnZeroMachine();
    std::vector<Frame> frames = TakeFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].payload, "b9,0;");
    EXPECT_EQ(frames[1].code, 128);
    EXPECT_EQ(frames[1].payload, std::string(1, '\x01'));

    // The machine preview: an idle job on an idle online machine.
    CPrintTask* job = ListJob("a.plt");
    SelectRows({0});
    doc.OnMachinePreview();
    frames = TakeFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].payload, "f3;");
    job->runState = CPrintTask::kRunning;
    doc.OnMachinePreview();
    doc.RemoteMachinePreview(0, 0);
    EXPECT_TRUE(TakeFrames().empty());
    job->runState = CPrintTask::kIdle;
    SelectRows({});
    doc.RemoteMachinePreview(0, 0);
    EXPECT_EQ(TakeFrames().size(), 1u);
    EXPECT_EQ(jobRows.GetSelectedIndex(), 0);
    EXPECT_EQ(machine->jobState, kJobIdle);
}

TEST_F(DocCommands, ExportsTheShownJobWithItsPens)
{
    const std::string path = WritePlot("a.plt", "IN;SP1;PU0,0;PD400,0;PU800,0;PD800,400;");
    CPrintTask job(CString::FromUtf8(path).GetString());
    ASSERT_EQ(job.LoadPrintTaskFile(), 1);
    preview.shown = &job;
    doc.OnExportPlt();  // "overwrite the source?" No, and the save picker is cancelled
    EXPECT_EQ(ReadFile(path), "IN;SP1;PU0,0;PD400,0;PU800,0;PD800,400;");

    sink.ScriptAnswer(IDYES);
    doc.OnExportPlt();
    const std::string written = ReadFile(path);
    EXPECT_EQ(written.rfind("HX;IN;SP1", 0), 0u) << written;
    EXPECT_EQ(written.find("SP", 7), std::string::npos) << written;

    // No, and a name chosen without an extension: written there with ".plt".
    struct SaveTo : FileDialogs {
        bool SaveFile(const CString&, const CString&, const CString&, CString& path) override
        {
            path = CString::FromUtf8(ScratchDir() + "copy");
            return true;
        }
    } saveTo;
    SetFileDialogs(&saveTo);
    job.hxFile = 0;
    doc.OnExportPlt();
    SetFileDialogs(nullptr);
    EXPECT_EQ(ReadFile(ScratchDir() + "copy.plt"), written);

    // A merged job has no file to write over.
    job.path = CString(u"Merge:") + CString::FromUtf8(path);
    job.hxFile = 1;
    doc.OnExportPlt();
    EXPECT_EQ(sink.Shown().back().text, u"文件打开错误!");
    EXPECT_FALSE(std::filesystem::exists("Merge:" + path));
    preview.shown = nullptr;
}

class FakeDialogs : public DocumentDialogs {
public:
    void RunGlobalSettings(CDocCorvane&) override { ++globalRuns; }
    bool RunPenModeSettings(PenModeSettings& settings) override
    {
        settings.penRole[5] = newRole;
        return accept;
    }
    void RunMachineSetup(CDocCorvane&, NET_Machine& machine) override { setupFor = &machine; }

    int globalRuns = 0;
    bool accept = false;
    uint8_t newRole = 4;
    NET_Machine* setupFor = nullptr;
};

TEST_F(DocCommands, DialogsActAsCancelledUntilGivenAndPenSettingsComeBackOnAccept)
{
    const PenModeSettings defaults = doc.penToolSettings;
    EXPECT_EQ(defaults.penRole[2], 3);
    EXPECT_EQ(defaults.penRole[3], 2);
    EXPECT_EQ(defaults.penRole[4], 1);
    EXPECT_EQ(defaults.contourRole, 3);
    EXPECT_EQ(defaults.penColor[5], RGB(233, 77, 0));
    EXPECT_EQ(defaults.roleColor[5], RGB(0, 255, 255));
    doc.OnPenToolSettings();
    doc.OnGlobalSettings();

    FakeDialogs dialogs;
    doc.SetDialogs(&dialogs);
    doc.OnPenToolSettings();  // not accepted
    EXPECT_EQ(doc.penToolSettings.penRole[5], 0);
    dialogs.accept = true;
    CPrintTask shown;
    preview.shown = &shown;
    doc.OnPenToolSettings();
    EXPECT_EQ(doc.penToolSettings.penRole[5], 4);
    EXPECT_EQ(preview.repaints, 1);
    doc.OnPenToolSettings();  // the same values: nothing repainted
    EXPECT_EQ(preview.repaints, 1);
    preview.shown = nullptr;

    doc.OnGlobalSettings();
    EXPECT_EQ(dialogs.globalRuns, 1);
    doc.OnMachineSetup();
    EXPECT_EQ(dialogs.setupFor, nullptr);
    NET_Machine* machine = AddMachine(25, false, kJobIdle);
    machineRows.selected = 0;
    doc.OnMachineSetup();
    EXPECT_EQ(dialogs.setupFor, machine);
}

TEST_F(DocCommands, PendingJobsKeepTheNightPowerOffBack)
{
    NET_Machine* machine = AddMachine(26, true, kJobIdle);
    CPrintTask* job = ListJob("a.plt");
    EXPECT_EQ(doc.NoJobPending(), 1);  // not ticked
    job->checked = 1;
    EXPECT_EQ(doc.NoJobPending(), 1);  // no machine holds work
    job->runState = CPrintTask::kRunning;
    EXPECT_EQ(doc.NoJobPending(), 0);
    job->runState = CPrintTask::kIdle;
    machineRows.rows[0].checked = 1;  // the current machine serves a job without one
    machine->task.SetData(new PlotShapeCutList, job->jobRef, nullptr);
    EXPECT_EQ(doc.NoJobPending(), 0);
    job->copiesDone = job->copies;
    EXPECT_EQ(doc.NoJobPending(), 1);
}

TEST_F(DocCommands, ClearsTheWorkWaitingOfIdleOnlineMachines)
{
    NET_Machine* waiting = AddMachine(27, true, kJobIdle);
    NET_Machine* offline = AddMachine(28, false, kJobIdle);
    waiting->workWaiting = 1;
    offline->workWaiting = 1;
    doc.ClearWorkWaiting();
    EXPECT_EQ(waiting->workWaiting, 0);
    EXPECT_EQ(offline->workWaiting, 1);
    const std::vector<Frame> frames = TakeFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].key, waiting->ip);
    EXPECT_EQ(frames[0].code, 19);
    EXPECT_EQ(frames[0].payload, std::string(1, '\0'));
}

TEST_F(DocCommands, RemoteCheckAndDeleteWorkOnTheirRowOnly)
{
    CPrintTask* job = ListJob("a.plt");
    doc.RemoteSetJobCheck(1, 0);
    EXPECT_EQ(job->checked, 1);
    EXPECT_EQ(jobRows.formatted.back(), std::make_pair(0, 0));
    doc.RemoteSetJobCheck(0, -1);
    doc.RemoteDeleteJob(1);
    job->runState = CPrintTask::kPaused;
    doc.RemoteDeleteJob(0);
    EXPECT_EQ(doc.GetJobList().Count(), 1);
    job->runState = CPrintTask::kIdle;
    doc.RemoteDeleteJob(0);
    EXPECT_EQ(doc.GetJobList().Count(), 0);
    EXPECT_TRUE(std::filesystem::exists(ScratchDir() + "a.plt"));
}

}  // namespace
}  // namespace corvane_test
