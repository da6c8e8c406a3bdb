// The fixture of the list view tests.
#include "list_views_fixture.h"

#include "app/print_task.h"
#include "machinelink/net_machine.h"
#include "support/event_loop.h"
#include "support/test_environment.h"
#include "support/widget_application.h"
#include "ui_fixture.h"
#include "uploadserver/tcp_client1.h"
#include "uploadserver/tcp_server1.h"
#include "uploadserver/upload_messages.h"

#include <QKeyEvent>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>

namespace corvane_test {

std::optional<int32_t> ScriptedViewDialogs::Next(std::deque<std::optional<int32_t>>& answers)
{
    if (whileOpen) whileOpen();
    if (answers.empty()) return std::nullopt;
    std::optional<int32_t> answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<int32_t> ScriptedViewDialogs::AskCopies(int32_t copies)
{
    copiesAsked.push_back(copies);
    return Next(copiesAnswers);
}

std::optional<int32_t> ScriptedViewDialogs::AskPage(int32_t page)
{
    pagesAsked.push_back(page);
    return Next(pageAnswers);
}

bool ScriptedViewDialogs::AskPassword(const CString& expected)
{
    passwordsExpected.push_back(expected);
    if (whileOpen) whileOpen();
    return typedPassword == expected;
}

ListViewsTest::ListViewsTest()
{
    EnsureWidgetApplication();
    EnsureEventLoop();
    EXPECT_TRUE(server_.Opened());
    jobs_ = std::make_unique<CViewFileList>(doc_, nullptr);
    machines_ = std::make_unique<CViewMachList>(doc_, nullptr);
    doc_.SetListRows(jobs_.get(), machines_.get());
}

ListViewsTest::~ListViewsTest()
{
    if (wire_) {
        wire_->Close();
        EXPECT_TRUE(RunEventLoopUntil([&] { return CTCPClient1::FindClient(client_) < 0; }));
        CTCPServer1::GetGlobalServer()->Close();
    }
}

CPrintTask* ListViewsTest::ListJob(const std::string& name, const std::function<void(CPrintTask&)>& setup,
                                   const std::string& hpgl)
{
    const std::string path = ScratchDir() + name;
    EXPECT_TRUE(WriteFile(path, hpgl));
    auto* job = new CPrintTask(CString::FromUtf8(path).GetString());
    if (setup) setup(*job);
    EXPECT_EQ(doc_.AddJobToList(job, -1), 1);
    return job;
}

NET_Machine* ListViewsTest::AddMachine(uint8_t octet, uint8_t firmware)
{
    const uint8_t mac[6] = {2, 0, 0, 0, 0, octet};
    const uint8_t id[12] = {'L', 'I', 'S', 'T', '-', 'V', 'I', 'E', 'W', 'S', '-', octet};
    auto* machine = new NET_Machine(LoopbackKey(octet), mac, id);
    machine->firmwareVersion = firmware;
    machine->online = 1;
    EXPECT_EQ(server_.AddMachineSorted(machine), 1);
    const int row = machines_->AppendMachineRow(u"", machine);
    CSingleLock hold(&server_.GetLock(), TRUE);
    machines_->SetRowTexts(row, MachineColumnTexts(*machine));
    return machine;
}

void ListViewsTest::ShowViews()
{
    for (CListViewBase* view : {static_cast<CListViewBase*>(jobs_.get()), static_cast<CListViewBase*>(machines_.get())}) {
        view->resize(700, 300);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view));
    }
}

QPoint ListViewsTest::RowCentre(CListViewBase& view, int row)
{
    return view.visualRect(view.Model().index(row, 1)).center();
}

void ListViewsTest::ClickCheckBox(CListViewBase& view, int row)
{
    // Where the view's delegate puts the check box of the row's first cell.
    QStyleOptionViewItem option;
    option.initFrom(view.viewport());
    option.rect = view.visualRect(view.Model().index(row, 0));
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    const QRect box = view.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &view);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, box.center());
}

void ListViewsTest::PressSpace(CListViewBase& view, int row)
{
    view.setCurrentIndex(view.Model().index(row, 2));
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QCoreApplication::sendEvent(&view, &press);
}

void ListViewsTest::RightClickRow(CListViewBase& view, CWnd& target, int row)
{
    QTest::mouseClick(view.viewport(), Qt::RightButton, Qt::NoModifier, RowCentre(view, row));
    target.DeliverPosted();
}

void ListViewsTest::ConnectClient()
{
    CTCPServer1* server = CTCPServer1::GetGlobalServer();
    ASSERT_EQ(server->Create1(0, u"127.0.0.1"), 1);
    CString address;
    UINT port = 0;
    ASSERT_TRUE(server->GetSockName(address, port));
    wire_ = std::make_unique<LoopbackTcpClient>(static_cast<uint16_t>(port));
    ASSERT_TRUE(wire_->IsConnected());
    // The server tells the main window about its new client; nobody else listens here.
    ASSERT_TRUE(RunEventLoopUntil([&] {
        for (const PostedMessage& m : GetMainMessageTarget()->TakePosted())
            if (m.message == WM_TCP_CLIENT_ACCEPTED) client_ = reinterpret_cast<CTCPClient1*>(m.wParam);
        return client_ != nullptr;
    }));
}

}  // namespace corvane_test
