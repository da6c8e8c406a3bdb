// The main frame's message handlers: remote clients' commands parsed within their length,
// the lists for a new client, and the machines' status, configuration, progress and page notices.
#include "main_frame_fixture.h"

#include "link_fixture.h"

#include "app/list_lines.h"
#include "app/config_globals.h"
#include "app/print_task.h"
#include "app/resume_state.h"
#include "app/string_table.h"
#include "machinelink/machine_messages.h"
#include "machinelink/machine_protocol.h"
#include "machinelink/net_machine.h"
#include "platform/file_system.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "support/fake_clock.h"
#include "support/preparation_wait.h"
#include "support/test_environment.h"
#include "uploadserver/tcp_client1.h"
#include "uploadserver/upload_messages.h"

#include <filesystem>
#include <string>

namespace corvane_test {
namespace {

TEST_F(MainFrame, ChangesCopiesOnlyForAWholeMessageWithinItsLength)
{
    for (int i = 0; i < 4; ++i) ListJob(std::to_string(i) + ".plt");
    CPrintTask* job = jobRows.GetRowJob(3);
    job->copies = 3;
    job->copiesDone = 2;
    const std::u16string_view ignored[] = {
        u"<FILE", u"<FILEc", u"<FILEc:", u"<FILEc:1", u"<FILEc:1,", u"<FILEc-5,3", u"<FILEc:3,-5",
        u"<FILEc:-,3", u"<FILEc:12345678901,3", u"<FILEc:2147483648,3", u"<FILEc:-5,12345678901",
    };
    for (std::u16string_view text : ignored) {
        File(text);
        EXPECT_EQ(job->copies, 3) << CString(std::u16string(text).c_str()).ToUtf8();
    }
    File(u"<FILEc:-5,3", 9);  // the row lies beyond the posted length
    EXPECT_EQ(job->copies, 3);
    File(u"<FILEc:-2147483648,3");
    EXPECT_EQ(job->copies, 2);
    job->copies = 3;
    File(u"<FILEc:-5,3");
    EXPECT_EQ(job->copies, 2);
    File(u"<FILEc:4,3");
    EXPECT_EQ(job->copies, 6);
}

TEST_F(MainFrame, DecodesTheJobLetters)
{
    NET_Machine* machine = AddMachine(41, true, kJobIdle);
    ListJob("0.plt"), ListJob("1.plt"), ListJob("2.plt");
    File(u"<FILEa:1");
    EXPECT_EQ(doc.directoryPrint, 1);
    File(u"<FILEa:x");
    EXPECT_EQ(doc.directoryPrint, 1);
    File(u"<FILEa:0");
    EXPECT_EQ(doc.directoryPrint, 0);

    File(u"<FILEl:1,2");
    EXPECT_EQ(jobRows.GetRowJob(2)->checked, 1);
    File(u"<FILEn:0,1");
    EXPECT_EQ(jobRows.GetRowJob(1)->machine, machine->ip);
    File(u"<FILEo:0,2");
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"2.plt", "0.plt", "1.plt"}));
    File(u"<FILEo:0;2");  // no second number
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"2.plt", "0.plt", "1.plt"}));
    File(u"<FILEr:0,1");
    std::vector<Frame> frames = TakeFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].payload, "f3;");
    File(u"<FILEd:0");
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"0.plt", "1.plt"}));
    File(u"<FILEd:9");
    EXPECT_EQ(jobRows.GetRowCount(), 2);
}

TEST_F(MainFrame, StartsAJobRowOnAMachineRowAndPassesMachineRequestsOn)
{
    NET_Machine* machine = AddMachine(49, true, kJobIdle);
    machine->jet.jetStepWidth = 1000.0f;  // the jobs are print work
    ListJob("0.plt"), ListJob("1.plt"), ListJob("2.plt");
    File(u"<FILEs0,2");  // no ":"
    EXPECT_EQ(jobRows.GetRowJob(2)->machine, 0u);
    EXPECT_TRUE(TakeFrames().empty());
    File(u"<FILEs:0,2");
    EXPECT_EQ(jobRows.GetRowJob(2)->machine, machine->ip);
    EXPECT_EQ(jobRows.GetRowJob(0)->machine, 0u);
    ASSERT_TRUE(FinishPreparations(doc));
    EXPECT_FALSE(TakeFrames().empty());

    // Requests of a machine that has left the table are dropped.
    NET_Machine stranger(LoopbackAddress(50), machine->stationId);
    stranger.online = 1;
    Deliver(WM_NET_MACHINE_REQUEST, reinterpret_cast<WPARAM>(&stranger), 1);
    Deliver(WM_NET_KEY_REQUEST, reinterpret_cast<WPARAM>(&stranger), 0);
    EXPECT_TRUE(TakeFrames().empty());
}

