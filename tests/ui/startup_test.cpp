// CAppCorvane's start-up: discovery on loopback first, "Pages", the upload server, the
// message socket, the single instance, a refused socket, and the application commands.
#include "ui/app_corvane.h"

#include "app/doc_corvane.h"
#include "app/msg_socket.h"
#include "app/print_task.h"
#include "app/udp_server.h"
#include "platform/file_system.h"
#include "platform/settings_store.h"
#include "support/event_loop.h"
#include "support/loopback_tcp_client.h"
#include "support/modal_driver.h"
#include "support/recording_message_sink.h"
#include "support/recording_system_actions.h"
#include "support/scripted_file_dialogs.h"
#include "support/test_environment.h"
#include "support/utf16_bytes.h"
#include "support/widget_application.h"
#include "ui/main_frame.h"
#include "ui_fixture.h"
#include "uploadserver/tcp_server1.h"

#include <QDialog>
#include <QFileInfo>
#include <QLockFile>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <dlfcn.h>
#include <sys/socket.h>

namespace {

// While set, every datagram socket the program asks for is refused, as when the system has
// none left.
std::atomic<bool> gRefuseDatagramSockets{false};

}  // namespace

extern "C" int socket(int domain, int type, int protocol)
{
    static const auto next = reinterpret_cast<int (*)(int, int, int)>(dlsym(RTLD_NEXT, "socket"));
    if (gRefuseDatagramSockets.load() && (type & 0xF) == SOCK_DGRAM) {
        errno = EMFILE;
        return -1;
    }
    return next(domain, type, protocol);
}

namespace corvane_test {
namespace {

constexpr uint8_t kDiscoveryOctet = 72;

std::u16string Text(const std::string& utf8) { return CString::FromUtf8(utf8).str(); }

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureWidgetApplication();
        // Discovery stays on loopback: the start-up reads it from the settings store.
        ASSERT_TRUE(StoreLoopbackDiscovery(kDiscoveryOctet));
    }

    std::vector<std::u16string> Texts() const
    {
        std::vector<std::u16string> texts;
        for (const ShownMessage& m : sink_.Shown()) texts.push_back(m.text);
        return texts;
    }

    RecordingMessageSink sink_;
    RecordingSystemActions actions_;
    CUDPServer server_;
};

TEST_F(StartupTest, StartsWithLoopbackDiscoveryPagesUploadServerAndMessageSocket)
{
    CAppCorvane app(server_);
    EXPECT_EQ(GetCorvaneApp(), &app);
    ASSERT_TRUE(app.InitInstance({}));
    EXPECT_EQ(server_.GetDiscoveryAddress(), LoopbackKey(kDiscoveryOctet));
    EXPECT_EQ(server_.GetServerDiscoveryAddress(), LoopbackKey(kDiscoveryOctet));
    EXPECT_TRUE(FolderExists(CString::FromUtf8(ProgramDir() + "Pages")));
    EXPECT_EQ(ReadFile(ProgramDir() + "Config.ini"), "language=1;\r\n");

    ASSERT_NE(app.GetMessageSocket(), nullptr);
    EXPECT_EQ(GetMsgSocket(), app.GetMessageSocket());
    CString address;
    UINT port = 0;
    ASSERT_TRUE(app.GetMessageSocket()->GetSockName(address, port));
    EXPECT_NE(port, 0u);

    CMainFrame* frame = app.GetMainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    // The program directory holds no fonts: the operator is told once.
    ASSERT_EQ(Texts().size(), 1u);
    EXPECT_NE(Texts()[0].find(u"fshz.fnt"), std::u16string::npos);

    // "UpdateFile" from a companion program lists the file.
    const std::string job = ScratchDir() + "a.plt";
    ASSERT_TRUE(WriteFile(job, "IN;PU0,0;PD400,0;"));
    ASSERT_TRUE(SendLoopbackDatagram(Utf16Bytes(u"{UpdateFile=" + Text(job) + u"}"), static_cast<uint16_t>(port)));
    EXPECT_TRUE(RunEventLoopUntil([&] { return app.GetDocument()->FindJobByPath(CString::FromUtf8(job)) != nullptr; }));

    // The upload server listens (the connection is not accepted before the end: no event
    // loop runs again).
    EXPECT_TRUE(LoopbackTcpClient(10003).IsConnected());

    app.ExitInstance();
    EXPECT_EQ(GetMsgSocket(), nullptr);
}

