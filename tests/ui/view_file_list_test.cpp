// The job list view offscreen: its rows' texts, the operator's check rule, the lines clients
// receive, double clicks, the copies and page dialogs and the job menu.
#include "list_views_fixture.h"

#include "app/config_globals.h"
#include "app/msg_socket.h"
#include "app/preview_port.h"
#include "app/print_task.h"
#include "support/event_loop.h"
#include "support/loopback_tcp_client.h"
#include "support/recording_system_actions.h"
#include "support/test_environment.h"
#include "support/widget_application.h"
#include "ui/frame_panes.h"

#include <QHeaderView>
#include <QTest>

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane_test {
namespace {

std::vector<std::u16string> Texts(const ListRowTexts& texts)
{
    return std::vector<std::u16string>(texts.begin(), texts.end());
}

// The example job: 1200 x 800 mm, printing at 45.5 %, one of three copies, page 2 of 4.
void PrintingJob(CPrintTask& job)
{
    job.widthMm = 1200;
    job.heightMm = 800;
    job.runState = CPrintTask::kRunning;
    job.progressPercent = 45.5;
    job.copiesDone = 1;
    job.copies = 3;
    job.pageIndex = 2;
    job.pageCount = 4;
    job.machine = inet_addr("127.0.0.5");
}

// A preview that records what it was asked to show.
class RecordingPreview : public PreviewPort {
public:
    CPrintTask* GetShownJob() const override { return shown; }
    void ShowJob(CPrintTask* job) override { shown = job, ++showCalls; }
    void ClearShownJob() override { shown = nullptr; }
    void Invalidate() override { ++invalidated; }
    void FitJobToView() override {}
    void DrawCutProgress(double, double) override {}
    void ToggleRuler() override {}

    CPrintTask* shown = nullptr;
    int showCalls = 0;
    int invalidated = 0;
};

// A UDP socket on 127.0.0.1 at the pattern editor's port.
class EditorPort {
public:
    EditorPort()
    {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        at.sin_port = htons(kPatternEditorPort);
        bound_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0;
    }
    ~EditorPort() { ::close(fd_); }
    bool Bound() const { return bound_; }
    // The text of one datagram that arrives within waitMs, or nothing.
    std::optional<std::u16string> Receive(int waitMs)
    {
        pollfd wait{fd_, POLLIN, 0};
        if (::poll(&wait, 1, waitMs) <= 0) return std::nullopt;
        char bytes[4096];
        const ssize_t n = ::recv(fd_, bytes, sizeof bytes, 0);
        if (n < 0) return std::nullopt;
        std::u16string text(static_cast<size_t>(n) / 2, u'\0');
        std::memcpy(text.data(), bytes, text.size() * 2);
        return text;
    }

private:
    int fd_ = -1;
    bool bound_ = false;
};

using JobListView = ListViewsTest;

TEST_F(JobListView, IsAWholeRowReportListOfFiveColumns)
{
    EXPECT_FALSE(jobs_->rootIsDecorated());
    EXPECT_EQ(jobs_->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(jobs_->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_FALSE(jobs_->isSortingEnabled());
    EXPECT_FALSE(jobs_->header()->sectionsClickable());
    const std::vector<std::pair<QString, int>> columns = {
        {"文件", 215}, {"IP", 120}, {"幅面(mm)", 100}, {"状态", 100}, {"份数-分页", 100}};
    ASSERT_EQ(jobs_->Model().columnCount(), 5);
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(jobs_->Model().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), columns[c].first);
        EXPECT_EQ(jobs_->columnWidth(c), columns[c].second);
    }
}

TEST_F(JobListView, RowsShowTheJobsAndCellsChangeOnlyWhenWritten)
{
    CPrintTask* printing = ListJob("a.plt", PrintingJob);
    CPrintTask* fresh = ListJob("b.plt");
    EXPECT_EQ(Texts(jobs_->GetRowTexts(0)),
              (std::vector<std::u16string>{printing->path.str(), u"127.0.0.5", u"1200*800", u"打印:45.50%", u"1/3-{P2/4}"}));
    EXPECT_EQ(jobs_->GetRowTexts(1)[JobColumn::kCopies], u"0/1");
    EXPECT_EQ(jobs_->GetRowJob(1), fresh);
    EXPECT_EQ(jobs_->Model().data(jobs_->Model().index(0, 2), Qt::DisplayRole).toString(), QString("1200*800"));

    // One column refreshed leaves the others as they were.
    printing->copiesDone = 2;
    printing->progressPercent = 50.0;
    jobs_->FormatJobRow(0, JobColumn::kState);
    EXPECT_EQ(jobs_->GetRowTexts(0)[JobColumn::kState], u"打印:50.00%");
    EXPECT_EQ(jobs_->GetRowTexts(0)[JobColumn::kCopies], u"1/3-{P2/4}");
    jobs_->FormatJobRow(0, JobColumn::kCopies);
    EXPECT_EQ(jobs_->GetRowTexts(0)[JobColumn::kCopies], u"2/3-{P2/4}");

    // After the rows traded jobs, the row of the job without a machine shows no address.
    jobs_->SetRowJob(0, fresh);
    jobs_->SetRowJob(1, printing);
    jobs_->FormatJobRow(0, -1);
    jobs_->FormatJobRow(1, -1);
    EXPECT_EQ(jobs_->GetRowTexts(0)[JobColumn::kMachine], u"");
    EXPECT_EQ(jobs_->GetRowTexts(1)[JobColumn::kMachine], u"127.0.0.5");

    // Selection: the first selected row and its job.
    EXPECT_EQ(jobs_->GetSelectedIndex(), -1);
    EXPECT_EQ(jobs_->GetSelectedItemData(), nullptr);
    jobs_->SelectRow(1);
    EXPECT_EQ(jobs_->GetSelectedIndex(), 1);
    EXPECT_EQ(jobs_->GetSelectedItemData(), printing);
    jobs_->DeleteRow(0);
    EXPECT_EQ(jobs_->GetRowCount(), 1);
    EXPECT_EQ(jobs_->GetSelectedItemData(), printing);
    jobs_->FormatJobRow(5, -1);  // out of range: nothing
}

TEST_F(JobListView, TheOperatorsCheckSetsTheJobAndEchoesTheRow)
{
    ShowViews();
    ConnectClient();
    CPrintTask* job = ListJob("a.plt");
    const std::u16string path = job->path.str();

    // No machine is checked: the job is ticked without one.
    PressSpace(*jobs_, 0);
    EXPECT_EQ(job->checked, 1);
    EXPECT_EQ(jobs_->GetRowChecked(0), 1);
    EXPECT_EQ(wire_->TakeTextUpTo(u"|0/1>"), u"<FILEu1,0,0|" + path + u"||0*0|停止:0.00%|0/1>");
    ClickCheckBox(*jobs_, 0);
    EXPECT_EQ(job->checked, 0);
    EXPECT_EQ(wire_->TakeTextUpTo(u"|0/1>"), u"<FILEu0,0,0|" + path + u"||0*0|停止:0.00%|0/1>");

    // With a checked machine a newly ticked job gets it.
    AddMachine(5);
    machines_->SetRowChecked(0, 1);
    ClickCheckBox(*jobs_, 0);
    EXPECT_EQ(job->checked, 1);
    EXPECT_EQ(job->machine, inet_addr("127.0.0.5"));
    EXPECT_EQ(wire_->TakeTextUpTo(u"|0/1>"), u"<FILEu1,0,0|" + path + u"|127.0.0.5|0*0|停止:0.00%|0/1>");

    // The program writing the check box is no operator's change: no line; the next line the
    // client gets is the deleted row's, column 0 only.
    CPrintTask* other = ListJob("b.plt");
    other->checked = 1;
    jobs_->FormatJobRow(1, JobColumn::kFile);
    EXPECT_EQ(jobs_->GetRowChecked(1), 1);
    doc_.RemoteDeleteJob(0);
    EXPECT_EQ(wire_->TakeTextUpTo(u">"), u"<FILEd1,-1,0|" + path + u">");
}

TEST_F(JobListView, ADoubleClickLoadsTheJobAndShowsIt)
{
    RecordingPreview preview;
    doc_.SetPreview(&preview);
    ShowViews();
    ConnectClient();
    CPrintTask* job = ListJob("a.plt");
    ASSERT_FALSE(job->IsTaskLoaded());
    QTest::mouseDClick(jobs_->viewport(), Qt::LeftButton, Qt::NoModifier, RowCentre(*jobs_, 0));
    EXPECT_TRUE(job->IsTaskLoaded());
    EXPECT_EQ(preview.shown, job);
    EXPECT_GE(preview.invalidated, 1);
    EXPECT_EQ(jobs_->GetRowTexts(0)[JobColumn::kSize], u"10*10");
    EXPECT_EQ(wire_->TakeTextUpTo(u"|0/1>").rfind(u"<FILEu0,-1,0|", 0), 0u);

    // A file that cannot be loaded is told once, its row unchecked, and shows as an empty
    // preview of its own rather than the job before it.
    CPrintTask* broken = ListJob("b.plt");
    ASSERT_EQ(::unlink((ScratchDir() + "b.plt").c_str()), 0);
    const size_t told = sink_.Shown().size();
    QTest::mouseDClick(jobs_->viewport(), Qt::LeftButton, Qt::NoModifier, RowCentre(*jobs_, 1));
    EXPECT_FALSE(broken->IsTaskLoaded());
    EXPECT_EQ(sink_.Shown().size(), told + 1);
    EXPECT_EQ(jobs_->GetRowChecked(1), 0);
    EXPECT_EQ(preview.shown, broken);
    doc_.SetPreview(nullptr);
}

TEST_F(JobListView, ARightDoubleClickAsksForTheCopies)
{
    ShowViews();
    ConnectClient();
    CPrintTask* job = ListJob("a.plt", [](CPrintTask& j) { j.copies = 4; });
    dialogs_.copiesAnswers = {7, std::nullopt};
    QTest::mouseDClick(jobs_->viewport(), Qt::RightButton, Qt::NoModifier, RowCentre(*jobs_, 0));
    EXPECT_EQ(dialogs_.copiesAsked, std::vector<int32_t>{4});
    EXPECT_EQ(job->copies, 7);
    EXPECT_EQ(wire_->TakeTextUpTo(u"|0/7>").rfind(u"<FILEu0,-1,0|", 0), 0u);
    // Cancelled: nothing changes.
    QTest::mouseDClick(jobs_->viewport(), Qt::RightButton, Qt::NoModifier, RowCentre(*jobs_, 0));
    EXPECT_EQ(job->copies, 7);
}

TEST_F(JobListView, AJobThatLeavesTheListWhileADialogOrMenuIsOpenIsLeftAlone)
{
    ShowViews();
    ListJob("a.plt");
    ListJob("b.plt");
    // A client deletes row 0 while the copies dialog is open.
    dialogs_.whileOpen = [&] { doc_.RemoteDeleteJob(0); };
    dialogs_.copiesAnswers = {9};
    QTest::mouseDClick(jobs_->viewport(), Qt::RightButton, Qt::NoModifier, RowCentre(*jobs_, 0));
    ASSERT_EQ(jobs_->GetRowCount(), 1);
    EXPECT_EQ(jobs_->GetRowJob(0)->copies, 1);

    // The job goes between the menu and its command: neither dialog opens.
    dialogs_.whileOpen = nullptr;
    for (UINT command : {JobMenuId::kCopies, JobMenuId::kCutPage}) {
        ListJob("c.plt");
        menu_.ScriptAnswer(command);
        QTest::mouseClick(jobs_->viewport(), Qt::RightButton, Qt::NoModifier, RowCentre(*jobs_, 0));
        doc_.RemoteDeleteJob(0);
        jobs_->DeliverPosted();
    }
    EXPECT_EQ(dialogs_.copiesAsked.size(), 1u);
    EXPECT_TRUE(dialogs_.pagesAsked.empty());
}

TEST_F(JobListView, TheMenuOffersTheJobCommands)
{
    ShowViews();
    ConnectClient();
    CPrintTask* job = ListJob("a.plt");
    menu_.SetCursor(CPoint(40, 50));
    menu_.ScriptAnswer(JobMenuId::kCopies);
    dialogs_.copiesAnswers = {3};
    RightClickRow(*jobs_, *jobs_, 0);
    ASSERT_EQ(menu_.Shown().size(), 1u);
    EXPECT_EQ(menu_.Shown()[0].at, CPoint(40, 50));
    std::vector<std::u16string> items;
    for (const ShownMenuItem& item : menu_.Shown()[0].items) items.push_back(item.text);
    EXPECT_EQ(items, (std::vector<std::u16string>{u"重新切割", u"选页切割", u"输出份数", u"编辑"}));
    EXPECT_EQ(job->copies, 3);
    EXPECT_EQ(wire_->TakeTextUpTo(u"|0/3>").rfind(u"<FILEu0,-1,0|", 0), 0u);

    // The page dialog starts at page 0; cancelled, nothing is cut.
    menu_.ScriptAnswer(JobMenuId::kCutPage);
    RightClickRow(*jobs_, *jobs_, 0);
    EXPECT_EQ(dialogs_.pagesAsked, std::vector<int32_t>{0});
    // Nothing is chosen: nothing happens.
    RightClickRow(*jobs_, *jobs_, 0);
    EXPECT_EQ(menu_.Shown().size(), 3u);
    EXPECT_EQ(dialogs_.copiesAsked.size(), 1u);
}

TEST_F(JobListView, EditSendsTheJobToThePatternEditorStartingItWhenItDoesNotRun)
{
    EditorPort editor;
    ASSERT_TRUE(editor.Bound());
    CMsgSocket socket([](const CString&) {}, [] {});
    ASSERT_TRUE(socket.CreateMessageSocket());
    SetMsgSocket(&socket);
    RecordingSystemActions actions;
    EditSoftPath = u"/opt/editor/editor";
    jobs_->SetEditorStartWaitMs(50);
    ShowViews();
    CPrintTask* job = ListJob("a.plt");
    const std::u16string datagram = u"{OpenFile=" + job->path.str() + u"}";

    // The editor runs: the path goes at once.
    actions.mutexExists = 1;
    menu_.ScriptAnswer(JobMenuId::kEdit);
    RightClickRow(*jobs_, *jobs_, 0);
    EXPECT_EQ(editor.Receive(2000), datagram);

    // It does not run: it is started, and the path follows after the wait, even when the
    // job has left the list meanwhile.
    actions.mutexExists = 0;
    menu_.ScriptAnswer(JobMenuId::kEdit);
    RightClickRow(*jobs_, *jobs_, 0);
    EXPECT_EQ(actions.Calls().back(), u"StartProgram /opt/editor/editor");
    EXPECT_EQ(editor.Receive(0), std::nullopt);
    doc_.RemoveJob(job);
    RunEventLoopUntil([] { return false; }, 200);
    EXPECT_EQ(editor.Receive(2000), datagram);

    // It cannot be started: nothing is sent.
    ListJob("b.plt");
    actions.answer = 0;
    menu_.ScriptAnswer(JobMenuId::kEdit);
    RightClickRow(*jobs_, *jobs_, 0);
    RunEventLoopUntil([] { return false; }, 200);
    EXPECT_EQ(editor.Receive(0), std::nullopt);
    SetMsgSocket(nullptr);
    EditSoftPath = CString();
}

TEST(FramePanes, TheListPanesAreTheViewsTheDocumentWorksOn)
{
    EnsureWidgetApplication();
    CUDPServer server;
    CDocCorvane doc(server);
    QWidget parent;
    QWidget* machines = CreateFramePane(FramePane::MachineList, &parent, doc);
    QWidget* jobs = CreateFramePane(FramePane::JobList, &parent, doc);
    EXPECT_EQ(machines->objectName(), QString("MachineListPane"));
    EXPECT_EQ(jobs->objectName(), QString("JobListPane"));
    EXPECT_EQ(dynamic_cast<MachineListRows*>(machines), doc.GetMachineRows());
    EXPECT_EQ(dynamic_cast<JobListRows*>(jobs), doc.GetJobRows());
    ASSERT_NE(doc.GetJobRows(), nullptr);
    delete jobs;
    EXPECT_EQ(doc.GetJobRows(), nullptr);
    EXPECT_NE(doc.GetMachineRows(), nullptr);
    delete machines;
    EXPECT_EQ(doc.GetMachineRows(), nullptr);
}

}  // namespace
}  // namespace corvane_test