TEST_F(MainFrame, AFoundMachineGetsOneRowWithItsStateAndOnlyTheFirstIsChecked)
{
    struct Case {
        uint8_t octet;
        bool online;
        int32_t jobState;
        std::u16string state;
    };
    const Case cases[] = {
        {61, false, kJobPrinting, u"OFF"},
        {62, true, kJobPrinting, u"Run"},
        {63, true, kJobPaused, u"暂停"},
        {64, true, kJobIdle, u"ON"},
    };
    for (const Case& c : cases) {
        NET_Machine* machine = AddMachine(c.octet, c.online, c.jobState, false);
        Deliver(WM_NET_MACHINE_FOUND, machine->ip, 0);
        const int row = static_cast<int>(&c - cases);
        ASSERT_EQ(machineRows.GetRowCount(), row + 1) << c.octet;
        EXPECT_EQ(machineRows.GetRowMachine(row), machine);
        const ListRowTexts& texts = machineRows.texts[static_cast<size_t>(row)];
        EXPECT_EQ(texts[0].ToUtf8(), "127.0.0." + std::to_string(c.octet));
        EXPECT_EQ(texts[1].str(), c.state);
        EXPECT_EQ(texts[2], CString(u"00-00-00-00-00-00"));
        CString id;
        id.Format(u"%.2X0000000000000000000000", c.octet);
        EXPECT_EQ(texts[3], id);
        EXPECT_EQ(texts[4], machine->GetVersionText());
    }
    // The first machine became the current one; later ones leave check and selection alone.
    EXPECT_EQ(machineRows.rows[0].checked, 1);
    for (size_t row = 1; row < machineRows.rows.size(); ++row) EXPECT_EQ(machineRows.rows[row].checked, 0);
    EXPECT_EQ(machineRows.selected, 0);

    // An unknown key, and a machine announced again, add no row.
    Deliver(WM_NET_MACHINE_FOUND, LoopbackAddress(99), 0);
    Deliver(WM_NET_MACHINE_FOUND, LoopbackAddress(62), 0);
    EXPECT_EQ(machineRows.GetRowCount(), 4);
    EXPECT_EQ(doc.GetJobList().Count(), 0);
}

// A listed, loaded job handed to machine as its task data's job.
CPrintTask* GiveJob(NET_Machine* machine, CPrintTask* job)
{
    EXPECT_EQ(job->LoadPrintTaskFile(), 1);
    machine->task.SetData(new PlotShapeCutList, job->jobRef, nullptr);
    return job;
}

