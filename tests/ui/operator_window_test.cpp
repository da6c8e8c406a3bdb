// The operator's window as a user meets it: Open by key and button, the application menu of
// the tool bar's last button and its commands, the About box, the upper row's columns, the
// job-row buttons' states, and a job that fails to load.
#include "ui/main_frame.h"

#include "app/doc_corvane.h"
#include "app/list_lines.h"
#include "app/print_task.h"
#include "app/string_table.h"
#include "app/udp_server.h"
#include "platform/popup_menu.h"
#include "platform/settings_store.h"
#include "support/event_loop.h"
#include "support/modal_driver.h"
#include "support/recording_message_sink.h"
#include "support/recording_system_actions.h"
#include "support/scripted_file_dialogs.h"
#include "support/scripted_popup_menu.h"
#include "support/test_environment.h"
#include "support/widget_application.h"
#include "ui/about_dlg.h"
#include "ui/app_corvane.h"
#include "ui/command_ids.h"
#include "ui/true_color_tool_bar.h"
#include "ui/view_ctl_panel.h"
#include "ui/view_file_list.h"
#include "ui/view_graphic.h"
#include "ui_fixture.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>

#include <gtest/gtest.h>

namespace corvane_test {
namespace {

constexpr uint8_t kDiscoveryOctet = 74;

std::u16string Text(const std::string& utf8) { return CString::FromUtf8(utf8).str(); }

class OperatorWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureWidgetApplication();
        // Discovery stays on loopback: the start-up reads it from the settings store.
        ASSERT_TRUE(StoreLoopbackDiscovery(kDiscoveryOctet));
        app_ = std::make_unique<CAppCorvane>(server_);
        ASSERT_TRUE(app_->InitInstance({}));
        frame_ = app_->GetMainFrame();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_));
    }
    void TearDown() override
    {
        app_->ExitInstance();
        app_.reset();
    }

    QAction* Button(int id) const { return frame_->GetToolBar()->CommandButton(id); }
    bool ShowsEnabled(int id, bool enabled)
    {
        return RunEventLoopUntil([&] { return Button(id)->isEnabled() == enabled; }, 2000);
    }
    std::string Plot(const std::string& name, const std::string& bytes = "IN;PU0,0;PD400,0;")
    {
        const std::string path = ScratchDir() + name;
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }
    size_t MessagesWith(const std::u16string& part) const
    {
        size_t n = 0;
        for (const ShownMessage& m : sink_.Shown()) n += m.text.find(part) != std::u16string::npos;
        return n;
    }

    RecordingMessageSink sink_;
    RecordingSystemActions actions_;
    CUDPServer server_;
    std::unique_ptr<CAppCorvane> app_;
    CMainFrame* frame_ = nullptr;
};

TEST_F(OperatorWindowTest, CtrlOAndTheOpenButtonListTheChosenFiles)
{
    ScriptedFileDialogs dialogs;
    const std::string a = Plot("a.plt"), b = Plot("b.plt"), c = Plot("c.plt");
    dialogs.ScriptChoice({CString::FromUtf8(a), CString::FromUtf8(b)});
    frame_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame_));
    QTest::keyClick(frame_, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(dialogs.titles.size(), 1u);
    EXPECT_EQ(dialogs.titles[0], CString(u"Open"));
    CDocCorvane* doc = app_->GetDocument();
    EXPECT_NE(doc->FindJobByPath(CString::FromUtf8(a)), nullptr);
    EXPECT_NE(doc->FindJobByPath(CString::FromUtf8(b)), nullptr);
    EXPECT_EQ(doc->GetJobRows()->GetRowCount(), 2);

    // The Open button comes first on the tool bar and does the same.
    EXPECT_EQ(CToolBar::CommandId(frame_->GetToolBar()->actions().first()), ID_FILE_OPEN);
    dialogs.ScriptChoice({CString::FromUtf8(c)});
    ASSERT_TRUE(ShowsEnabled(ID_FILE_OPEN, true));
    Button(ID_FILE_OPEN)->trigger();
    EXPECT_NE(doc->FindJobByPath(CString::FromUtf8(c)), nullptr);
}