TEST_F(StartupTest, AFileArgumentIsListedAndLoaded)
{
    const std::string job = ScratchDir() + "arg.plt";
    ASSERT_TRUE(WriteFile(job, "IN;PU0,0;PD400,200;"));
    CAppCorvane app(server_);
    ASSERT_TRUE(app.InitInstance({u"-nograb", CString::FromUtf8(job)}));
    CPrintTask* listed = app.GetDocument()->FindJobByPath(CString::FromUtf8(job));
    ASSERT_NE(listed, nullptr);
    EXPECT_TRUE(listed->IsTaskLoaded());
}

TEST_F(StartupTest, ASecondInstanceEndsBeforeAnyWindow)
{
    const QString lockPath =
        QFileInfo(QString::fromStdString(SettingsStorePath())).absolutePath() + QStringLiteral("/Corvane.lock");
    QLockFile running(lockPath);
    ASSERT_TRUE(running.tryLock(0));
    CAppCorvane app(server_);
    EXPECT_FALSE(app.InitInstance({}));
    EXPECT_EQ(Texts(), std::vector<std::u16string>{u"程序已经运行！"});
    EXPECT_EQ(app.GetMainFrame(), nullptr);
    EXPECT_EQ(CTCPServer1::GetGlobalServer()->m_hSocket, INVALID_SOCKET);
}

TEST_F(StartupTest, WithoutADatagramSocketTheStartUpTellsAndGoesOn)
{
    CAppCorvane app(server_);
    gRefuseDatagramSockets = true;
    const BOOL started = app.InitInstance({});
    gRefuseDatagramSockets = false;
    ASSERT_TRUE(started);
    EXPECT_EQ(app.GetMessageSocket(), nullptr);
    ASSERT_FALSE(sink_.Shown().empty());
    EXPECT_EQ(sink_.Shown().back().text, u"创建通讯端口失败！");
    EXPECT_EQ(sink_.Shown().back().caption, u"");
    EXPECT_TRUE(LoopbackTcpClient(10003).IsConnected());
}

TEST_F(StartupTest, CommandsOpenChosenFilesHelpAndPowerOffThroughTheirInterfaces)
{
    CAppCorvane app(server_);
    ASSERT_TRUE(app.InitInstance({}));
    const std::string job = ScratchDir() + "chosen.plt";
    ASSERT_TRUE(WriteFile(job, "IN;PU0,0;PD400,0;"));
    ScriptedFileDialogs dialogs;
    dialogs.ScriptChoice({});  // cancelled
    dialogs.ScriptChoice({CString::FromUtf8(job)});
    app.OnFileOpen();
    EXPECT_EQ(app.GetDocument()->GetJobList().Count(), 0);
    app.OnFileOpen();
    EXPECT_NE(app.GetDocument()->FindJobByPath(CString::FromUtf8(job)), nullptr);
    EXPECT_EQ(dialogs.titles.back(), CString(u"Open"));

    ASSERT_TRUE(WriteFile(ProgramDir() + "help.pdf", "%PDF"));
    app.OnHelp();
    EXPECT_EQ(app.ShutdownComputer(), 1);
    EXPECT_EQ(actions_.Calls(), (std::vector<std::u16string>{u"OpenDocument " + Text(ProgramDir()) + u"help.pdf",
                                                              u"PowerOff"}));
    app.OnLanguageEnglish();
    EXPECT_EQ(GetProfileInt(u"lang", u"lang1", 0), 2);
}

// The document's dialogs open over the frame: the program settings for 32827, the pen modes
// for 32835.
TEST_F(StartupTest, TheDocumentsSettingsCommandsOpenTheirDialogs)
{
    CAppCorvane app(server_);
    ASSERT_TRUE(app.InitInstance({}));
    CDocCorvane* doc = app.GetDocument();
    ASSERT_NE(doc, nullptr);

    std::vector<std::string> opened;
    const auto cancel = [&](QWidget& dialog) {
        opened.push_back(dialog.metaObject()->className());
        EXPECT_EQ(dialog.parentWidget(), app.GetMainFrame());
        static_cast<QDialog&>(dialog).reject();
    };
    WhenModal(cancel);
    doc->OnGlobalSettings();
    WhenModal(cancel);
    doc->OnPenToolSettings();
    EXPECT_EQ(opened, (std::vector<std::string>{"CDlgDirSet", "CDlgPenMode"}));
    app.ExitInstance();
}

}  // namespace
}  // namespace corvane_test