TEST_F(MainFrame, PageEndsCountPagesAndCopies)
{
    FakeClock clock;
    NET_Machine* machine = AddMachine(51, true, kJobIdle);
    machine->firmwareVersion = 12;
    machine->machineParams.xRange = 500;
    machine->machineParams.yRange = 500;
    machine->spRoles[2] = 3;
    const std::string path = WritePlot("three.plt", "IN;SP3;PU0,0;PD50000,0,50000,4000,0,4000,0,0;");
    auto* job = new CPrintTask(CString::FromUtf8(path).GetString());
    ASSERT_EQ(doc.AddJobToList(job, -1), 1);
    GiveJob(machine, job);
    ASSERT_TRUE(CreateFolder(GetMachineStateFolder(*machine)));  // as the pagination leaves it
    job->pageCount = 3;
    job->copies = 2;
    job->runState = CPrintTask::kRunning;
    for (int page = 0; page < 3; ++page) Deliver(WM_NET_MACHINE_STATE, reinterpret_cast<WPARAM>(machine), kMachinePageFinished);
    EXPECT_EQ(job->pageIndex, 3);
    EXPECT_EQ(job->copiesDone, 1);
    EXPECT_EQ(job->runState, CPrintTask::kIdle);
    EXPECT_EQ(job->progressPercent, 100.0);
    ASSERT_EQ(machineRows.texts.size(), 1u);
    EXPECT_EQ(machineRows.texts[0][1], CString(u"ON"));
    EXPECT_TRUE(TakeFrames().empty());  // no auto-continue: nothing dispatched

    // With auto-continue the next copy is dispatched at once (the link took the last page).
    PlotShapeCutList* taken[2] = {nullptr, nullptr};
    ASSERT_EQ(machine->task.GetData(taken), 1);
    delete taken[0];
    machine->task.ClearData();
    clock.Advance(2000);
    machine->autoContinue = 1;
    job->pageIndex = 2;
    job->copiesDone = 0;
    Deliver(WM_NET_MACHINE_STATE, reinterpret_cast<WPARAM>(machine), kMachinePageFinished);
    EXPECT_EQ(job->copiesDone, 1);
    ASSERT_TRUE(FinishPreparations(doc));
    bool started = false;
    for (const Frame& frame : TakeFrames()) started = started || frame.payload == "f2;";
    EXPECT_TRUE(started);
    EXPECT_TRUE(doc.IsJobListed(job));
    EXPECT_TRUE(sink.Shown().empty());

    // Without its cut state the next page of a job of several pages is not sent.
    std::filesystem::remove_all(GetMachineStateFolder(*machine).ToUtf8());
    ASSERT_EQ(machine->task.GetData(taken), 1);
    delete taken[0];
    delete taken[1];
    machine->task.ClearData();
    clock.Advance(2000);
    Deliver(WM_NET_MACHINE_STATE, reinterpret_cast<WPARAM>(machine), kMachinePageFinished);
    EXPECT_TRUE(TakeFrames().empty());
    ASSERT_EQ(sink.Shown().size(), 1u);
    EXPECT_EQ(sink.Shown()[0].text, LoadResString(StringId::kPagesNotSaved).str());
}

TEST_F(MainFrame, ACutJobLeavesTheListWhenDeleteAfterCutIsOn)
{
    frame.deleteAfterCut = 1;
    int powerOffs = 0;
    frame.nightModePowerOff = 1;
    frame.shutdownComputer = [&] { ++powerOffs; };
    doc.autoDirectory = CString::FromUtf8(ScratchDir() + "auto");
    NET_Machine* machine = AddMachine(52, true, kJobIdle);
    GiveJob(machine, ListJob("a.plt"));
    Deliver(WM_NET_MACHINE_STATE, reinterpret_cast<WPARAM>(machine), kMachinePageFinished);
    EXPECT_EQ(doc.GetJobList().Count(), 0);
    EXPECT_TRUE(std::filesystem::exists(ScratchDir() + "a.plt"));
    EXPECT_EQ(powerOffs, 1);

    machine->task.ClearData();
    GiveJob(machine, ListJob("auto/b.plt"));
    Deliver(WM_NET_MACHINE_STATE, reinterpret_cast<WPARAM>(machine), kMachinePageFinished);
    EXPECT_EQ(jobRows.GetRowCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(ScratchDir() + "auto/b.plt"));
}