TEST_F(OperatorWindowTest, TheLastButtonDropsDownTheApplicationMenuWhoseItemsPostTheirCommands)
{
    CTrueColorToolBar* bar = frame_->GetToolBar();
    ASSERT_EQ(CToolBar::CommandId(bar->actions().last()), ID_APP_MENU);
    EXPECT_EQ(bar->ImageLists().normal.size(), 26u);
    ScriptedPopupMenu menus;
    const auto choose = [&](UINT id) {
        menus.ScriptAnswer(id);
        ASSERT_TRUE(ShowsEnabled(ID_APP_MENU, true));
        Button(ID_APP_MENU)->trigger();
    };

    // Help: the program directory has no "help.pdf", which the operator is told.
    choose(ID_HELP);
    ASSERT_EQ(menus.Shown().size(), 1u);
    const std::vector<ShownMenuItem>& items = menus.Shown()[0].items;
    std::vector<UINT> ids;
    for (const ShownMenuItem& item : items)
        if (!(item.flags & MF_SEPARATOR)) ids.push_back(item.id);
    EXPECT_EQ(ids, (std::vector<UINT>{ID_HELP, ID_APP_ABOUT, ID_LANGUAGE_CHINESE, ID_LANGUAGE_ENGLISH,
                                      ID_CLEAR_ARP_CACHE, ID_APP_EXIT_FRAME}));
    for (const ShownMenuItem& item : items) {
        if (item.id == ID_LANGUAGE_CHINESE) {
            EXPECT_EQ(item.text, u"中文");
        }
        if (item.id == ID_LANGUAGE_CHINESE) {
            EXPECT_TRUE(item.flags & MF_CHECKED) << "the current language";
        }
        if (item.id == ID_LANGUAGE_ENGLISH) {
            EXPECT_FALSE(item.flags & MF_CHECKED);
        }
        if (item.id == ID_CLEAR_ARP_CACHE) {
            EXPECT_EQ(item.text, u"清除ARP缓存");
        }
    }
    // The menu's button sits at the bottom-left of the button.
    QWidget* button = bar->widgetForAction(Button(ID_APP_MENU));
    EXPECT_TRUE(button->isVisible()) << "the default window shows the whole tool bar";
    const QPoint under = button->mapToGlobal(QPoint(0, button->height()));
    EXPECT_EQ(menus.Shown()[0].at, CPoint(under.x(), under.y()));
    const std::u16string help = Text(ProgramDir()) + u"help.pdf";
    EXPECT_TRUE(RunEventLoopUntil([&] { return MessagesWith(help) == 1; }));
    EXPECT_TRUE(actions_.Calls().empty());

    // With the document in place, help opens it; F1 does the same.
    ASSERT_TRUE(WriteFile(ProgramDir() + "help.pdf", "%PDF"));
    choose(ID_HELP);
    EXPECT_TRUE(RunEventLoopUntil([&] { return actions_.Calls().size() == 1; }));
    frame_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame_));
    QTest::keyClick(frame_, Qt::Key_F1);
    EXPECT_TRUE(RunEventLoopUntil([&] { return actions_.Calls().size() == 2; }));
    EXPECT_EQ(actions_.Calls()[0], u"OpenDocument " + help);

    choose(ID_CLEAR_ARP_CACHE);
    EXPECT_TRUE(RunEventLoopUntil([&] { return actions_.Calls().size() == 3; }));
    EXPECT_EQ(actions_.Calls()[2], u"ClearArpCache");
    // A refusal of the system is told.
    actions_.answer = 0;
    choose(ID_CLEAR_ARP_CACHE);
    EXPECT_TRUE(RunEventLoopUntil([&] { return MessagesWith(LoadResString(StringId::kArpCacheNotCleared).str()) == 1; }));
    actions_.answer = 1;

    // English: stored as "lang", and checked in the next menu.
    choose(ID_LANGUAGE_ENGLISH);
    EXPECT_TRUE(RunEventLoopUntil([&] { return GetProfileInt(u"lang", u"lang1", 0) == 2; }));
    choose(0);
    for (const ShownMenuItem& item : menus.Shown().back().items) {
        if (item.id == ID_LANGUAGE_ENGLISH) {
            EXPECT_TRUE(item.flags & MF_CHECKED);
        }
        if (item.id == ID_LANGUAGE_CHINESE) {
            EXPECT_FALSE(item.flags & MF_CHECKED);
        }
    }
    choose(ID_LANGUAGE_CHINESE);
    EXPECT_TRUE(RunEventLoopUntil([&] { return GetProfileInt(u"lang", u"lang1", 0) == 1; }));

    // About shows its box over the frame.
    std::string shown;
    WhenModal([&](QWidget& dialog) {
        shown = dialog.metaObject()->className();
        EXPECT_EQ(dialog.parentWidget(), frame_);
        static_cast<QDialog&>(dialog).accept();
    });
    choose(ID_APP_ABOUT);
    EXPECT_TRUE(RunEventLoopUntil([&] { return !shown.empty(); }));
    EXPECT_EQ(shown, "CAboutDlg");

    // Exit asks the program's question; without a Yes the program goes on.
    const std::u16string question = LoadResString(StringId::kAskCloseProgram).str();
    choose(ID_APP_EXIT_FRAME);
    EXPECT_TRUE(RunEventLoopUntil([&] { return MessagesWith(question) == 1; }));
    EXPECT_TRUE(frame_->isVisible());
    EXPECT_FALSE(frame_->IsQuitRequested());
}

