// Refused starts: every reason told in the status bar, the job's state column and the clients'
// line, with nothing sent to the machine; a cancelled start leaves no resume state behind.
#include "main_frame_fixture.h"
#include "spread_strokes.h"

#include "app/dispatch_refusal.h"
#include "app/list_lines.h"
#include "app/print_task.h"
#include "app/resume_state.h"
#include "app/string_table.h"
#include "machinelink/machine_protocol.h"
#include "machinelink/net_machine.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "support/event_loop.h"
#include "support/loopback_link.h"
#include "support/preparation_wait.h"
#include "support/test_environment.h"

#include <filesystem>
#include <string>

namespace corvane_test {
namespace {

// A document with one machine row (selected) and an upload client on the real server.
class Refusals : public MainFrameClients {
protected:
    void SetUp() override
    {
        MainFrameClients::SetUp();
        doc.showStatusText = [this](const CString& text) { status = text; };
        machine = AddMachine(60, true, kJobIdle);
        machineRows.rows[0].checked = 1;
        machineRows.SelectRow(0);
    }
    // The job of a plot file of hpgl, listed and selected.
    CPrintTask* SelectedJob(const std::string& name, const std::string& hpgl)
    {
        auto* job = new CPrintTask(CString::FromUtf8(WritePlot(name, hpgl)).GetString());
        job->checked = 1;
        EXPECT_EQ(doc.AddJobToList(job, -1), 1);
        SelectRows({0});
        return job;
    }
    // What the client received, once it holds wanted (or the wait ran out).
    std::u16string ReceivedWith(const std::u16string& wanted)
    {
        std::u16string text;
        RunEventLoopUntil([&] {
            wire->Poll();
            const std::string bytes = wire->TakeReceived();
            for (size_t i = 0; i + 1 < bytes.size(); i += 2)
                text += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | static_cast<uint8_t>(bytes[i + 1]) << 8);
            return text.find(wanted) != std::u16string::npos;
        });
        return text;
    }
    static CString Told(const char* file, DispatchRefusal reason)
    {
        CString text;
        text.Format(LoadResString(StringId::kJobNotStarted).GetString(), CString(file),
                    LoadResString(DispatchRefusalStringId(reason)));
        return text;
    }

    NET_Machine* machine = nullptr;
    CString status;
};

// A knife square (pen 3) and a printed line (pen 1 is print work on a new machine record).
const std::string kKnifeJob = "IN;SP3;PU400,400;PD4400,400,4400,4400,400,4400,400,400;";
const std::string kPrintJob = "IN;SP1;PU400,400;PD4400,400,4400,2400;";

TEST_F(Refusals, AStartThatCannotBeDispatchedSaysWhyAndSendsNothing)
{
    struct Case {
        const char* name;
        const std::string* hpgl;  // null: an empty file
        void (*setUp)(NET_Machine&, TestMachineRows&);
        DispatchRefusal reason;
    };
    const auto knifeMachine = [](NET_Machine& m, TestMachineRows&) { m.spRoles[2] = 3; };
    const Case cases[] = {
        {"a failed load", nullptr, knifeMachine, DispatchRefusal::kNotLoaded},
        {"no machine", &kKnifeJob, [](NET_Machine&, TestMachineRows& rows) { rows.rows.clear(); },
         DispatchRefusal::kNoMachine},
        {"machine offline", &kKnifeJob, [](NET_Machine& m, TestMachineRows&) { m.online = 0; },
         DispatchRefusal::kMachineOffline},
        {"machine busy", &kKnifeJob, [](NET_Machine& m, TestMachineRows&) { m.jobState = kJobPrinting; },
         DispatchRefusal::kMachineBusy},
        {"no usable width", &kKnifeJob,
         [](NET_Machine& m, TestMachineRows&) {
             m.spRoles[2] = 3;
             m.machineParams.xRange = 0;
         },
         DispatchRefusal::kNoUsableWidth},
        // The record's default jet step (-1000) would print a blank sheet reported as done.
        {"jet step not set", &kPrintJob, [](NET_Machine&, TestMachineRows&) {}, DispatchRefusal::kJetStepNotSet},
    };
    for (const bool remote : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (remote ? " (remote)" : " (operator)"));
            doc.RemoveJob(jobRows.GetRowJob(0));
            const auto rows = machineRows.rows;
            c.setUp(*machine, machineRows);
            CPrintTask* job = SelectedJob("bad.plt", c.hpgl ? *c.hpgl : std::string());
            status = CString();
            if (remote)
                File(u"<FILEs:0,0");  // the start of machine row 0 and job row 0
            else
                doc.StartCurrentMachine();
            ASSERT_TRUE(FinishPreparations(doc));

            EXPECT_EQ(status, Told("bad.plt", c.reason));
            EXPECT_EQ(job->dispatchRefusal, c.reason);
            const CString reasonText = LoadResString(DispatchRefusalStringId(c.reason));
            EXPECT_NE(jobRows.GetRowTexts(0)[JobColumn::kState].Find(reasonText.GetString()), -1);
            EXPECT_NE(ReceivedWith(reasonText.str() + u"|").find(u"<FILEu"), std::u16string::npos);
            EXPECT_TRUE(TakeFrames().empty());
            EXPECT_EQ(machine->task.HasWaitingJob(), 0);
            CString path;
            int32_t page = 0, count = 0;
            EXPECT_EQ(FindInterruptedJob(GetMachineStateFolder(*machine), path, page, count), 0);

            machineRows.rows = rows;
            machine->online = 1;
            machine->jobState = kJobIdle;
            machine->machineParams.xRange = NET_Machine().machineParams.xRange;
            machine->spRoles[2] = 0;
        }
    }
}