TEST_F(MainFrame, StateChangesReachOnlyAListedJobOfAListedMachine)
{
    NET_Machine* machine = AddMachine(53, true, kJobPrinting);
    CPrintTask* job = GiveJob(machine, ListJob("a.plt"));
    Deliver(WM_NET_MACHINE_STATE, reinterpret_cast<WPARAM>(machine), kMachineStateChanged);
    EXPECT_EQ(job->runState, CPrintTask::kRunning);
    EXPECT_EQ(machineRows.texts[0][1], CString(u"Run"));
    machine->jobState = kJobPaused;
    Deliver(WM_NET_MACHINE_STATE, reinterpret_cast<WPARAM>(machine), kMachineStateChanged);
    EXPECT_EQ(job->runState, CPrintTask::kPaused);

    machine->jobState = kJobIdle;
    doc.directoryPrint = 1;
    Deliver(WM_NET_MACHINE_STATE, reinterpret_cast<WPARAM>(machine), kMachineJobCancelled);
    EXPECT_EQ(job->runState, CPrintTask::kIdle);
    EXPECT_EQ(doc.directoryPrint, 0);

    // The job the machine still names has gone; a machine not in the table is ignored.
    doc.RemoveJob(job);
    machine->jobState = kJobPrinting;
    Deliver(WM_NET_MACHINE_STATE, reinterpret_cast<WPARAM>(machine), kMachineStateChanged);
    NET_Machine stranger(LoopbackAddress(54), machine->stationId);
    Deliver(WM_NET_MACHINE_STATE, reinterpret_cast<WPARAM>(&stranger), kMachinePageFinished);
    machine->online = 0;
    Deliver(WM_NET_MACHINE_STATE, reinterpret_cast<WPARAM>(machine), kMachineStateChanged);
    EXPECT_EQ(machineRows.texts[0][1], CString(u"OFF"));
}

TEST_F(MainFrame, APageThatStartsShowsItsProgressFromZero)
{
    NET_Machine* machine = AddMachine(55, true, kJobPrinting);
    CPrintTask* job = GiveJob(machine, ListJob("a.plt"));
    job->progressPercent = 100.0;  // where the page before it ended
    Deliver(WM_NET_MACHINE_STATE, reinterpret_cast<WPARAM>(machine), kMachineStateChanged);
    EXPECT_EQ(job->runState, CPrintTask::kRunning);
    EXPECT_EQ(job->progressPercent, 0.0);
    EXPECT_EQ(jobRows.GetRowTexts(0)[JobColumn::kState], CString(u"打印:0.00%"));

    // A pause and the resume of the same page keep the progress the machine reported.
    job->progressPercent = 40.0;
    machine->jobState = kJobPaused;
    Deliver(WM_NET_MACHINE_STATE, reinterpret_cast<WPARAM>(machine), kMachineStateChanged);
    machine->jobState = kJobPrinting;
    Deliver(WM_NET_MACHINE_STATE, reinterpret_cast<WPARAM>(machine), kMachineStateChanged);
    EXPECT_EQ(job->progressPercent, 40.0);
}

TEST_F(MainFrame, MachineKeysGoToTheNamedRowsOnlineMachine)
{
    NET_Machine* selected = AddMachine(42, true, kJobIdle);
    NET_Machine* named = AddMachine(43, false, kJobIdle);
    machineRows.selected = 0;
    Mach(u"<MACHR,1");  // offline
    Mach(u"<MACHR,");
    Mach(u"<MACHR1");
    EXPECT_TRUE(TakeFrames().empty());

    named->online = 1;
    Mach(u"<MACHR,1");
    Mach(u"<MACHS,1");
    Mach(u"<MACHX,1");
    Mach(u"<MACHB,1");
    Mach(u"<MACHR,2");
    const std::vector<Frame> frames = TakeFrames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].key, named->ip);
    EXPECT_EQ(frames[0].code, 128);
    EXPECT_EQ(frames[0].payload, std::string(1, '\x02'));
    EXPECT_EQ(frames[1].payload, std::string(1, '\x06'));
    // The reset goes to the named row's machine, not to the operator's selection.
    EXPECT_EQ(frames[2].key, named->ip);
    EXPECT_EQ(frames[2].payload, "b9,0;");

    Mach(u"<MACHT,1");
    const std::vector<Frame> jet = TakeFrames();
    ASSERT_FALSE(jet.empty());
    EXPECT_EQ(jet.back().key, named->ip);
    EXPECT_EQ(jet.back().code, 128);
    EXPECT_EQ(jet.back().payload, std::string(1, '\x07'));
    (void)selected;
}