TEST_F(OperatorWindowTest, AboutNamesTheProgramItsVersionAndTheFontNotice)
{
    ASSERT_TRUE(WriteFile(ProgramDir() + kFontNoticeFileNames[0], "The Hershey Fonts were originally created by Dr. A. V. Hershey"));
    ASSERT_TRUE(WriteFile(ProgramDir() + kFontNoticeFileNames[1], "WenQuanYi Zen Hei"));
    CAboutDlg about(frame_);
    EXPECT_EQ(about.objectName(), QStringLiteral("AboutDialog231"));
    EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("programName"))->text().toStdU16String(),
              LoadResString(StringId::kFrameTitle).str());
    EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("version"))->text().toStdU16String(), u"版本 20211014-1");
    auto* notice = about.findChild<QPlainTextEdit*>(QStringLiteral("fontNotice"));
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->toPlainText().contains(QStringLiteral("Hershey")));
    EXPECT_TRUE(notice->toPlainText().contains(QStringLiteral("WenQuanYi")));
}

TEST_F(OperatorWindowTest, AtAClientWidthOf1000ThePanelKeeps300AndItsButtonsAreInView)
{
    // The default window first, then a client of 1000 pixels.
    for (int width : {0, 1000}) {
        SCOPED_TRACE(width);
        if (width > 0) {
            frame_->resize(width, frame_->height());
            ASSERT_TRUE(RunEventLoopUntil([&] { return frame_->centralWidget()->width() == width; }, 2000));
        }
        QApplication::processEvents();
        const QList<int> sizes = frame_->GetInnerSplitter()->sizes();
        ASSERT_EQ(sizes.size(), 3);
        EXPECT_EQ(sizes[0], 150);
        EXPECT_EQ(sizes[2], kControlPanelWidth);
        const int handles = 2 * frame_->GetInnerSplitter()->handleWidth();
        EXPECT_EQ(sizes[0] + sizes[1] + sizes[2] + handles, frame_->centralWidget()->width());
        auto* panel = frame_->findChild<CViewCtlPanel*>();
        ASSERT_NE(panel, nullptr);
        EXPECT_FALSE(panel->horizontalScrollBar()->isVisible());
        EXPECT_FALSE(panel->verticalScrollBar()->isVisible());
        const QRect visible = panel->viewport()->rect();
        for (QPushButton* button : panel->findChildren<QPushButton*>()) {
            const QRect at(button->mapTo(panel->viewport(), QPoint(0, 0)), button->size());
            EXPECT_TRUE(visible.contains(at)) << button->objectName().toStdString();
        }
    }
    const UpperRowColumns narrow = UpperRowColumnWidths(600, 6);
    EXPECT_EQ(narrow.machineList, 150);
    EXPECT_EQ(narrow.jobList, kMinJobListWidth);
    EXPECT_EQ(narrow.controlPanel, 600 - 12 - 150 - kMinJobListWidth);
}