TEST_F(Refusals, WithItsJetStepSetThePrintJobGoesOutOnTheSheet)
{
    machine->jet.jetStepWidth = 1000.0f;
    machine->motionSource.interpolator.offsetsBlock.toolOffsets[4] = 0.0f;  // no X stretch
    CPrintTask* job = SelectedJob("print.plt", kPrintJob);
    job->dispatchRefusal = DispatchRefusal::kJetStepNotSet;  // refused before
    doc.StartCurrentMachine();
    ASSERT_TRUE(FinishPreparations(doc));
    EXPECT_EQ(job->dispatchRefusal, DispatchRefusal::kNone);
    EXPECT_EQ(status, CString());
    bool started = false;
    for (const Frame& f : TakeFrames()) started = started || f.payload == "f2;";
    EXPECT_TRUE(started);
    PlotShapeCutList* lists[2] = {nullptr, nullptr};
    ASSERT_EQ(machine->task.GetData(lists), 1);
    ASSERT_NE(lists[0], nullptr);
    // The drawing lies on the sheet: scaled by spread x 2 / step, moved right by 10 rows.
    const CArea box = lists[0]->CalArea(1);
    const int32_t spread = machine->GetJetPt();
    const double scale = spread * 2.0 / 1000.0;
    const double width = job->GetCutList()->CalArea(1).xmax - job->GetCutList()->CalArea(1).xmin;
    EXPECT_GE(box.xmin, 10);
    EXPECT_NEAR(box.xmax - box.xmin, width * scale, 1.0);
    delete lists[0];
    delete lists[1];
    machine->task.ClearData();
}

TEST_F(Refusals, AStopWhilePreparingCancelsAndLeavesNoResumeStateAndSendsNothing)
{
    machine->spRoles[2] = 3;
    machine->machineParams.xRange = 500;  // two pages of the sheet
    const CString folder = GetMachineStateFolder(*machine);
    for (const bool remote : {false, true}) {
        SCOPED_TRACE(remote ? "a client's stop" : "the operator's stop");
        doc.RemoveJob(jobRows.GetRowJob(0));
        CPrintTask* job = SelectedJob("sheet.plt", SpreadStrokes(400, 3));
        doc.StartCurrentMachine();
        ASSERT_TRUE(doc.IsMachineBeingPrepared(machine->ip));
        // A second start on the machine while it is prepared is refused and told.
        doc.StartCurrentMachine();
        EXPECT_EQ(status, Told("sheet.plt", DispatchRefusal::kBeingPrepared));

        // The pagination has written its files once the shapes are being prepared.
        CString stage;
        stage.Format(LoadResString(StringId::kPreparationProgress).GetString(), CString("sheet.plt"),
                     LoadResString(StringId::kStageGeometry), 0);
        stage = stage.Left(stage.GetLength() - 2);
        ASSERT_TRUE(WaitUntil(
            [&] {
                doc.ShowPreparationProgress(machine->ip);
                return status.Find(stage.GetString()) == 0;
            },
            60000));
        EXPECT_TRUE(std::filesystem::exists(GetPageFilePath(folder, 0).ToUtf8()));
        if (remote) {
            File(u"<FILEt:0,0");  // the stop of machine row 0
        } else {
            doc.OnCancelJob();
        }
        ASSERT_TRUE(FinishPreparations(doc));

        EXPECT_EQ(job->dispatchRefusal, DispatchRefusal::kCancelled);
        EXPECT_EQ(status, Told("sheet.plt", DispatchRefusal::kCancelled));
        EXPECT_EQ(job->pageCount, 0);
        EXPECT_TRUE(TakeFrames().empty());
        EXPECT_EQ(machine->task.HasWaitingJob(), 0);
        for (const char16_t* name : {kPrintFileInfoName, kTaskStartInfoName, kCutStateNames[0], kCutStateNames[1]})
            EXPECT_FALSE(std::filesystem::exists((folder + u"/" + name).ToUtf8()));
        EXPECT_FALSE(std::filesystem::exists(GetPageFilePath(folder, 0).ToUtf8()));
        CString path;
        int32_t page = 0, count = 0;
        EXPECT_EQ(FindInterruptedJob(folder, path, page, count), 0);
    }
}

}  // namespace
}  // namespace corvane_test
