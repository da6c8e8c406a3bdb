// CMainFrame offscreen: titles, the splitter layout, the close question, minimising, the
// fonts it loads, its start-up timer and the messages it frees.
#include "ui/main_frame.h"

#include "app/doc_corvane.h"
#include "app/string_table.h"
#include "app/udp_server.h"
#include "fonts/plot_font_lib.h"
#include "support/event_loop.h"
#include "support/recording_message_sink.h"
#include "support/shx_font_writer.h"
#include "support/test_environment.h"
#include "support/widget_application.h"
#include "ui_fixture.h"
#include "uploadserver/tcp_server1.h"
#include "uploadserver/upload_messages.h"

#include <QApplication>
#include <QRegularExpression>
#include <QStatusBar>
#include <QSplitter>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

#include <memory>

namespace corvane_test {
namespace {

// Discovery of these tests' link managers goes here.
constexpr uint8_t kDiscoveryOctet = 71;

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureWidgetApplication();
        server_.SetDiscoveryAddresses(LoopbackKey(kDiscoveryOctet), LoopbackKey(kDiscoveryOctet));
    }
    void TearDown() override { server_.StopMachineLinkThread(); }

    std::unique_ptr<CMainFrame> MakeFrame(int32_t language = 1)
    {
        auto frame = std::make_unique<CMainFrame>(server_, doc_, language);
        EXPECT_TRUE(frame->Create());
        return frame;
    }

    // Resizes the shown frame and waits until its client area has the width.
    static void ResizeClient(CMainFrame& frame, int width, int height = 700)
    {
        frame.resize(width, height);
        EXPECT_TRUE(RunEventLoopUntil(
            [&] { return frame.centralWidget()->width() == width && frame.height() == height; }, 2000));
    }

    CUDPServer server_;
    CDocCorvane doc_{server_};
    RecordingMessageSink sink_;
};

TEST_F(MainFrameTest, TheTitleNamesTheProgramInItsLanguage)
{
    EXPECT_EQ(MakeFrame(1)->windowTitle().toStdU16String(), u"Velqor平板喷墨切割机-服务器 20211014-1");
    for (int32_t language : {2, 5}) {
        SetStringLanguage(language);
        EXPECT_EQ(MakeFrame(language)->windowTitle().toStdU16String(),
                  u"Velqor lan supper inkjet flat-bed cutter-server 20211014-1");
    }
    SetStringLanguage(kLanguageChinese);
}

TEST_F(MainFrameTest, TheUpperRowIs200HighAndWideWindowsSetTheFirstTwoColumns)
{
    auto frame = MakeFrame();
    frame->show();
    ResizeClient(*frame, 1000);
    EXPECT_EQ(frame->GetOuterSplitter()->sizes().value(0), kUpperRowHeight);
    EXPECT_EQ(frame->GetInnerSplitter()->sizes().value(0), 150);
    EXPECT_EQ(frame->GetInnerSplitter()->sizes().value(1), 683);
    EXPECT_EQ(frame->statusBar()->findChildren<QWidget*>(QRegularExpression("^StatusPane")).size(), 5);
    EXPECT_EQ(frame->menuWidget(), nullptr);

    // The operator moved the columns; a resize that leaves the client 480 wide keeps them,
    // one to 481 sets them again.
    ResizeClient(*frame, 480);
    frame->GetInnerSplitter()->setSizes({100, 200, 180 - 2 * frame->GetInnerSplitter()->handleWidth()});
    ResizeClient(*frame, 480, 600);
    EXPECT_EQ(frame->GetInnerSplitter()->sizes().value(0), 100);
    ResizeClient(*frame, 481, 600);
    EXPECT_EQ(frame->GetInnerSplitter()->sizes().value(0), 150);
    EXPECT_EQ(frame->GetInnerSplitter()->sizes().value(1), 164);
}