TEST_F(MainFrame, TipsPauseTheAutoPrintTimer)
{
    std::vector<std::string> timer;
    frame.pauseAutoPrint = [&] { timer.push_back("stop"); };
    frame.resumeAutoPrint = [&] { timer.push_back("start"); };
    NET_Machine* machine = AddMachine(44, true, kJobIdle);
    Deliver(WM_NET_MACHINE_STATUS, reinterpret_cast<WPARAM>(machine), 1);
    std::vector<Frame> frames = TakeFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].payload, "b10,0;");
    ASSERT_EQ(sink.Shown().size(), 1u);
    EXPECT_EQ(sink.Shown()[0].text, u"送纸器没有纸了！");
    EXPECT_EQ(sink.Shown()[0].caption, u"tip");
    EXPECT_EQ(timer, (std::vector<std::string>{"stop", "start"}));

    // A machine that is not in the table is not written to.
    NET_Machine stranger(LoopbackAddress(45), machine->stationId);
    Deliver(WM_NET_MACHINE_STATUS, reinterpret_cast<WPARAM>(&stranger), 1);
    EXPECT_TRUE(TakeFrames().empty());
    EXPECT_EQ(sink.Shown().size(), 2u);

    Deliver(WM_NET_CONFIG_INVALID, reinterpret_cast<WPARAM>(machine), 0);
    EXPECT_EQ(sink.Shown().back().text, u"配置数据读取不正确,请重启机器，或者重新载入配置！");

    CPrintTask* job = ListJob("a.plt");
    ASSERT_EQ(job->LoadPrintTaskFile(), 1);
    timer.clear();
    FB_bTipWhenHasNextPage = 0;
    Deliver(WM_NET_PAGE_FINISHED, reinterpret_cast<WPARAM>(machine), job->jobRef);
    EXPECT_EQ(sink.Shown().size(), 3u);
    EXPECT_TRUE(timer.empty());
    FB_bTipWhenHasNextPage = 1;
    Deliver(WM_NET_PAGE_FINISHED, reinterpret_cast<WPARAM>(machine), job->jobRef);
    Deliver(WM_NET_PAGE_FINISHED, reinterpret_cast<WPARAM>(machine), job->jobRef + 1);  // gone
    FB_bTipWhenHasNextPage = 0;
    ASSERT_EQ(sink.Shown().size(), 4u);
    EXPECT_EQ(sink.Shown().back().text, u"文件\"" + job->path.str() + u"\"没有切割完，按开始键继续下一页！");
    EXPECT_EQ(timer, (std::vector<std::string>{"stop", "start", "stop", "start"}));
}

TEST_F(MainFrame, JetProgressReachesAListedJobOnly)
{
    NET_Machine* machine = AddMachine(46, true, kJobPrinting);
    CPrintTask* job = ListJob("a.plt");
    ASSERT_EQ(job->LoadPrintTaskFile(), 1);
    machine->task.progress = 45.5;
    job->listsSwapped = 1;
    preview.shown = job;
    jobRows.formatted.clear();
    Deliver(WM_NET_JET_PROGRESS, job->jobRef, reinterpret_cast<LPARAM>(machine));
    EXPECT_EQ(job->progressPercent, 45.5);
    EXPECT_EQ(preview.progress, (std::vector<std::pair<double, double>>{{0.0, 45.5}}));
    EXPECT_EQ(jobRows.formatted, (std::vector<std::pair<int, int>>{{0, 3}}));

    machine->task.progress = 60.0;
    NET_Machine stranger(LoopbackAddress(47), machine->stationId);
    Deliver(WM_NET_JET_PROGRESS, job->jobRef, reinterpret_cast<LPARAM>(&stranger));
    Deliver(WM_NET_JET_PROGRESS, job->jobRef + 1, reinterpret_cast<LPARAM>(machine));
    EXPECT_EQ(job->progressPercent, 45.5);
    preview.shown = nullptr;
}