TEST_F(OperatorWindowTest, TheJobRowButtonsAreEnabledOnlyWithAJobRowSelected)
{
    const int rowCommands[] = {ID_COPIES_UP, ID_COPIES_DOWN, ID_JOB_MOVE_UP, ID_JOB_MOVE_DOWN, ID_JOB_MOVE_TO_TOP,
                               ID_JOB_MOVE_TO_BOTTOM};
    for (int id : rowCommands) EXPECT_TRUE(ShowsEnabled(id, false)) << id;
    ASSERT_EQ(app_->AddFileToDocument(CString::FromUtf8(Plot("a.plt"))), 1);  // listed and selected
    for (int id : rowCommands) EXPECT_TRUE(ShowsEnabled(id, true)) << id;
    app_->GetDocument()->GetJobRows()->SelectRow(-1);
    auto* view = frame_->findChild<CViewFileList*>();
    view->clearSelection();
    for (int id : rowCommands) EXPECT_TRUE(ShowsEnabled(id, false)) << id;
}

TEST_F(OperatorWindowTest, ABadFileIsToldOnceAndSelectingARowShowsItsJob)
{
    const std::string bad = Plot("noise.plt", std::string("\x01\xfe\x7f\x80\x10\x99garbage", 14));
    const std::string good = Plot("good.plt");
    CDocCorvane* doc = app_->GetDocument();
    const size_t before = sink_.Shown().size();
    ASSERT_EQ(app_->AddFileToDocument(CString::FromUtf8(bad)), 1);
    ASSERT_EQ(sink_.Shown().size(), before + 1);
    EXPECT_NE(sink_.Shown().back().text.find(Text(bad)), std::u16string::npos);
    ASSERT_EQ(app_->AddFileToDocument(CString::FromUtf8(good)), 1);
    EXPECT_EQ(sink_.Shown().size(), before + 1);

    auto* view = frame_->findChild<CViewFileList*>();
    auto* preview = frame_->findChild<CViewGraphic*>(QString::fromLatin1(CViewGraphic::kObjectName));
    ASSERT_NE(view, nullptr);
    ASSERT_NE(preview, nullptr);
    CPrintTask* badJob = doc->FindJobByPath(CString::FromUtf8(bad));
    CPrintTask* goodJob = doc->FindJobByPath(CString::FromUtf8(good));
    EXPECT_EQ(view->FindJobRow(goodJob), 0);
    EXPECT_EQ(preview->GetShownJob(), goodJob);
    const int badRow = view->FindJobRow(badJob);
    EXPECT_EQ(view->GetRowChecked(badRow), 0);
    EXPECT_EQ(view->GetRowTexts(badRow)[JobColumn::kState].str().rfind(LoadResString(StringId::kJobLoadFailedState).str(), 0),
              0u);
    // Selecting the failed row shows its job, an empty preview, not the good job's drawing.
    view->SelectRow(badRow);
    EXPECT_EQ(preview->GetShownJob(), badJob);
    view->SelectRow(0);
    EXPECT_EQ(preview->GetShownJob(), goodJob);
}

}  // namespace
}  // namespace corvane_test