TEST_F(MainFrameTest, CloseAsksAndOnlyYesClosesTheWindowAndTheUploadServer)
{
    auto frame = MakeFrame();
    frame->show();
    ASSERT_EQ(CTCPServer1::GetGlobalServer()->Create1(10003, u"127.0.0.1"), 1);

    sink_.ScriptAnswer(IDNO);
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_FALSE(frame->IsQuitRequested());
    EXPECT_NE(CTCPServer1::GetGlobalServer()->m_hSocket, INVALID_SOCKET);
    ASSERT_EQ(sink_.Shown().size(), 1u);
    EXPECT_EQ(sink_.Shown()[0].text, u"是否关闭程序?");
    EXPECT_EQ(sink_.Shown()[0].caption, u"Corvane");
    EXPECT_EQ(sink_.Shown()[0].type, MB_YESNO | MB_DEFBUTTON2);

    sink_.ScriptAnswer(IDYES);
    frame->OnExit();
    EXPECT_FALSE(frame->isVisible());
    EXPECT_TRUE(frame->IsQuitRequested());
    EXPECT_EQ(CTCPServer1::GetGlobalServer()->m_hSocket, INVALID_SOCKET);
    EXPECT_EQ(sink_.Shown().size(), 2u);
}

TEST_F(MainFrameTest, MinimisingWithoutATrayIconKeepsTheWindowReachable)
{
    auto frame = MakeFrame();
    ASSERT_FALSE(frame->GetTrayIcon()->isVisible());  // offscreen has no tray
    EXPECT_EQ(frame->GetTrayIcon()->toolTip().toStdU16String(), u"Velqor网络喷墨切割机");
    frame->show();
    frame->setWindowState(Qt::WindowMinimized);
    RunEventLoopUntil([] { return false; }, 100);
    EXPECT_TRUE(frame->isVisible());
}

TEST_F(MainFrameTest, CreatingTheFrameLoadsTheShapesFontOfTheProgramDirectory)
{
    ShxFontDef font;
    font.glyphs.push_back({'A', ShxCode({2, 0x14, 1, 0x40}), ""});
    ASSERT_TRUE(WriteShxFont(ProgramDir() + "txt.shx", font));
    auto frame = MakeFrame();
    EXPECT_GT(PlotFontLibArray::GetGlobalFontLib()->GetShapesLib().GetCount(), 0);
}

TEST_F(MainFrameTest, TheStartTimerStartsTheLinkUnlessAnotherControllerWasHeard)
{
    auto frame = MakeFrame();
    ASSERT_NE(frame->GetBroadcastListener().m_hSocket, INVALID_SOCKET);
    frame->OnTimer(kLinkStartTimerId);
    EXPECT_EQ(frame->GetBroadcastListener().m_hSocket, INVALID_SOCKET);
    EXPECT_TRUE(RunEventLoopUntil([&] { return server_.GetBoundPort() != 0; }));
    server_.StopMachineLinkThread();
}

TEST_F(MainFrameTest, AControllerHeardWhileItsBoxIsOpenStartsNoLink)
{
    auto frame = MakeFrame();
    // The timer fires while the operator still reads the box: the program is giving way.
    sink_.ScriptAnswer(IDOK);
    std::vector<uint8_t> discovery(14, 0);
    discovery[0] = 'P', discovery[1] = 'Q', discovery[2] = 'C', discovery[3] = '2';
    ASSERT_TRUE(SendLoopbackDatagram(discovery, 41200));
    ASSERT_TRUE(RunEventLoopUntil([&] { return frame->IsQuitRequested(); }));
    frame->OnTimer(kLinkStartTimerId);
    RunEventLoopUntil([] { return false; }, 100);
    EXPECT_FALSE(server_.IsLinkThreadRunning());
    EXPECT_EQ(server_.GetBoundPort(), 0);
}

TEST_F(MainFrameTest, TheUploadServersMessagesAreFreed)
{
    auto frame = MakeFrame();
    for (UINT message : {WM_TCP_FILE_COMMAND, WM_TCP_MACHINE_COMMAND})
        ASSERT_TRUE(PostMainMessage(message, reinterpret_cast<WPARAM>(new char16_t[8]{u'<'}), 8));
    EXPECT_EQ(frame->DeliverPosted(), 2);  // a copy left unfreed fails the leak check
}

}  // namespace
}  // namespace corvane_test