// The lines to the upload clients, through the real server on 127.0.0.1.
TEST_F(MainFrameClients, ANewClientGetsBothListsThenTheDirectoryPrintState)
{
    AddMachine(48, true, kJobIdle);
    machineRows.rows[0].checked = 1;
    CPrintTask* job = ListJob("a.plt");
    doc.directoryPrint = 1;
    Deliver(WM_TCP_CLIENT_ACCEPTED, reinterpret_cast<WPARAM>(client), 0);
    const std::u16string text = wire->TakeTextUpTo(u"<FILEa,1>");
    EXPECT_EQ(text.rfind(u"<FILEc><FILEi0,-1,0|" + job->path.str() + u"|127.0.0.48|", 0), 0u);
    EXPECT_NE(text.find(u"><MACHc><MACHi1,0|127.0.0.48|ON|"), std::u16string::npos);

    // Changes of the list follow as lines.
    doc.RemoteChangeCopies(2, 0);
    EXPECT_EQ(wire->TakeTextUpTo(u"|0/3>").rfind(u"<FILEu0,-1,0|", 0), 0u);
    ListJob("b.plt");
    SelectRows({0});
    doc.OnMoveJobDown();
    EXPECT_EQ(wire->TakeTextUpTo(u"|0/1>").rfind(u"<FILEs0,1,0|", 0), 0u);
    doc.RemoteDeleteJob(1);
    EXPECT_EQ(wire->TakeTextUpTo(u"a.plt>").rfind(u"<FILEd0,-1,1|", 0), 0u);
    doc.OnDirectoryPrint();
    EXPECT_EQ(wire->TakeTextUpTo(u"<FILEa,0>"), u"<FILEa,0>");
}

TEST_F(MainFrameClients, AFoundMachinesLineGoesOutBeforeItsInterruptedJobIsListed)
{
    const std::string path = WritePlot("resumed.plt");
    NET_Machine* machine = AddMachine(70, true, kJobIdle, false);
    const CString folder = GetMachineStateFolder(*machine);
    ASSERT_TRUE(CreateFolder(folder));
    ASSERT_EQ(WritePrintFileInfo(folder, CString::FromUtf8(path), 3, 0, 0, 0), 1);
    ASSERT_EQ(WriteTaskStartInfo(folder, 1, 0, 0, 0, 0), 1);
    Deliver(WM_NET_MACHINE_FOUND, machine->ip, 0);

    CPrintTask* job = doc.FindJobByPath(CString::FromUtf8(path));
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->pageIndex, 1);
    EXPECT_EQ(job->pageCount, 3);
    EXPECT_EQ(job->machine, machine->ip);
    const std::u16string machineLine =
        u"<MACHi1,0|127.0.0.70|ON|00-00-00-00-00-00|460000000000000000000000|" + machine->GetVersionText().str() + u">";
    const std::u16string jobLine = doc.BuildJobLine(kLineInserted, 0).str();
    ASSERT_FALSE(jobLine.empty());
    EXPECT_EQ(wire->TakeTextUpTo(jobLine), machineLine + jobLine);

    // A second machine is neither checked nor resumed from a folder it does not have.
    NET_Machine* second = AddMachine(71, false, kJobIdle, false);
    Deliver(WM_NET_MACHINE_FOUND, second->ip, 0);
    EXPECT_EQ(wire->TakeTextUpTo(u">"),
              u"<MACHi0,1|127.0.0.71|OFF|00-00-00-00-00-00|470000000000000000000000|" + second->GetVersionText().str() + u">");
    EXPECT_EQ(doc.GetJobList().Count(), 1);
}

TEST_F(MainFrameClients, SendsTheShapesOfANamedRowToTheClientThatAsked)
{
    CPrintTask* job = ListJob("a.plt");
    const std::u16string path = job->path.str();
    File(u"<FILEg:0,N:" + path + u"x", -1, client);  // another name
    File(u"<FILEg:0,N:" + path, -1, nullptr);       // no such client
    File(u"<FILEg:0;N:" + path, -1, client);
    wire->Poll();
    EXPECT_TRUE(wire->Received().empty());
    EXPECT_EQ(job->loaded, 0);

    std::u16string upper = path;
    for (char16_t& c : upper)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    File(u"<FILEg:0,N:" + upper, -1, client);
    EXPECT_EQ(job->loaded, 1);
    const std::u16string text = wire->TakeTextUpTo(u"<PEND>");
    EXPECT_EQ(text.rfind(u"<FILEu0,-1,0|" + path, 0), 0u);
    EXPECT_NE(text.find(u"<PHED,N:" + path + u">"), std::u16string::npos);
    EXPECT_EQ(job->GetCutList()->Count(), 1);  // a copy went
}

}  // namespace
}  // namespace corvane_test
